#include "processing/ProcessingRun.h"

#include "control/RowControl.h"
#include "model/CellValue.h"
#include "model/Clock.h"
#include "model/Error.h"
#include "model/Notice.h"
#include "model/Register.h"
#include "model/SafeFile.h"
#include "model/Settings.h"
#include "rules/DateAmountRules.h"
#include "rules/TextRules.h"
#include "rules/Verification.h"
#include "sepa/Builder.h"
#include "sepa/Pain008.h"
#include "workbook/Worksheet.h"

#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <QRegularExpression>

#include <algorithm>
#include <array>
#include <future>
#include <optional>

namespace {
qint64 registerSize(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() ? info.size() : -1;
}

// A pain.008 file streamed into its SafeFile in large pieces: the temporary
// file is made at the first byte and takes its name only at commit(), so a
// document half written is never seen under it.
class DocumentFile final : public ByteOutput
{
public:
    explicit DocumentFile(const QString &path) : m_file(path) {}

    bool write(QByteArrayView bytes) override
    {
        if (m_failed)
            return false;
        if (!m_opened) {
            m_opened = true;
            m_chunk.reserve(ChunkSize);
            if (!m_file.open())
                return failed();
        }
        if (m_chunk.size() + bytes.size() > ChunkSize && !flush())
            return false;
        if (bytes.size() >= ChunkSize)
            return m_file.write(bytes) || failed();
        m_chunk.append(bytes);
        return true;
    }
    QString errorString() const override { return m_file.errorString(); }
    // Whether the file refused bytes (as against a build that stopped).
    bool hasFailed() const { return m_failed; }
    // Every byte handed to the file, not yet flushed to disk.
    bool flush()
    {
        if (m_failed || m_chunk.isEmpty())
            return !m_failed;
        const bool written = m_file.write(m_chunk);
        m_chunk.truncate(0);
        return written || failed();
    }
    bool commit() { return flush() && (m_file.commit() || failed()); }

private:
    static constexpr qsizetype ChunkSize = qsizetype(1) << 20;
    bool failed()
    {
        m_failed = true;
        return false;
    }
    SafeFile m_file;
    QByteArray m_chunk;
    bool m_opened = false;
    bool m_failed = false;
};

// The boxes of a build done ahead on another thread, each with the number of
// log lines before it, to be shown in their turn.
class HeldNotices final : public HoldingNotices
{
public:
    struct Held
    {
        HeldBox box;
        qsizetype logLines;
    };

    explicit HeldNotices(const ProcessingLog &log) : m_log(log) {}

    QList<Held> held;

private:
    void hold(HeldBox box) override { held.append({std::move(box), m_log.lines().size()}); }
    const ProcessingLog &m_log;
};

QString incassos(int count)
{
    return QString::number(count) + QStringLiteral(" incasso") + QLatin1Char('\'') + QLatin1Char('s');
}
} // namespace

QString RunAmountText(double amount)
{
    const QString general = GeneralNumberText(amount, DecimalPoint());
    QString normalised;
    return CheckAmount(general, normalised) ? normalised : general;
}

QString RunDateTimeText(const QDateTime &when)
{
    const QLocale locale;
    // The long time format without the time zone Qt appends.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QRegularExpression(QStringLiteral("\\s*\\bt+\\b\\s*")));
    timeFormat = timeFormat.trimmed();
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(when.time(), timeFormat);
}

QList<QStringList> SummaryGridRows(const TIncassobatches &batches)
{
    QList<QStringList> rows;
    for (const TIncassobatch &b : batches)
        rows.append({b.SeqCode, b.SEPAFileName, QString::number(b.NoTransactions), RunAmountText(b.TotalAmount())});
    return rows;
}

// One code's file built on another thread while the run made the file before
// it: taken in its turn when the counters it was built from came true.
struct ProcessingRun::AheadBuild
{
    TCounters from;
    std::unique_ptr<DocumentFile> file;
    BuildResult built;
    ProcessingLog log;
    QList<HeldNotices::Held> notices;
};

std::unique_ptr<ProcessingRun::AheadBuild> ProcessingRun::buildAhead(const TIncassobatch &batch, const TInputData &data,
                                                                     TCounters from, const TWorksheet &sheet,
                                                                     const Clock &clock)
{
    auto ahead = std::make_unique<AheadBuild>();
    ahead->from = from;
    ahead->file = std::make_unique<DocumentFile>(fileFor(data, batch, from));
    HeldNotices held(ahead->log);
    struct Installed
    {
        NoticeSink *outer;
        ~Installed() { setThreadNoticeSink(outer); }
    } installed{setThreadNoticeSink(&held)};
    ahead->built = BouwSEPAfile(batch, data, from, sheet, clock, ahead->log, *ahead->file);
    ahead->notices = std::move(held.held);
    return ahead;
}

QString ProcessingRun::fileFor(const TInputData &data, const TIncassobatch &batch, const TCounters &from)
{
    // The name the builder gives the file; at the top the build stops before a byte is written.
    return JoinPath(data.TargetFolder, SEPAFileNameFor(ReverseDateText(data.IncassoDate), batch.SeqCode,
                                                       std::min(from.BatchVolgnummer, MaxCounter - 1) + 1));
}

ProcessingRun::ProcessingRun(TInputData &data, const SettingsStore &settings, const Clock &clock,
                             WorkbookService &service)
    : m_data(data), m_settings(settings), m_clock(clock), m_service(service)
{}

RunOutcome ProcessingRun::show()
{
    ReturnCode = ScreenAction::Shown;
    m_logFileStamp = LogFileStamp(m_clock.now());
    m_verwerkenOffered = false;
    m_log.clear();

    m_log.append(QStringLiteral("== Kwintor: Log van de verwerking op ") + RunDateTimeText(m_clock.now()));
    m_log.append(QString());
    m_log.append(QStringLiteral(" * * * *"));
    m_log.append(QString());
    m_log.append(QStringLiteral("== Invoer van mappen en bestanden is correct."));
    m_log.append(QString());
    m_log.append(QStringLiteral("== De SEPA gegevens van de incasseerder zijn gecontroleerd."));
    m_log.append(QStringLiteral("Let wel: de BIC code is NIET gecontroleerd."));
    m_log.append(QString());
    m_log.append(QStringLiteral("== De incassogegevens staan in werkboek : "));
    m_log.append(QStringLiteral("        ") + m_data.SelectedWorkbook);
    m_log.append(QStringLiteral("== Te controleren de gegevens op werkblad : ") + ShownValue(m_data.SelectedSheet));
    m_log.append(QStringLiteral("== De tabel op dit werkblad heeft ") +
                 (m_data.HasHeadings ? QString() : QStringLiteral(" geen ")) + QStringLiteral("koppen."));
    if (m_data.cbFilter) {
        m_log.append(QStringLiteral("== Alleen regels met selectie filter: \"") + ShownValue(m_data.strFilterReq) +
                     QStringLiteral("\" in kolom: \"") + ColumnLetters(m_data.intFilterCol) + QLatin1Char('\r') +
                     QStringLiteral("\" worden in het XML-bestand opgenomen."));
    }
    m_log.append(QString());

    bool passed = false;
    int alreadyCollected = 0;
    try {
        // Read once for the whole run; a damaged register stops it before any row is read.
        const qint64 size = registerSize(m_settings.RegisterPath());
        const RegisterIndex history =
            CollectionRegister(m_settings.RegisterPath()).index(DateOfText(m_data.IncassoDate));
        m_registerSize = size;
        m_registerHighest = history.highestBatchNumber();
        passed = CheckInputRows(m_data.SelectedWorkbook, m_data.SelectedSheet, m_data, m_service, m_clock, m_log,
                                m_batches, history, alreadyCollected);
    } catch (const KwError &e) {
        m_log.append(QStringLiteral("== FOUT: ") + e.message());
        ShowErrorMessage(e.message());
        return RunOutcome::Aborted;
    }
    if (passed && alreadyCollected > 0 &&
        !AskQuestion(QStringLiteral("Er zijn ") + QString::number(alreadyCollected) +
                     QStringLiteral(" incasso's die al eerder zijn verwerkt met dezelfde incassodatum.") +
                     QLatin1Char('\r') + QStringLiteral("Wilt u ze toch opnieuw verwerken?"))) {
        m_log.append(QStringLiteral("== Verwerking niet gestart: deze incasso's zijn al eerder verwerkt."));
        m_log.append(QString());
        return RunOutcome::Declined;
    }
    if (passed) {
        m_log.append(QStringLiteral("== De Excel input is correct. Kies Verwerken."));
        m_verwerkenOffered = true;
    } else {
        m_log.append(QString());
        m_log.append(QStringLiteral("== Corrigeer de fouten in de input en herhaal de bewerking."));
    }
    m_log.append(QString());
    return passed ? RunOutcome::Passed : RunOutcome::Failed;
}

bool ProcessingRun::makeFile(TIncassobatch &batch, AheadBuild *ahead, const TWorksheet *sheet)
{
    TCounters stored = m_settings.ReadCounters();
    // A settings file restored from a backup, or one of another computer, would repeat
    // numbers the bank has seen: the register knows them all.
    if (stored.BatchVolgnummer < m_registerHighest) {
        m_log.append(QStringLiteral("== LET OP : Het laatste batchnummer in het instellingenbestand (") +
                     QString::number(stored.BatchVolgnummer) +
                     QStringLiteral(") is lager dan het hoogste in het register (") +
                     QString::number(m_registerHighest) + QStringLiteral("); de nummering gaat verder na ") +
                     QString::number(m_registerHighest) + QLatin1Char('.'));
        stored.BatchVolgnummer = m_registerHighest;
    }
    const QString path = fileFor(m_data, batch, stored);
    std::unique_ptr<DocumentFile> own;
    DocumentFile *file = nullptr;
    BuildResult built;
    if (ahead && ahead->from.BatchVolgnummer == stored.BatchVolgnummer &&
        ahead->from.Incassovolgnummer == stored.Incassovolgnummer) {
        // Its lines and boxes come out where the build's own would have.
        qsizetype line = 0;
        const QStringList &lines = ahead->log.lines();
        for (const HeldNotices::Held &notice : std::as_const(ahead->notices)) {
            for (; line < notice.logLines; ++line)
                m_log.append(lines.at(line));
            notice.box.show();
        }
        for (; line < lines.size(); ++line)
            m_log.append(lines.at(line));
        built = std::move(ahead->built);
        file = ahead->file.get();
    } else {
        own = std::make_unique<DocumentFile>(path);
        file = own.get();
        built = sheet ? BouwSEPAfile(batch, m_data, stored, *sheet, m_clock, m_log, *file)
                      : BouwSEPAfile(batch, m_data, stored, m_service, m_clock, m_log, *file);
    }
    // A stopped build keeps its batch number in the record only; the next build reads the stored one again.
    m_data.BatchVolgnummer = built.counters.BatchVolgnummer;
    m_data.Incassovolgnummer = built.counters.Incassovolgnummer;
    switch (built.kind) {
    case BuildResult::Kind::Made:
        break;
    case BuildResult::Kind::Stopped:
        return false;
    case BuildResult::Kind::MandateDate:
        ShowErrorDialog(built.message);
        return false;
    case BuildResult::Kind::Failed:
        if (file->hasFailed()) {
            // Numbers that may have reached the disk are not used again.
            m_settings.WriteCounters(
                {built.counters.BatchVolgnummer, stored.Incassovolgnummer + std::max(batch.NoTransactions, 0)});
            throw KwError(Pain008SaveError(path, file->errorString()));
        }
        throw KwError(built.message);
    }
    Q_ASSERT(path.endsWith(built.fileName));

    // The counters are stored before the file is saved, so a number is never used twice.
    m_settings.WriteCounters(built.counters);
    if (!file->flush())
        throw KwError(Pain008SaveError(path, file->errorString()));
    // The register's lines are on disk before the file takes its name: a file that exists is
    // always in the register (lines without their file only give a needless warning later).
    try {
        CollectionRegister(m_settings.RegisterPath()).append(built.written);
    } catch (const KwError &e) {
        throw KwError(e.message() + QLatin1Char('\r') + QStringLiteral("Het bestand ") + built.fileName +
                      QStringLiteral(" is niet gemaakt."));
    }
    if (!file->commit())
        throw KwError(Pain008SaveError(path, file->errorString()));
    // Named only once it exists, so no summary ever shows a file that was not made.
    batch.SEPAFileName = built.fileName;
    return true;
}

RunOutcome ProcessingRun::verwerken()
{
    // Only what the control accepted, and never twice: a file that was made
    // would otherwise be made again under a new number and collected twice.
    if (!m_verwerkenOffered)
        return RunOutcome::Failed;
    ReturnCode = ScreenAction::Verwerken;
    // One run at a time per settings file, from its first counters to its last file:
    // two runs at once would give their files the same numbers.
    std::unique_ptr<QLockFile> lock;
    try {
        lock = m_settings.LockCounters();
    } catch (const KwError &e) {
        m_log.append(QStringLiteral("== FOUT: ") + e.message());
        ShowErrorMessage(e.message());
        return RunOutcome::Aborted;
    }
    // Another run may have added to the register since the control read it.
    const QString registerPath = m_settings.RegisterPath();
    if (const qint64 size = registerSize(registerPath); size != m_registerSize) {
        try {
            m_registerHighest = CollectionRegister(registerPath).index(QDate()).highestBatchNumber();
            m_registerSize = size;
        } catch (const KwError &e) {
            m_log.append(QStringLiteral("== FOUT: ") + e.message());
            ShowErrorMessage(e.message());
            return RunOutcome::Aborted;
        }
    }
    m_log.append(QString());
    m_log.append(QStringLiteral("VERWERKING"));
    m_log.append(QString());
    if (const int removed = RemoveLeftoverTempFiles(m_data.TargetFolder); removed > 0) {
        m_log.append(QStringLiteral("== LET OP : Er is/zijn ") + QString::number(removed) +
                     QStringLiteral(" tijdelijk(e) bestand(en) van een afgebroken verwerking uit de doelmap "
                                    "verwijderd."));
    }

    // The files are independent once the rows are read: while one is made, a
    // second thread builds the next from the counters this one will leave. The
    // sheet is opened once for both; an error opening it is left to the builds.
    std::optional<TWorksheet> sheet;
    std::array<TCounters, 4> predicted;
    const auto nextCode = [this](int k) {
        while (++k < 4 && m_batches[k].NoTransactions <= 0) {
        }
        return k < 4 ? k : -1;
    };
    if (const int first = nextCode(-1); BuildFilesAhead && first >= 0 && nextCode(first) >= 0) {
        try {
            TCounters from = m_settings.ReadCounters();
            from.BatchVolgnummer = std::max(from.BatchVolgnummer, m_registerHighest);
            for (int k = first; k >= 0; k = nextCode(k)) {
                predicted[k] = from;
                from = {from.BatchVolgnummer + 1, from.Incassovolgnummer + m_batches[k].NoTransactions};
            }
            sheet.emplace(m_service, m_data.SelectedWorkbook, m_data.SelectedSheet, m_data.HasHeadings);
        } catch (const KwError &) {
            sheet.reset();
        }
    }
    std::future<std::unique_ptr<AheadBuild>> pending;
    int pendingFor = -1;

    int totalCount = 0;
    qint64 totalCents = 0;
    bool allMade = true;
    bool anyMade = false;
    for (int k = 0; k < 4; ++k) {
        TIncassobatch &batch = m_batches[k];
        m_log.append(QStringLiteral(" * * * * "));
        m_log.append(QString());
        if (batch.NoTransactions <= 0) {
            ShowMelding(QStringLiteral("Er zijn geen incasso's met code ") + batch.SeqCode + QLatin1Char('\r') +
                        QStringLiteral("in dit Excelbestand."));
            m_log.append(QStringLiteral("== Bestand : Er zijn geen incasso's met code ") + batch.SeqCode +
                         QStringLiteral(" in ") + QLatin1Char('\r') + QStringLiteral("dit Excelbestand."));
            m_log.append(QString());
            continue;
        }

        std::unique_ptr<AheadBuild> ahead;
        if (pendingFor == k) {
            ahead = pending.get();
            pendingFor = -1;
        }
        // The second thread takes every other file: the next one while this one is built
        // here, or, when it built this one, the one after the next, which it can start
        // while this one is stored and the next is built here.
        if (int next = sheet && pendingFor < 0 ? nextCode(k) : -1; next >= 0) {
            if (ahead)
                next = nextCode(next);
            if (next >= 0) {
                pending = std::async(std::launch::async, &ProcessingRun::buildAhead, m_batches[next], m_data,
                                     predicted[next], std::cref(*sheet), std::cref(m_clock));
                pendingFor = next;
            }
        }
        bool made = false;
        try {
            made = makeFile(batch, ahead.get(), sheet ? &*sheet : nullptr);
        } catch (const KwError &e) {
            m_log.append(QStringLiteral("== FOUT: ") + e.message());
            ShowErrorMessage(e.message());
            // Files already made must not be built a second time: that would collect twice.
            if (anyMade) {
                m_verwerkenOffered = false;
                m_processed = true;
            }
            return RunOutcome::Aborted;
        }

        if (!made) {
            allMade = false;
            const QString line = QStringLiteral("== FOUT: Het bestand met code ") + batch.SeqCode +
                                 QStringLiteral(" is NIET aangemaakt.");
            ShowMelding(line);
            m_log.append(QString());
            m_log.append(line);
            m_log.append(QString());
            continue;
        }

        anyMade = true;
        totalCount += batch.NoTransactions;
        totalCents += batch.TotalCents;
        const QString amount = RunAmountText(batch.TotalAmount());
        ShowMelding(QStringLiteral("Bestand : ") + QLatin1Char('\r') + batch.SEPAFileName + QLatin1Char('\r') +
                    QStringLiteral("is aangemaakt.") + QLatin1Char('\r') + incassos(batch.NoTransactions) +
                    QStringLiteral(" met een bedrag van ") + amount + QStringLiteral(" euro."));
        m_log.append(QString());
        m_log.append(QStringLiteral("== Bestand : ") + batch.SEPAFileName + QStringLiteral(" is aangemaakt"));
        m_log.append(QStringLiteral("in map :") + m_data.TargetFolder);
        m_log.append(QStringLiteral("== ") + incassos(batch.NoTransactions) + QStringLiteral(" met een bedrag van ") +
                     amount + QStringLiteral(" euro."));
        m_log.append(QString());
    }

    TIncassobatch &total = m_batches[4];
    total.SeqCode = QStringLiteral("Totaal");
    total.SeqCodeNo = 0;
    total.NoTransactions = totalCount;
    total.TotalCents = totalCents;
    total.SEPAFileName = QStringLiteral(" = = =");

    m_log.append(QString());
    m_log.append(QStringLiteral("== Totaal : ") + incassos(totalCount) + QLatin1Char('.'));
    m_log.append(QStringLiteral("== Totaal bedrag : ") + GeneralNumberText(total.TotalAmount(), DecimalPoint()) +
                 QStringLiteral(" euro."));
    m_log.append(QString());
    m_log.append((allMade ? QStringLiteral("Verwerking succesvol afgesloten om ")
                          : QStringLiteral("Verwerking afgesloten met fouten om ")) +
                 RunDateTimeText(m_clock.now()));
    m_log.append(QString());

    m_verwerkenOffered = false;
    m_processed = true;
    return allMade ? RunOutcome::Passed : RunOutcome::Failed;
}
