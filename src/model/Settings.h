#pragma once

#include "model/InputData.h"

#include <QString>

// Where the settings file lies: the executable's folder unless a test or the
// batch command says otherwise.
void setSettingsFolder(const QString &folder);
QString settingsFolder();
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
