#pragma once

#include <QString>

class Clock;
class QTextStream;

// What one batch run is asked to do.
struct BatchOptions
{
    QString settingsFile; // empty: the program's own settings file
    QString sheet;
    QString workbook;     // overrides the workbook of the settings for this run
    QString targetFolder; // overrides the target folder for this run
    QString incassoDate;  // overrides the collection date for this run: dd-mm-yyyy, or +N bank working days
    QString logFile;      // also save the processing log here
    bool onlyControl = false;
    bool again = false; // --opnieuw: the answer "Ja" to collecting again what was collected with this date
};

// Exit status of a run.
enum BatchExit
{
    BatchOk = 0,
    BatchFaults = 1,
    BatchError = 2
};

// The collection date an --incassodatum option stands for: "+N" is the N-th
// bank working day after the clock's today; any other text is taken as it is.
QString CollectionDateFor(const QString &option, const Clock &clock);

// Verifies the input, controls the rows and, unless only the control is
// asked, writes the files. Boxes go to err, the processing log to out.
int RunBatch(const BatchOptions &options, const Clock &clock, QTextStream &out, QTextStream &err);

// One line per file in the register beside the settings file (empty: the
// program's own), oldest first: made, file, code, collection date, number of
// collections and total, separated by tabs.
int ShowRegister(const QString &settingsFile, QTextStream &out, QTextStream &err);
