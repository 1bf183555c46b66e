#pragma once

#include "model/InputData.h"

#include <QString>

#include <memory>

class Clock;
class QLockFile;

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

    // Loads every key into the record; false, with the reason in *error, when the file
    // exists but cannot be read.
    bool LoadSettings(TInputData &data, QString *error = nullptr) const;
    // Saves every key, with the clock's date as the date of the save; false, with the
    // message in *error, when the file cannot be written (the old file then stays
    // intact). The counters that the file holds stay as they are: they belong to the
    // runs, and a screen opened before a run would otherwise put them back. Takes the
    // run lock for as long as it saves.
    bool SaveSettings(const TInputData &data, const Clock &clock, QString *error = nullptr) const;
    // The two counters; both throw KwError when the file cannot be read or written.
    // ReadCounters also throws when a counter is there but not a whole number from 0 to
    // MaxCounter: such a file is left as it is, for the user to mend.
    TCounters ReadCounters() const;
    void WriteCounters(const TCounters &counters) const;
    // Whether the file to read holds any key of the program.
    bool HoldsSettings() const;

    // One run at a time numbers files with this settings file: the lock (the file to
    // write + ".lock") is held from a run's first ReadCounters to its last
    // WriteCounters and the saving of that file. Waits up to lockWait() ms while
    // another program holds it, then throws KwError with the message; a lock whose
    // program is no longer running is taken over. Not to be taken twice at once.
    std::unique_ptr<QLockFile> LockCounters() const;
    QString LockFilePath() const;
    int lockWait() const { return m_lockWaitMs; }
    void setLockWait(int ms) { m_lockWaitMs = ms; }

private:
    bool writeIni(const QString &path, const QByteArray &bytes, QString *reason) const;

    QString m_folder; // empty: the program's own
    QString m_file;   // empty: the names in the folder
    int m_lockWaitMs = 10000;
};
