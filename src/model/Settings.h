#pragma once

#include "model/InputData.h"

#include <QString>

// Where the settings file lies: DefaultSettingsFolder() unless a test or the
// batch command says otherwise.
void setSettingsFolder(const QString &folder);
QString settingsFolder();
// The executable's folder for a build folder or a portable copy; the user's
// $XDG_CONFIG_HOME/Kwintor2 (default ~/.config/Kwintor2) for an installed program
// (one with ../share/kwintor2 beside its folder) or a folder the user may not write.
QString DefaultSettingsFolder(const QString &exeFolder);
// One explicit file for reading and writing (the batch command's --instellingen); empty to unset.
void setSettingsFile(const QString &path);

// The file to read: "Kwintor2.ini", else the older "Dravelin.INI", else "Kwintor2.ini";
// a name that differs only in case is found too.
QString SettingsFilePath();
// The file to write: always "Kwintor2.ini" (or the existing file of that name in another case).
QString SettingsWritePath();

// Loads every key into the record; false when the file exists but cannot be read.
bool LoadSettings(TInputData &data);
// Saves every key; false when the file cannot be written (the old file then stays intact).
bool SaveSettings(const TInputData &data);
// The two counters; both throw KwError when the file cannot be read or written.
void ReadCounters(TInputData &data);
void WriteCounters(const TInputData &data);
