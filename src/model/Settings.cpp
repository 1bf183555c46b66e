#include "model/Settings.h"

#include "model/Clock.h"
#include "model/Error.h"
#include "model/IniFile.h"
#include "model/SafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

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
const QString kFilterColKey = QStringLiteral("Filter kolom no ");

QString g_folder;
QString g_file;

QString layoutKey(int index)
{
    return QStringLiteral("Layout ") + QString::number(index + 1);
}

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

bool writeIni(const QString &path, const IniFile &ini)
{
    // The user's own settings folder is made on the first save; a folder that
    // was named explicitly must exist.
    if (g_file.isEmpty() && g_folder.isEmpty())
        QDir().mkpath(QFileInfo(path).absolutePath());
    return WriteFileAtomically(path, ini.toBytes());
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
} // namespace

void setSettingsFolder(const QString &folder)
{
    g_folder = folder;
}

QString settingsFolder()
{
    if (!g_file.isEmpty())
        return QFileInfo(g_file).absolutePath();
    if (!g_folder.isEmpty())
        return g_folder;
    return DefaultSettingsFolder(QCoreApplication::instance() ? QCoreApplication::applicationDirPath()
                                                              : QDir::currentPath());
}

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

void setSettingsFile(const QString &path)
{
    g_file = path;
}

QString SettingsFilePath()
{
    if (!g_file.isEmpty())
        return g_file;
    const QString folder = settingsFolder();
    QString path = findInFolder(folder, kMainName);
    if (path.isEmpty())
        path = findInFolder(folder, kOldName);
    return path.isEmpty() ? QDir(folder).filePath(kMainName) : path;
}

QString SettingsWritePath()
{
    if (!g_file.isEmpty())
        return g_file;
    const QString folder = settingsFolder();
    const QString path = findInFolder(folder, kMainName);
    return path.isEmpty() ? QDir(folder).filePath(kMainName) : path;
}

bool LoadSettings(TInputData &data)
{
    IniFile ini;
    if (!readIni(SettingsFilePath(), ini))
        return false;

    TInputData d = data;
    d.Incassant = readText(ini, kSecInput, QStringLiteral("Naam incassant"), d.Incassant);
    d.ZZZCode = readText(ini, kSecInput, QStringLiteral("ZZZ-code"), d.ZZZCode);
    d.IBAN = readText(ini, kSecInput, QStringLiteral("IBAN"), d.IBAN);
    d.BIC = readText(ini, kSecInput, QStringLiteral("BIC"), d.BIC);
    d.InputFolder = readText(ini, kSecInput, QStringLiteral("Map Excel input"), d.InputFolder);
    d.InputFile = readText(ini, kSecInput, QStringLiteral("Excel input bestand"), d.InputFile);
    d.HasHeadings = readBool(ini, kSecInput, QStringLiteral("Excel tabel heeft een kopregel"), true);
    d.TargetFolder = readText(ini, kSecInput, QStringLiteral("Doelmap SEPA bestanden"), d.TargetFolder);
    d.IncassoLabel = readText(ini, kSecInput, QStringLiteral("Incassolabel"), d.IncassoLabel);
    d.IncassoDate = readText(ini, kSecInput, QStringLiteral("Incassodatum"), QString());
    d.Omschrijving = readText(ini, kSecInput, QStringLiteral("Omschrijving"), QString());
    d.DefaultSequenceCode = readText(ini, kSecInput, QStringLiteral("Default_sequence_code"), QStringLiteral("RCUR"));

    d.cbFilter = readBool(ini, kSecLayout, QStringLiteral("Gebruik van het filter"), false);
    d.strFilterReq = readText(ini, kSecLayout, QStringLiteral("Filtercriterium"), QString());
    d.intFilterCol = readInt(ini, kSecLayout, kFilterColKey, 0);
    d.InputArray = QList<int>(LayoutFieldCount, 0);
    for (int i = 0; i < LayoutFieldCount; ++i)
        d.InputArray[i] = readInt(ini, kSecLayout, layoutKey(i), 0);

    d.BatchVolgnummer = readInt(ini, kSecCounters, kBatchKey, 0);
    d.Incassovolgnummer = readInt(ini, kSecCounters, kIncassoKey, 0);

    d.LogSaveFolder =
        readText(ini, kSecLogging, QStringLiteral("LogSaveFolder"), QStringLiteral("<folder voor logbestanden>"));
    d.LogExtension = readText(ini, kSecLogging, QStringLiteral("Extensie voor logbestanden"), QStringLiteral("log"));
    d.LogSavePrefix =
        readText(ini, kSecLogging, QStringLiteral("Prefix voor logbestanden"), QStringLiteral("SEPA_log_"));
    data = d;
    return true;
}

bool SaveSettings(const TInputData &data)
{
    const QString path = SettingsWritePath();
    IniFile ini;
    if (!readIni(path, ini))
        return false;

    ini.setValue(kSecSepa, QStringLiteral("Instellingen voor :"),
                 QLocale().toString(currentDateTime().date(), QLocale::ShortFormat));
    ini.setValue(kSecInput, QStringLiteral("Naam incassant"), data.Incassant);
    ini.setValue(kSecInput, QStringLiteral("ZZZ-code"), data.ZZZCode);
    ini.setValue(kSecInput, QStringLiteral("IBAN"), data.IBAN);
    ini.setValue(kSecInput, QStringLiteral("BIC"), data.BIC);
    ini.setValue(kSecInput, QStringLiteral("Map Excel input"), data.InputFolder);
    ini.setValue(kSecInput, QStringLiteral("Excel input bestand"), data.InputFile);
    ini.setValue(kSecInput, QStringLiteral("Excel tabel heeft een kopregel"), boolText(data.HasHeadings));
    ini.setValue(kSecInput, QStringLiteral("Doelmap SEPA bestanden"), data.TargetFolder);
    ini.setValue(kSecInput, QStringLiteral("Incassolabel"), data.IncassoLabel);
    ini.setValue(kSecInput, QStringLiteral("Incassodatum"), data.IncassoDate);
    ini.setValue(kSecInput, QStringLiteral("Omschrijving"), data.Omschrijving);
    ini.setValue(kSecInput, QStringLiteral("Default_sequence_code"), data.DefaultSequenceCode);
    ini.setValue(kSecCounters, kBatchKey, QString::number(data.BatchVolgnummer));
    ini.setValue(kSecCounters, kIncassoKey, QString::number(data.Incassovolgnummer));
    ini.setValue(kSecLayout, QStringLiteral("Gebruik van het filter"), boolText(data.cbFilter));
    ini.setValue(kSecLayout, QStringLiteral("Filtercriterium"), data.strFilterReq);
    ini.setValue(kSecLayout, kFilterColKey, QString::number(data.intFilterCol));
    for (int i = 0; i < LayoutFieldCount; ++i)
        ini.setValue(kSecLayout, layoutKey(i), QString::number(data.InputArray.value(i, 0)));
    ini.setValue(kSecLogging, QStringLiteral("LogSaveFolder"), data.LogSaveFolder);
    ini.setValue(kSecLogging, QStringLiteral("Extensie voor logbestanden"), data.LogExtension);
    ini.setValue(kSecLogging, QStringLiteral("Prefix voor logbestanden"), data.LogSavePrefix);
    return writeIni(path, ini);
}

void ReadCounters(TInputData &data)
{
    const QString path = SettingsFilePath();
    IniFile ini;
    if (!readIni(path, ini))
        throw KwError(QStringLiteral("Het instellingenbestand %1 kan niet worden gelezen.").arg(path));
    if (readInt(ini, kSecCounters, kBatchKey, 0) == 0) {
        const QString old = findInFolder(settingsFolder(), kOldName);
        if (!old.isEmpty() && old != path && !readIni(old, ini))
            throw KwError(QStringLiteral("Het instellingenbestand %1 kan niet worden gelezen.").arg(old));
    }
    data.BatchVolgnummer = readInt(ini, kSecCounters, kBatchKey, 0);
    data.Incassovolgnummer = readInt(ini, kSecCounters, kIncassoKey, 0);
}

void WriteCounters(const TInputData &data)
{
    const QString path = SettingsWritePath();
    IniFile ini;
    if (!readIni(path, ini))
        throw KwError(QStringLiteral("Het instellingenbestand %1 kan niet worden gelezen.").arg(path));
    ini.setValue(kSecCounters, kBatchKey, QString::number(data.BatchVolgnummer));
    ini.setValue(kSecCounters, kIncassoKey, QString::number(data.Incassovolgnummer));
    if (!writeIni(path, ini))
        throw KwError(
            QStringLiteral("De volgnummers kunnen niet worden opgeslagen in het instellingenbestand %1.").arg(path));
}
