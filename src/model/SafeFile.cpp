#include "model/SafeFile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool fail(QString *error, const QString &path, int err)
{
    if (error) {
        *error = QStringLiteral("Het bestand %1 kan niet worden geschreven: %2")
                     .arg(path, QString::fromLocal8Bit(std::strerror(err)));
    }
    return false;
}
} // namespace

bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    const QFileInfo info(path);
    QByteArray temp = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName()) + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0)
        return fail(error, path, errno);

    // The new file takes the old one's permissions (a private file stays private);
    // a file made anew gets the usual ones.
    struct stat old;
    if (::stat(QFile::encodeName(info.absoluteFilePath()).constData(), &old) == 0) {
        fchmod(fd, old.st_mode & 07777);
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(fd, 0666 & ~mask);
    }

    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int err = n < 0 ? errno : ENOSPC;
            ::close(fd);
            ::unlink(temp.constData());
            return fail(error, path, err);
        }
        done += n;
    }
    // The handle is closed whatever fsync says.
    const int synced = ::fsync(fd) == 0 ? 0 : errno;
    const int closed = ::close(fd) == 0 ? 0 : errno;
    if (synced != 0 || closed != 0) {
        ::unlink(temp.constData());
        return fail(error, path, synced != 0 ? synced : closed);
    }
    if (std::rename(temp.constData(), QFile::encodeName(info.absoluteFilePath()).constData()) != 0) {
        const int err = errno;
        ::unlink(temp.constData());
        return fail(error, path, err);
    }
    return true;
}
