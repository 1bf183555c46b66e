#include "model/Settings.h"

#include "model/Clock.h"
#include "model/Error.h"
#include "model/IniFile.h"
#include "model/Register.h"
#include "model/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QVariant>

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

// Reads the file; a missing file is an empty one. False when it exists but cannot be read.
bool readIni(const QString &path, IniFile &ini)
{
    QFile file(path);
    if (!file.exists()) {
        ini = IniFile();
        return true;
    }
    if (!file.open(QIODevice::ReadOnly))
        return false;
    ini = IniFile::fromBytes(file.readAll());
    return file.error() == QFileDevice::NoError;
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

bool SettingsStore::writeIni(const QString &path, const QByteArray &bytes) const
{
    // The user's own settings folder is made on the first save; a folder that
    // was named explicitly must exist.
    if (m_file.isEmpty() && m_folder.isEmpty())
        QDir().mkpath(QFileInfo(path).absolutePath());
    return WriteFileAtomically(path, bytes);
}

bool SettingsStore::LoadSettings(TInputData &data) const
{
    IniFile ini;
    if (!readIni(SettingsFilePath(), ini))
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

bool SettingsStore::SaveSettings(const TInputData &data, const Clock &clock) const
{
    const QString path = SettingsWritePath();
    IniFile ini;
    if (!readIni(path, ini))
        return false;
    for (const SettingsKey &key : settingsKeys())
        ini.setValue(key.section, key.name, savedValue(key, data, clock));
    return writeIni(path, ini.toBytes());
}

TCounters SettingsStore::ReadCounters() const
{
    const QString path = SettingsFilePath();
    IniFile ini;
    if (!readIni(path, ini))
        throw KwError(QStringLiteral("Het instellingenbestand %1 kan niet worden gelezen.").arg(path));
    if (readInt(ini, kSecCounters, kBatchKey, 0) == 0) {
        const QString old = findInFolder(folder(), kOldName);
        if (!old.isEmpty() && old != path && !readIni(old, ini))
            throw KwError(QStringLiteral("Het instellingenbestand %1 kan niet worden gelezen.").arg(old));
    }
    return {readInt(ini, kSecCounters, kBatchKey, 0), readInt(ini, kSecCounters, kIncassoKey, 0)};
}

void SettingsStore::WriteCounters(const TCounters &counters) const
{
    const QString path = SettingsWritePath();
    IniFile ini;
    if (!readIni(path, ini))
        throw KwError(QStringLiteral("Het instellingenbestand %1 kan niet worden gelezen.").arg(path));
    ini.setValue(kSecCounters, kBatchKey, QString::number(counters.BatchVolgnummer));
    ini.setValue(kSecCounters, kIncassoKey, QString::number(counters.Incassovolgnummer));
    if (!writeIni(path, ini.toBytes()))
        throw KwError(
            QStringLiteral("De volgnummers kunnen niet worden opgeslagen in het instellingenbestand %1.").arg(path));
}
