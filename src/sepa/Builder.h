#pragma once

#include "model/InputData.h"
#include "model/Register.h"
#include "model/RunRecords.h"
#include "rules/AddressRules.h"

#include <QString>

class ByteOutput;
class Clock;
class TWorksheet;
class WorkbookService;

// How a build of one file ended. The run turns it into what the user sees.
struct BuildResult
{
    enum class Kind
    {
        Made,        // the whole document went to the output
        Stopped,     // creditor data missing, an amount unreadable, totals unlike the control's; no message
        MandateDate, // a mandate date that is no date; message for the error dialog
        Failed,      // the workbook could not be opened or read, the output refused it, or a counter is at
                     // MaxCounter; message ends the run
    };
    Kind kind = Kind::Stopped;
    QString message;
    QString fileName; // Made: the name the file takes in the target folder
    // The counters after the build: the batch number advances unless it is at
    // MaxCounter, the collection number only with a file made.
    TCounters counters;
    // Made: what the file holds, for the register.
    TRegisterFile written;
};

// Builds the pain.008 document of one sequence code into out: numbers it on
// from counters, takes the rows of that code from the chosen worksheet and
// logs one line per collection; CreDtTm is the clock's now. Reads and writes no file of its own: the run
// stores the counters and saves the document. Too long texts are cut with a
// warning in the message box.
BuildResult BouwSEPAfile(const TIncassobatch &batch, const TInputData &data, const TCounters &counters,
                         WorkbookService &service, const Clock &clock, ProcessingLog &log, ByteOutput &out);
// Same, from a worksheet already open. It only reads the sheet, the data and the
// clock, so that files of one run can be built on several threads at once
// (each with its own log and notice sink, see setThreadNoticeSink).
BuildResult BouwSEPAfile(const TIncassobatch &batch, const TInputData &data, const TCounters &counters,
                         const TWorksheet &sheet, const Clock &clock, ProcessingLog &log, ByteOutput &out);

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
