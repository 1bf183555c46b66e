#include "batch/BatchRun.h"

#include "model/Clock.h"
#include "model/Error.h"
#include "model/Notice.h"
#include "model/Register.h"
#include "model/SafeFile.h"
#include "model/Settings.h"
#include "processing/LogSaving.h"
#include "processing/ProcessingRun.h"
#include "rules/DateAmountRules.h"
#include "rules/Verification.h"
#include "workbook/WorkbookService.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {
QString forTerminal(QString text)
{
    return text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

// Every box becomes one block on stderr, after the log lines written before it.
// The one question, whether to collect again, is answered by --opnieuw.
class StderrNotices final : public NoticeSink
{
public:
    StderrNotices(QTextStream &out, QTextStream &err, bool again) : m_out(out), m_err(err), m_again(again)
    {
        setNoticeSink(this);
    }
    ~StderrNotices() override { setNoticeSink(nullptr); }

    void message(const QString &text) override { block(QStringLiteral("Melding: "), text); }
    void error(const QString &text) override { block(QStringLiteral("Foutmelding: "), text); }
    void errorDialog(const QString &text) override { block(QStringLiteral("Foutmelding: "), text); }
    bool question(const QString &text) override
    {
        block(QStringLiteral("Vraag: "), text + QLatin1Char('\r') +
                                             (m_again ? QStringLiteral("Antwoord: Ja (--opnieuw)")
                                                      : QStringLiteral("Antwoord: Nee (met --opnieuw: Ja)")));
        return m_again;
    }

private:
    void block(const QString &kind, const QString &text)
    {
        m_out.flush();
        m_err << kind << forTerminal(text) << "\n\n";
        m_err.flush();
    }
    QTextStream &m_out;
    QTextStream &m_err;
    bool m_again;
};

// Prints the log's new lines as they are appended; the stream is flushed
// before every box and at the end, not after every one of 100,000 lines.
class LogPrinter
{
public:
    LogPrinter(ProcessingLog &log, QTextStream &out) : m_log(log), m_out(out)
    {
        m_log.setListener([this] { print(); });
    }
    ~LogPrinter()
    {
        m_log.setListener({});
        m_out.flush();
    }

private:
    void print()
    {
        const QStringList &lines = m_log.lines();
        if (lines.size() < m_printed)
            m_printed = 0;
        for (; m_printed < lines.size(); ++m_printed) {
            const QString &line = lines.at(m_printed);
            if (line.contains(QLatin1Char('\r')))
                m_out << forTerminal(line) << '\n';
            else
                m_out << line << '\n';
        }
    }
    ProcessingLog &m_log;
    QTextStream &m_out;
    qsizetype m_printed = 0;
};

bool anyFileMade(const ProcessingRun &run)
{
    for (int k = 0; k < 4; ++k) {
        if (!run.incassobatches()[k].SEPAFileName.isEmpty())
            return true;
    }
    return false;
}

// 2 only when nothing was made: a script that runs the command again after a 2
// must not collect twice. A run that ended after some files is a file not made.
int exitFor(RunOutcome outcome, bool filesMade)
{
    switch (outcome) {
    case RunOutcome::Passed:
        return BatchOk;
    case RunOutcome::Failed:
    case RunOutcome::Declined:
        return BatchFaults;
    case RunOutcome::Aborted:
        break;
    }
    return filesMade ? BatchFaults : BatchError;
}

bool settingsFor(const QString &file, SettingsStore &settings, QTextStream &err)
{
    if (file.isEmpty())
        return true;
    if (!QFileInfo(file).isFile()) {
        err << "kwintor2-batch: het instellingenbestand " << file << " bestaat niet.\n";
        return false;
    }
    settings = SettingsStore::ofFile(QFileInfo(file).absoluteFilePath());
    return true;
}
} // namespace

QString CollectionDateFor(const QString &option, const Clock &clock)
{
    // "+N": a monthly script needs no date arithmetic. Anything else is left
    // to the verification, which says what is wrong with it.
    if (option.size() < 2 || option.size() > 5 || option.at(0) != QLatin1Char('+'))
        return option;
    int n = 0;
    for (const QChar c : QStringView(option).sliced(1)) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return option;
        n = n * 10 + (c.unicode() - u'0');
    }
    return DateText(BankWorkingDayAfter(clock.now().date(), n));
}

int RunBatch(const BatchOptions &options, const Clock &clock, QTextStream &out, QTextStream &err)
{
    StderrNotices notices(out, err, options.again);
    // Checked before anything is made: a log that cannot be saved afterwards
    // would end a run whose files exist.
    if (!options.logFile.isEmpty()) {
        QString error;
        if (!CanWriteFileAtomically(options.logFile, &error)) {
            err << "kwintor2-batch: " << error << '\n';
            return BatchError;
        }
    }
    SettingsStore settings;
    QString shownSettings = settings.SettingsFilePath();
    if (!options.settingsFile.isEmpty()) {
        settings = SettingsStore::ofFile(QFileInfo(options.settingsFile).absoluteFilePath());
        shownSettings = options.settingsFile;
    }
    if (!QFileInfo::exists(settings.SettingsFilePath())) {
        err << "kwintor2-batch: het instellingenbestand " << shownSettings << " bestaat niet.\n";
        return BatchError;
    }

    TInputData data;
    QString reason;
    if (!settings.LoadSettings(data, &reason)) {
        err << "kwintor2-batch: het instellingenbestand " << shownSettings << " kan niet worden gelezen: " << reason
            << ".\n";
        return BatchError;
    }
    // An empty or foreign file would otherwise end in the first check of a placeholder.
    if (!settings.HoldsSettings()) {
        err << "kwintor2-batch: Het instellingenbestand " << shownSettings << " bevat geen Kwintor2 instellingen.\n";
        return BatchError;
    }
    // Read from the old file only: the counters are written to the new one,
    // which would then hold nothing else and give the next run no settings.
    // The desktop application saves them there on closing; so does this run,
    // before anything of this run alone is set.
    if (settings.SettingsFilePath() != settings.SettingsWritePath() && !settings.SaveSettings(data, clock, &reason)) {
        err << "kwintor2-batch: " << reason << '\n';
        return BatchError;
    }
    // These hold for this run only; nothing writes them back.
    if (!options.workbook.isEmpty()) {
        const QFileInfo workbook(options.workbook);
        data.InputFolder = workbook.absolutePath();
        data.InputFile = workbook.fileName();
    }
    if (!options.targetFolder.isEmpty())
        data.TargetFolder = QFileInfo(options.targetFolder).absoluteFilePath();
    if (!options.incassoDate.isEmpty())
        data.IncassoDate = CollectionDateFor(options.incassoDate, clock);
    data.SelectedWorkbook = JoinPath(data.InputFolder, data.InputFile);
    data.SelectedSheet = options.sheet;

    if (!VerifyInput(data, clock))
        return BatchFaults;

    WorkbookService service;
    ProcessingRun run(data, settings, clock, service);
    LogPrinter printer(run.log(), out);
    RunOutcome outcome = run.show();
    if (outcome == RunOutcome::Passed && !options.onlyControl)
        outcome = run.verwerken();

    const bool filesMade = anyFileMade(run);
    if (!options.logFile.isEmpty()) {
        QString error;
        if (!SaveProcessingLog(options.logFile, run.log().lines(), &error)) {
            err << "kwintor2-batch: " << error << '\n';
            // The status tells what became of the files; the log went to stdout as well.
            if (!filesMade)
                return BatchError;
            err << "kwintor2-batch: LET OP: de bestanden zijn wel gemaakt; het log staat op stdout.\n";
        }
    }
    return exitFor(outcome, filesMade);
}

int ShowRegister(const QString &settingsFile, QTextStream &out, QTextStream &err)
{
    SettingsStore settings;
    if (!settingsFor(settingsFile, settings, err))
        return BatchError;
    const CollectionRegister reg(settings.RegisterPath());
    QList<TRegisterSummary> files;
    try {
        files = reg.files();
    } catch (const KwError &e) {
        err << "kwintor2-batch: " << forTerminal(e.message()) << '\n';
        return BatchError;
    }
    if (!QFileInfo::exists(reg.path()))
        err << "kwintor2-batch: het register " << QDir::toNativeSeparators(reg.path()) << " bestaat nog niet.\n";
    for (const TRegisterSummary &file : files) {
        const QDateTime made = QDateTime::fromString(file.made, Qt::ISODate);
        const QDate collected = QDate::fromString(file.collectionDate, Qt::ISODate);
        const QString total = QString::number(file.totalCents / 100) + QLatin1Char('.') +
                              QString::number(file.totalCents % 100).rightJustified(2, QLatin1Char('0'));
        out << (made.isValid() ? DateText(made.date()) + QLatin1Char(' ') + made.time().toString(u"HH:mm:ss")
                               : file.made)
            << '\t' << file.fileName << '\t' << file.seqCode << '\t' << DateText(collected) << '\t' << file.collections
            << '\t' << total << '\n';
    }
    out.flush();
    return BatchOk;
}
