#pragma once

#include "model/CellValue.h"
#include "model/InputData.h"
#include "model/RunRecords.h"

#include <QString>

class Clock;
class RegisterIndex;
class WorkbookService;

// Reads every row of the worksheet and checks each collection, logging every
// fault, and counts and sums the collections per sequence code into records 0
// to 3. True when no fault was found (and, with blank rows, at least one
// collection remains). Throws KwError when the workbook or sheet cannot be read.
// The register of earlier runs (history, indexed for this run's collection date)
// shows mandates collected before; alreadyCollected gets the taken rows whose
// mandate was already collected with this collection date.
bool CheckInputRows(const QString &workbook, const QString &sheet, const TInputData &data, WorkbookService &service,
                    const Clock &clock, ProcessingLog &log, TIncassobatches &batches, const RegisterIndex &history,
                    int &alreadyCollected);
// The same with an empty register.
bool CheckInputRows(const QString &workbook, const QString &sheet, const TInputData &data, WorkbookService &service,
                    const Clock &clock, ProcessingLog &log, TIncassobatches &batches);

// Tables of at least this many rows are checked on two threads; the log and the
// boxes come out as from one. Tests lower it to compare the two.
inline int RowsForTwoThreads = 2000;

// The cents of a cell for the sum: a number cell, or a text amount read with the
// same normalisation as the amount check; an empty cell is 0.
bool CellAmountCents(const CellValue &cell, qint64 &cents);
