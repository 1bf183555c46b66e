#include "model/Settings.h"

#include "model/Clock.h"
#include "model/Error.h"
#include "model/IniFile.h"
#include "model/Notice.h"
#include "model/Register.h"
#include "model/SafeFile.h"
#include "model/SystemError.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <QStorageInfo>
#include <QThread>
#include <QVariant>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <variant>

namespace {
const QString kMainName = QStringLiteral("Kwintor2.ini");
const QString kOldName = QStringLiteral("Dravelin.INI");

const QString kSecSepa = QStringLiteral("SEPA incasso");
const QString kSecInput = QStringLiteral("Input");
const QString kSecCounters = QStringLiteral("Counters");
const QString kSecLayout = QStringLiteral("Layout");
const QString kSecLogging = QStringLiteral("Logging");

const QString kBatchKey = QStringLiteral("Laatste batchnummer");

constexpr qint64 kMaxSettingsBytes = qint64(64) << 20;
const QString kIncassoKey = QStringLiteral("Laatste incassonummer");

// A file in the folder whose name equals name without regard to case; the
// exact spelling wins when several exist.
QString findInFolder(const QString &folder, const QString &name)
{
    const QDir dir(folder);
    if (QFileInfo(dir.filePath(name)).isFile())
        return dir.filePath(name);
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return dir.filePath(entry);
    }
    return QString();
}

// Reads the file; a missing file is an empty one. False, with the reason, when it
// exists but cannot be read. A pipe or device is refused, not waited for.
bool readIni(const QString &path, IniFile &ini, QString *reason = nullptr)
{
    const auto failed = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return false;
    };
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        if (errno != ENOENT)
            return failed(SystemErrorText(errno));
        ini = IniFile();
        return true;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return failed(QStringLiteral("het is geen gewoon bestand"));
    }
    // Settings take a few kilobytes; a file of gigabytes would only exhaust the memory.
    const QString tooLarge = QStringLiteral("het is groter dan %1 MB").arg(kMaxSettingsBytes >> 20);
    if (st.st_size > kMaxSettingsBytes) {
        ::close(fd);
        return failed(tooLarge);
    }
    QByteArray bytes;
    bytes.reserve(qsizetype(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            ::close(fd);
            return failed(SystemErrorText(err));
        }
        if (n == 0)
            break;
        bytes.append(buffer, n);
        if (bytes.size() > kMaxSettingsBytes) {
            ::close(fd);
            return failed(tooLarge);
        }
    }
    ::close(fd);
    ini = IniFile::fromBytes(bytes);
    return true;
}

QString unreadable(const QString &path, const QString &reason)
{
    return QStringLiteral("Het instellingenbestand %1 kan niet worden gelezen: %2.").arg(path, reason);
}

// A counter as the file holds it: a missing key is 0; a present one must be a whole
// number from 0 to MaxCounter. Read as 0 instead, a damaged counter would number
// the next file 1 again, with a message id the bank has already had.
int counterValue(const IniFile &ini, const QString &key, const QString &path)
{
    if (!ini.contains(kSecCounters, key))
        return 0;
    const QString text = ini.value(kSecCounters, key); // without blanks at its ends
    qint64 value = 0;
    bool whole = !text.isEmpty();
    for (const QChar c : text) {
        whole = whole && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (!whole)
            break;
        value = value * 10 + (c.unicode() - u'0');
        if (value > MaxCounter) {
            whole = false;
            break;
        }
    }
    if (!whole) {
        throw KwError(QStringLiteral("Het volgnummer ") + key + QStringLiteral(" in ") + path +
                      QStringLiteral(" is onleesbaar: ") + ShownValue(text) +
                      QStringLiteral(". Herstel het instellingenbestand."));
    }
    return int(value);
}

TCounters countersOf(const IniFile &ini, const QString &path)
{
    return {counterValue(ini, kBatchKey, path), counterValue(ini, kIncassoKey, path)};
}

// A lock file without its holder (a power cut right after it was made) would keep
// every run waiting for good: after a while it counts as stale. Removed under the
// guard QLockFile itself uses, so that two programs never both remove a lock.
void removeLockWithoutHolder(QLockFile &lock)
{
    const QFileInfo info(lock.fileName());
    if (!info.exists() || lock.getLockInfo(nullptr, nullptr, nullptr) ||
        qAbs(info.lastModified().secsTo(QDateTime::currentDateTime())) < 10)
        return;
    QLockFile guard(lock.fileName() + QStringLiteral(".rmlock"));
    if (guard.tryLock(0) && !lock.getLockInfo(nullptr, nullptr, nullptr))
        lock.removeStaleLockFile();
}

bool parseInt(const QString &text, int &out)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok);
    if (ok)
        out = v;
    return ok;
}

int readInt(const IniFile &ini, const QString &section, const QString &key, int fallback)
{
    int v = fallback;
    return parseInt(ini.value(section, key), v) ? v : fallback;
}

bool readBool(const IniFile &ini, const QString &section, const QString &key, bool fallback)
{
    int v = 0;
    return parseInt(ini.value(section, key), v) ? v != 0 : fallback;
}

QString readText(const IniFile &ini, const QString &section, const QString &key, const QString &fallback)
{
    return ini.contains(section, key) ? ini.value(section, key) : fallback;
}

QString boolText(bool b)
{
    return b ? QStringLiteral("1") : QStringLiteral("0");
}

// The record field a key holds: a text, a truth value, a number, an entry of
// InputArray, or the date of the save (written, never read back).
struct LayoutEntry
{
    int index;
};
struct SaveDate
{};
using Field = std::variant<QString TInputData::*, bool TInputData::*, int TInputData::*, LayoutEntry, SaveDate>;

struct SettingsKey
{
    QString section;
    QString name;
    Field field;
    QVariant fallback; // what a missing key reads as; none: the field keeps its value
};

// Every key, in the order a save writes them (and a new file holds them).
const QList<SettingsKey> &settingsKeys()
{
    static const QList<SettingsKey> keys = [] {
        QList<SettingsKey> k{
            {kSecSepa, QStringLiteral("Instellingen voor :"), SaveDate{}, {}},
            {kSecInput, QStringLiteral("Naam incassant"), &TInputData::Incassant, {}},
            {kSecInput, QStringLiteral("ZZZ-code"), &TInputData::ZZZCode, {}},
            {kSecInput, QStringLiteral("IBAN"), &TInputData::IBAN, {}},
            {kSecInput, QStringLiteral("BIC"), &TInputData::BIC, {}},
            {kSecInput, QStringLiteral("Map Excel input"), &TInputData::InputFolder, {}},
            {kSecInput, QStringLiteral("Excel input bestand"), &TInputData::InputFile, {}},
            {kSecInput, QStringLiteral("Excel tabel heeft een kopregel"), &TInputData::HasHeadings, true},
            {kSecInput, QStringLiteral("Doelmap SEPA bestanden"), &TInputData::TargetFolder, {}},
            {kSecInput, QStringLiteral("Incassolabel"), &TInputData::IncassoLabel, {}},
            {kSecInput, QStringLiteral("Incassodatum"), &TInputData::IncassoDate, QString()},
            {kSecInput, QStringLiteral("Omschrijving"), &TInputData::Omschrijving, QString()},
            {kSecInput, QStringLiteral("Default_sequence_code"), &TInputData::DefaultSequenceCode,
             QStringLiteral("RCUR")},
            {kSecCounters, kBatchKey, &TInputData::BatchVolgnummer, 0},
            {kSecCounters, kIncassoKey, &TInputData::Incassovolgnummer, 0},
            {kSecLayout, QStringLiteral("Gebruik van het filter"), &TInputData::cbFilter, false},
            {kSecLayout, QStringLiteral("Filtercriterium"), &TInputData::strFilterReq, QString()},
            // The blank at its end stands in the file before the "=".
            {kSecLayout, QStringLiteral("Filter kolom no "), &TInputData::intFilterCol, 0},
        };
        for (int i = 0; i < LayoutFieldCount; ++i)
            k.append({kSecLayout, QStringLiteral("Layout ") + QString::number(i + 1), LayoutEntry{i}, 0});
        k += QList<SettingsKey>{
            {kSecLogging, QStringLiteral("LogSaveFolder"), &TInputData::LogSaveFolder,
             QStringLiteral("<folder voor logbestanden>")},
            {kSecLogging, QStringLiteral("Extensie voor logbestanden"), &TInputData::LogExtension,
             QStringLiteral("log")},
            {kSecLogging, QStringLiteral("Prefix voor logbestanden"), &TInputData::LogSavePrefix,
             QStringLiteral("SEPA_log_")},
        };
        return k;
    }();
    return keys;
}

// Loading reads the sections in this order.
const QStringList kLoadOrder{kSecInput, kSecLayout, kSecCounters, kSecLogging};

template <class... Ts> struct Overloaded : Ts...
{
    using Ts::operator()...;
};
// Spelled out for clang before 17, which does not deduce an aggregate's arguments.
template <class... Ts> Overloaded(Ts...) -> Overloaded<Ts...>;

void loadKey(const IniFile &ini, const SettingsKey &key, TInputData &d)
{
    std::visit(
        Overloaded{
            [&](QString TInputData::*f) {
                d.*f = readText(ini, key.section, key.name, key.fallback.isValid() ? key.fallback.toString() : d.*f);
            },
            [&](bool TInputData::*f) { d.*f = readBool(ini, key.section, key.name, key.fallback.toBool()); },
            [&](int TInputData::*f) { d.*f = readInt(ini, key.section, key.name, key.fallback.toInt()); },
            [&](LayoutEntry e) { d.InputArray[e.index] = readInt(ini, key.section, key.name, key.fallback.toInt()); },
            [](SaveDate) {},
        },
        key.field);
}

QString savedValue(const SettingsKey &key, const TInputData &d, const Clock &clock)
{
    return std::visit(Overloaded{
                          [&](QString TInputData::*f) { return d.*f; },
                          [&](bool TInputData::*f) { return boolText(d.*f); },
                          [&](int TInputData::*f) { return QString::number(d.*f); },
                          [&](LayoutEntry e) { return QString::number(d.InputArray.value(e.index, 0)); },
                          [&](SaveDate) { return QLocale().toString(clock.now().date(), QLocale::ShortFormat); },
                      },
                      key.field);
}
} // namespace

QString DefaultSettingsFolder(const QString &exeFolder)
{
    const QDir exe(exeFolder);
    // An installed program keeps nothing beside itself, even where it could
    // write (as root, or in a staging folder).
    const bool installed = QFileInfo(exe.filePath(QStringLiteral("../share/kwintor2"))).isDir();
    if (!installed && QFileInfo(exeFolder).isWritable())
        return exe.absolutePath();
    // A relative $XDG_CONFIG_HOME is to be ignored.
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty() || QDir::isRelativePath(config))
        config = QDir::homePath() + QStringLiteral("/.config");
    return QDir::cleanPath(config + QStringLiteral("/Kwintor2"));
}

SettingsStore SettingsStore::inFolder(const QString &folder)
{
    SettingsStore store;
    store.m_folder = folder;
    return store;
}

SettingsStore SettingsStore::ofFile(const QString &path)
{
    SettingsStore store;
    store.m_file = path;
    return store;
}

QString SettingsStore::folder() const
{
    if (!m_file.isEmpty())
        return QFileInfo(m_file).absolutePath();
    if (!m_folder.isEmpty())
        return m_folder;
    return DefaultSettingsFolder(QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                              : QDir::currentPath());
}

QString SettingsStore::SettingsFilePath() const
{
    if (!m_file.isEmpty())
        return m_file;
    const QString dir = folder();
    QString path = findInFolder(dir, kMainName);
    if (path.isEmpty())
        path = findInFolder(dir, kOldName);
    return path.isEmpty() ? QDir(dir).filePath(kMainName) : path;
}

QString SettingsStore::SettingsWritePath() const
{
    if (!m_file.isEmpty())
        return m_file;
    const QString dir = folder();
    const QString path = findInFolder(dir, kMainName);
    return path.isEmpty() ? QDir(dir).filePath(kMainName) : path;
}

QString SettingsStore::RegisterPath() const
{
    return QDir(QFileInfo(SettingsFilePath()).absolutePath()).filePath(RegisterFileName());
}

bool SettingsStore::writeIni(const QString &path, const QByteArray &bytes, QString *reason) const
{
    // The user's own settings folder is made on the first save; a folder that
    // was named explicitly must exist.
    if (m_file.isEmpty() && m_folder.isEmpty())
        QDir().mkpath(QFileInfo(path).absolutePath());
    SafeFile file(path);
    if (file.open() && file.write(bytes) && file.commit())
        return true;
    if (reason)
        *reason = SystemErrorText(file.systemError());
    return false;
}

bool SettingsStore::LoadSettings(TInputData &data, QString *error) const
{
    IniFile ini;
    if (!readIni(SettingsFilePath(), ini, error))
        return false;

    TInputData d = data;
    d.InputArray = QList<int>(LayoutFieldCount, 0);
    for (const QString &section : kLoadOrder) {
        for (const SettingsKey &key : settingsKeys()) {
            if (key.section == section)
                loadKey(ini, key, d);
        }
    }
    data = d;
    return true;
}

bool SettingsStore::SaveSettings(const TInputData &data, const Clock &clock, QString *error) const
{
    std::unique_ptr<QLockFile> lock;
    try {
        lock = LockCounters();
    } catch (const KwError &e) {
        if (error)
            *error = e.message();
        return false;
    }
    const QString path = SettingsWritePath();
    IniFile ini;
    QString reason;
    if (!readIni(path, ini, &reason)) {
        if (error)
            *error = unreadable(path, reason);
        return false;
    }
    for (const SettingsKey &key : settingsKeys()) {
        if (key.section == kSecCounters && ini.contains(key.section, key.name))
            continue;
        ini.setValue(key.section, key.name, savedValue(key, data, clock));
    }
    if (writeIni(path, ini.toBytes(), &reason))
        return true;
    if (error)
        *error = QStringLiteral("Het instellingenbestand %1 kan niet worden geschreven: %2.").arg(path, reason);
    return false;
}

TCounters SettingsStore::ReadCounters() const
{
    const QString path = SettingsFilePath();
    IniFile ini;
    QString reason;
    if (!readIni(path, ini, &reason))
        throw KwError(unreadable(path, reason));
    const TCounters counters = countersOf(ini, path);
    if (counters.BatchVolgnummer != 0)
        return counters;
    const QString old = findInFolder(folder(), kOldName);
    if (old.isEmpty() || old == path)
        return counters;
    if (!readIni(old, ini, &reason))
        throw KwError(unreadable(old, reason));
    return countersOf(ini, old);
}

void SettingsStore::WriteCounters(const TCounters &counters) const
{
    const QString path = SettingsWritePath();
    IniFile ini;
    QString reason;
    if (!readIni(path, ini, &reason))
        throw KwError(unreadable(path, reason));
    ini.setValue(kSecCounters, kBatchKey, QString::number(counters.BatchVolgnummer));
    ini.setValue(kSecCounters, kIncassoKey, QString::number(counters.Incassovolgnummer));
    if (!writeIni(path, ini.toBytes(), &reason))
        throw KwError(QStringLiteral("De volgnummers kunnen niet worden opgeslagen in het instellingenbestand %1: %2.")
                          .arg(path, reason));
}

bool SettingsStore::HoldsSettings() const
{
    IniFile ini;
    if (!readIni(SettingsFilePath(), ini))
        return false;
    for (const SettingsKey &key : settingsKeys()) {
        if (ini.contains(key.section, key.name))
            return true;
    }
    return false;
}

QString SettingsStore::LockFilePath() const
{
    return QFileInfo(SettingsWritePath()).absoluteFilePath() + QStringLiteral(".lock");
}

std::unique_ptr<QLockFile> SettingsStore::LockCounters() const
{
    const QString settingsPath = SettingsWritePath();
    const QString dir = QFileInfo(settingsPath).absolutePath();
    if (m_file.isEmpty() && m_folder.isEmpty())
        QDir().mkpath(dir);
    auto lock = std::make_unique<QLockFile>(LockFilePath());
    // A run holds it while its boxes wait for the user: only a holder that no
    // longer runs makes it stale, never its age.
    lock->setStaleLockTime(0);
    removeLockWithoutHolder(*lock);
    // Tried every 50 ms rather than with QLockFile's growing pauses, so that a
    // run waiting behind a few short ones gets its turn well within the wait.
    const QDeadlineTimer deadline(m_lockWaitMs);
    while (!lock->tryLock(0)) {
        if (lock->error() != QLockFile::LockFailedError) {
            // QLockFile keeps no errno; the folder tells the likely one.
            const QStorageInfo storage(dir);
            QString why = QStringLiteral("onbekende fout");
            if (!QFileInfo(dir).isDir())
                why = SystemErrorText(ENOENT);
            else if (storage.isReadOnly())
                why = SystemErrorText(EROFS);
            else if (lock->error() == QLockFile::PermissionError)
                why = SystemErrorText(EACCES);
            else if (storage.isValid() && storage.bytesAvailable() == 0)
                why = SystemErrorText(ENOSPC);
            throw KwError(QStringLiteral("Het instellingenbestand %1 kan niet worden vergrendeld (met %2): %3.")
                              .arg(settingsPath, QFileInfo(lock->fileName()).fileName(), why));
        }
        if (deadline.hasExpired()) {
            throw KwError(QStringLiteral("Er loopt al een verwerking met dit instellingenbestand (") + settingsPath +
                          QStringLiteral("). Probeer het later opnieuw."));
        }
        QThread::msleep(deadline.isForever() ? 50 : std::clamp<qint64>(deadline.remainingTime(), 1, 50));
    }
    return lock;
}
