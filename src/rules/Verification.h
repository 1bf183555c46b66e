#pragma once

#include "model/InputData.h"

#include <QString>

// Tests all input before a run in a fixed order; the first failing test shows
// its box and ends the testing. Sets ssAlgOmschr always, defaultSeqCode and
// onlyRCUR once the data tests pass.
bool VerifyInput(TInputData &data);
// True when the folder exists (also through a link); else the error box names it.
bool CheckFolderExists(const QString &folder);
// True when the file exists (also through a link); else the error box names it.
bool CheckFileExists(const QString &path);
// folder, the native separator, file; nothing is added or removed.
QString JoinPath(const QString &folder, const QString &file);
