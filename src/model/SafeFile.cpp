#include "model/SafeFile.h"

#include "model/SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSysInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <limits>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The computer's name as a temporary file's name may hold it.
QString hostPart()
{
    static const QString host = [] {
        QString name = QSysInfo::machineHostName();
        name.remove(QRegularExpression(QStringLiteral("[^A-Za-z0-9-]")));
        return name.left(24);
    }();
    return host;
}

QString writeError(const QString &path, int err)
{
    return QStringLiteral("Het bestand %1 kan niet worden geschreven: %2").arg(path, SystemErrorText(err));
}

bool processRuns(qint64 pid)
{
    return pid > 0 && pid <= std::numeric_limits<pid_t>::max() &&
           (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH);
}
} // namespace

SafeFile::SafeFile(QString path) : m_path(std::move(path)) {}

SafeFile::~SafeFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_temp.isEmpty())
        ::unlink(m_temp.constData());
}

bool SafeFile::fail(int err)
{
    m_errno = err;
    m_error = writeError(m_path, err);
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temp.isEmpty())
        ::unlink(m_temp.constData());
    m_temp.clear();
    return false;
}

bool SafeFile::open()
{
    const QFileInfo info(m_path);
    QByteArray temp =
        QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".kw") +
                          QString::number(::getpid()) + QLatin1Char('@') + hostPart()) +
        ".XXXXXX";
    m_fd = mkstemp(temp.data());
    if (m_fd < 0)
        return fail(errno);
    m_temp = temp;

    // The new file takes the old one's permissions (a private file stays private);
    // a file made anew gets the usual ones.
    struct stat old;
    if (::stat(QFile::encodeName(info.absoluteFilePath()).constData(), &old) == 0) {
        fchmod(m_fd, old.st_mode & 07777);
    } else {
        const mode_t mask = umask(0);
        umask(mask);
        fchmod(m_fd, 0666 & ~mask);
    }
    return true;
}

bool SafeFile::write(QByteArrayView bytes)
{
    if (m_fd < 0)
        return m_error.isEmpty() ? fail(EBADF) : false;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(n < 0 ? errno : ENOSPC);
        done += n;
    }
    m_written += bytes.size();
#ifdef __linux__
    // A large file starts to go to the disk while it is written, so that the
    // flush before its rename waits for its last piece only. Only a hint: the
    // flush in commit() is what makes it safe.
    constexpr qint64 WriteBackStep = qint64(4) << 20;
    if (m_written - m_writeBackFrom >= WriteBackStep) {
        ::sync_file_range(m_fd, m_writeBackFrom, m_written - m_writeBackFrom, SYNC_FILE_RANGE_WRITE);
        m_writeBackFrom = m_written;
    }
#endif
    return true;
}

bool SafeFile::commit()
{
    if (m_fd < 0)
        return m_error.isEmpty() ? fail(EBADF) : false;
    // The handle is closed whatever fsync says.
    const int synced = ::fsync(m_fd) == 0 ? 0 : errno;
    const int closed = ::close(m_fd) == 0 ? 0 : errno;
    m_fd = -1;
    if (synced != 0 || closed != 0)
        return fail(synced != 0 ? synced : closed);
    if (std::rename(m_temp.constData(), QFile::encodeName(QFileInfo(m_path).absoluteFilePath()).constData()) != 0)
        return fail(errno);
    m_temp.clear();
    return true;
}

bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    SafeFile file(path);
    if (file.open() && file.write(bytes) && file.commit())
        return true;
    if (error)
        *error = file.errorString();
    return false;
}

bool CanWriteFileAtomically(const QString &path, QString *error)
{
    // A folder in the way would refuse only the final rename.
    if (QFileInfo(path).isDir()) {
        if (error)
            *error = writeError(path, EISDIR);
        return false;
    }
    SafeFile file(path);
    if (file.open())
        return true; // the temporary file goes with file
    if (error)
        *error = file.errorString();
    return false;
}

int RemoveLeftoverTempFiles(const QString &folder)
{
    static const QRegularExpression ours(QStringLiteral("^\\..+\\.kw(\\d{1,10})@([A-Za-z0-9-]*)\\.[A-Za-z0-9]{6}$"));
    int removed = 0;
    const QStringList hidden =
        QDir(folder).entryList({QStringLiteral(".*")}, QDir::Files | QDir::Hidden | QDir::NoSymLinks | QDir::System);
    for (const QString &name : hidden) {
        const QRegularExpressionMatch m = ours.match(name);
        if (!m.hasMatch() || m.captured(2) != hostPart() || processRuns(m.captured(1).toLongLong()))
            continue;
        const QByteArray path = QFile::encodeName(QDir(folder).filePath(name));
        struct stat st;
        if (::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(path.constData()) == 0)
            ++removed;
    }
    return removed;
}
