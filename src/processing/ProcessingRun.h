#pragma once

#include "model/InputData.h"
#include "model/RunRecords.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <memory>

class Clock;
class SettingsStore;
class TWorksheet;
class WorkbookService;

// How a step of the run ended.
enum class RunOutcome
{
    Passed,   // control passed / every file was made
    Failed,   // control found faults / a file could not be built
    Aborted,  // an error ended the step (unreadable workbook, file not writable); shown and logged
    Declined, // the control passed, but the user chose not to collect again what was collected before
};

// The processing screen's last action.
enum class ScreenAction
{
    Shown = 0,
    Verwerken = 1,
    Closed = 2, // with Button4
    LogSaved = 3,
};

// The processing screen's work without widgets: the log header and row
// control when the screen is shown, "Verwerken", the totals. Boxes go through
// the notice sink; the screen only mirrors log, buttons and grid.
class ProcessingRun
{
public:
    // The run reads and stores the counters in settings and takes the time from clock;
    // all four must outlive it.
    ProcessingRun(TInputData &data, const SettingsStore &settings, const Clock &clock, WorkbookService &service);

    // Showing the screen: stamp, header, register, row control, and the question when rows
    // were collected before with this collection date. Verwerken is offered on Passed.
    RunOutcome show();
    // "Verwerken": one file per code with collections, totals. After it, Verwerken is hidden
    // unless the run was Aborted before any file was made. Does nothing and gives Failed when
    // Verwerken is not offered.
    RunOutcome verwerken();

    bool verwerkenOffered() const { return m_verwerkenOffered; }
    bool processed() const { return m_processed; } // Button4 reads "Afsluiten" from now on

    ProcessingLog &log() { return m_log; }
    const ProcessingLog &log() const { return m_log; }
    TIncassobatches &incassobatches() { return m_batches; }
    const TIncassobatches &incassobatches() const { return m_batches; }
    const QString &logFileStamp() const { return m_logFileStamp; }

    ScreenAction ReturnCode = ScreenAction::Shown;

private:
    // One code's file: counters read, document built, counters stored, file saved. False
    // (after the builder's box) when the build stopped; KwError when the run cannot go on.
    // ahead: the file built on another thread, used when it was built from the counters
    // read now; sheet: the worksheet open for the whole run, if it is.
    struct AheadBuild;
    bool makeFile(TIncassobatch &batch, AheadBuild *ahead, const TWorksheet *sheet);
    static std::unique_ptr<AheadBuild> buildAhead(const TIncassobatch &batch, const TInputData &data, TCounters from,
                                                  const TWorksheet &sheet, const Clock &clock);
    // Where the file of batch built from these counters goes.
    static QString fileFor(const TInputData &data, const TIncassobatch &batch, const TCounters &from);
    TInputData &m_data;
    const SettingsStore &m_settings;
    const Clock &m_clock;
    WorkbookService &m_service;
    ProcessingLog m_log;
    TIncassobatches m_batches;
    QString m_logFileStamp;
    bool m_verwerkenOffered = false;
    bool m_processed = false;
    // The register's size before the control read it (-1: none), to see whether another
    // run added to it since, and the highest batch number it holds.
    qint64 m_registerSize = -1;
    int m_registerHighest = 0;
};

// Whether "Verwerken" builds the next file on a second thread while it makes one;
// the files, the log and the boxes come out the same. Tests turn it off to compare.
inline bool BuildFilesAhead = true;

// The amount of a run as shown: general decimal form with the user's decimal
// separator, then normalised to a decimal point and two decimals (37.50).
QString RunAmountText(double amount);
// The user's short date, a blank, the time as hh:mm:ss in the user's order.
QString RunDateTimeText(const QDateTime &when);

// The five rows of the summary grid: code, file name, count, amount.
QList<QStringList> SummaryGridRows(const TIncassobatches &batches);
