#pragma once

#include "model/InputData.h"

#include <QString>

class Clock;

// Tests all input before a run in a fixed order; the first failing test shows
// its box and ends the testing. Sets ssAlgOmschr always, defaultSeqCode and
// onlyRCUR once the data tests pass. The collection date must lie after the clock's today.
bool VerifyInput(TInputData &data, const Clock &clock);
// True when the folder exists (also through a link); else the error box names it.
bool CheckFolderExists(const QString &folder);
// True when the file exists (also through a link); else the error box names it.
bool CheckFileExists(const QString &path);
// folder, the native separator, file; nothing is added or removed.
QString JoinPath(const QString &folder, const QString &file);
