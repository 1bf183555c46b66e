#pragma once

#include "model/InputData.h"
#include "model/RunRecords.h"
#include "rules/AddressRules.h"

#include <QString>

class WorkbookService;

// Builds and saves the pain.008 file of one sequence code: reads the counters,
// takes the rows of that code from the chosen worksheet, stores the advanced
// counters and writes the file into the target folder. False when the build
// stopped; KwError when the workbook, the settings file or the target file
// cannot be read or written.
bool BouwSEPAfile(TIncassobatch &batch, TInputData &data, WorkbookService &service, ProcessingLog &log);

// The text cut to maximum characters (measured without blanks at the ends),
// with a warning in the message box when it is cut.
QString TruncateInput(const QString &text, int maximum);
// The debtor's structured address from the row's two address texts (trimmed),
// its parts cut to what the file allows, with TruncateInput's warning.
TPostalAddress DebtorAddress(const QString &line1, const QString &line2);
// The text followed by the last four digits of number, zero-padded.
QString AppendCounter(const QString &text, int number);
// Incasso_dd_<yyyy-mm-dd>_<code>_08_<batch>.xml
QString SEPAFileNameFor(const QString &reqdColltnDt, const QString &seqCode, int batchNumber);
