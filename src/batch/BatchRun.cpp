#include "batch/BatchRun.h"

#include "model/Clock.h"
#include "model/Error.h"
#include "model/Notice.h"
#include "model/Register.h"
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
        for (; m_printed < lines.size(); ++m_printed)
            m_out << forTerminal(lines.at(m_printed)) << '\n';
    }
    ProcessingLog &m_log;
    QTextStream &m_out;
    qsizetype m_printed = 0;
};

int exitFor(RunOutcome outcome)
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
    return BatchError;
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
    SettingsStore settings;
    if (!settingsFor(options.settingsFile, settings, err))
        return BatchError;

    TInputData data;
    if (!settings.LoadSettings(data)) {
        err << "kwintor2-batch: het instellingenbestand " << settings.SettingsFilePath()
            << " kan niet worden gelezen.\n";
        return BatchError;
    }
    // Read from the old file only: the counters are written to the new one,
    // which would then hold nothing else and give the next run no settings.
    // The desktop application saves them there on closing; so does this run,
    // before anything of this run alone is set.
    if (settings.SettingsFilePath() != settings.SettingsWritePath() && !settings.SaveSettings(data, clock)) {
        err << "kwintor2-batch: het instellingenbestand " << settings.SettingsWritePath()
            << " kan niet worden geschreven.\n";
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

    if (!options.logFile.isEmpty()) {
        QString error;
        if (!SaveProcessingLog(options.logFile, run.log().lines(), &error)) {
            err << "kwintor2-batch: " << error << '\n';
            return BatchError;
        }
    }
    return exitFor(outcome);
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
