#pragma once

#include "model/InputData.h"

#include <QString>

class Clock;

// The executable's folder for a build folder or a portable copy; the user's
// $XDG_CONFIG_HOME/Kwintor2 (default ~/.config/Kwintor2) for an installed program
// (one with ../share/kwintor2 beside its folder) or a folder the user may not write.
QString DefaultSettingsFolder(const QString &exeFolder);

// The settings file: where it is read and written, and what it holds. The
// batch command and the desktop application each make one and hand it to
// what needs it. Every call opens, uses and closes the file.
class SettingsStore
{
public:
    // The program's own file, in DefaultSettingsFolder() of the executable's
    // folder; that folder is made on the first save.
    SettingsStore() = default;
    // The file in this folder, which must exist.
    static SettingsStore inFolder(const QString &folder);
    // One explicit file for reading and writing (the batch command's --instellingen).
    static SettingsStore ofFile(const QString &path);

    QString folder() const;
    // The file to read: "Kwintor2.ini", else the older "Dravelin.INI", else "Kwintor2.ini";
    // a name that differs only in case is found too.
    QString SettingsFilePath() const;
    // The file to write: always "Kwintor2.ini" (or the existing file of that name in another case).
    QString SettingsWritePath() const;
    // The register of the collections made, beside the settings file in use.
    QString RegisterPath() const;

    // Loads every key into the record; false when the file exists but cannot be read.
    bool LoadSettings(TInputData &data) const;
    // Saves every key, with the clock's date as the date of the save; false when the
    // file cannot be written (the old file then stays intact).
    bool SaveSettings(const TInputData &data, const Clock &clock) const;
    // The two counters; both throw KwError when the file cannot be read or written.
    TCounters ReadCounters() const;
    void WriteCounters(const TCounters &counters) const;

private:
    bool writeIni(const QString &path, const QByteArray &bytes) const;

    QString m_folder; // empty: the program's own
    QString m_file;   // empty: the names in the folder
};
