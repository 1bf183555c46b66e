#include "control/RowControl.h"

#include "model/CellValue.h"
#include "model/Notice.h"
#include "model/Register.h"
#include "rules/AccountRules.h"
#include "rules/AddressRules.h"
#include "rules/DateAmountRules.h"
#include "rules/FieldLimits.h"
#include "rules/TextRules.h"
#include "workbook/Worksheet.h"

#include <QHash>

#include <array>
#include <atomic>
#include <future>
#include <limits>
#include <vector>

namespace {
QString rowLine(int n, const QString &text)
{
    return QStringLiteral("== ") + QString::number(n) + QStringLiteral(" : ") + text;
}

QString warningLine(int n, const QString &text)
{
    return QStringLiteral("== LET OP : ") + QString::number(n) + QStringLiteral(" : ") + text;
}

// The first taken row of a mandate in the table.
struct FirstUse
{
    int n = 0;
    QString iban;
    QString code;
};

} // namespace

bool CellAmountCents(const CellValue &cell, qint64 &cents)
{
    QString text;
    switch (cell.kind) {
    case CellValue::Kind::Empty:
        cents = 0;
        return true;
    case CellValue::Kind::Number:
        text = GeneralNumberText(cell.number, QLatin1Char('.'));
        break;
    case CellValue::Kind::Text:
        text = TrimBlanks(cell.text);
        break;
    default:
        return false;
    }
    QString normalised;
    return CheckAmount(text, normalised) && AmountTextToCents(normalised, cents);
}

bool CheckInputRows(const QString &workbook, const QString &sheet, const TInputData &data, WorkbookService &service,
                    const Clock &clock, ProcessingLog &log, TIncassobatches &batches)
{
    int alreadyCollected = 0;
    return CheckInputRows(workbook, sheet, data, service, clock, log, batches, RegisterIndex(), alreadyCollected);
}

namespace {
// A log line or a box, as the check of a row told it.
struct Told
{
    enum class Kind : quint8
    {
        Line,
        Box,
    };
    Kind kind;
    QString text;
    HeldBox::Kind box = HeldBox::Kind::Message;
};

// What the check of one row found. The parts that depend on the rows before it
// (the sums, a mandate met before in the table) are left to merging, in row order.
struct RowOutcome
{
    enum class Kind : quint8
    {
        Blank,
        Unreadable, // the run stops after its lines
        FilteredOut,
        Checked,
    };
    Kind kind = Kind::Blank;
    bool failed = false;
    QList<Told> told; // up to the amount
    qsizetype code = -1;
    bool readable = false;  // the amount text gave cents
    bool cellCents = false; // or else the cell itself
    qint64 cents = 0;
    QList<Told> history; // what the register says of the mandate
    bool historyFailed = false;
    bool sameDate = false;
    QString mandate;
    QString iban;
    QString codeText;
    bool addressWarning = false;
};

// Boxes of the checks go to the row's list while it is checked, so that rows can
// be checked on two threads and still be told in their order.
class RowNotices final : public HoldingNotices
{
public:
    QList<Told> *to = nullptr;

private:
    void hold(HeldBox box) override { to->append({Told::Kind::Box, std::move(box.text), box.kind}); }
};

struct RowContext
{
    const TWorksheet &ws;
    const TInputData &data;
    const Clock &clock;
    const RegisterIndex &history;
    const QLocale &locale;
    QDate collectionDate;
    int nameColumn;
    bool hasCodeColumn;
    bool hasBicColumn;
};

void checkRow(const RowContext &c, int r, int n, RowOutcome &o)
{
    const TWorksheet &ws = c.ws;
    const TInputData &data = c.data;
    const QStringList &codes = SeqCodes();
    RowNotices notices;
    notices.to = &o.told;
    NoticeSink *const outer = setThreadNoticeSink(&notices);
    struct Restore
    {
        NoticeSink *outer;
        ~Restore() { setThreadNoticeSink(outer); }
    } restore{outer};
    const auto line = [&o](QString text) { o.told.append({Told::Kind::Line, std::move(text)}); };
    const auto fault = [&](QString text) {
        line(rowLine(n, text));
        o.failed = true;
    };

    // The texts are read in place where the cells hold text: no copy per cell.
    std::array<QString, LayoutFieldCount> held;
    std::array<QStringView, LayoutFieldCount> values;
    QString nameHeld;
    QStringView nameText;
    if (!ws.cellText(r, c.nameColumn, c.locale, nameHeld, nameText))
        nameText = {};

    CellValue mandateDate;
    if (!nameText.isEmpty()) {
        for (int f = 0; f < LayoutFieldCount; ++f) {
            const int column = data.column(static_cast<TLayoutField>(f));
            if (column == 0)
                continue;
            QStringView text;
            if (!ws.cellText(r, column, c.locale, held[f], text)) {
                line(rowLine(n, QStringLiteral("onleesbare inhoud in kolom ") + ColumnLetters(column) +
                                    QLatin1Char('\r') + QStringLiteral("Verwerking afgebroken")));
                o.kind = RowOutcome::Kind::Unreadable;
                return;
            }
            values[f] = TrimmedBlanks(text);
            if (f == lfMandaatDatum)
                mandateDate = ws.readCell(r, column);
            if (!CheckSEPAChars(values[f]))
                fault(QStringLiteral("ongeoorloofd teken in ") + ShownValue(values[f].toString()));
        }
    }

    if (values[lfNaam].isEmpty()) {
        o.kind = RowOutcome::Kind::Blank;
        return;
    }

    if (data.cbFilter) {
        const QString filterText = TrimBlanks(ws.cellText(r, data.intFilterCol, c.locale));
        if (filterText != data.strFilterReq) {
            o.kind = RowOutcome::Kind::FilteredOut;
            o.code = codes.indexOf(values[lfSeqCode]);
            return;
        }
    }
    o.kind = RowOutcome::Kind::Checked;

    QString description;
    description.reserve(data.ssAlgOmschr.size() + 1 + values[lfOmschrijving].size());
    description.append(data.ssAlgOmschr).append(QLatin1Char(' ')).append(values[lfOmschrijving]);
    values[lfOmschrijving] = description;

    for (int f = 0; f < LayoutFieldCount; ++f) {
        QString message;
        if (MaxFieldLengths[f] > 0 && !CheckLength(values[f], MaxFieldLengths[f], message))
            fault(message);
    }
    if (values[lfMandaatId].isEmpty())
        fault(QStringLiteral("Mandaat code ontbreekt"));

    if (!CheckIBAN(values[lfIBAN]))
        fault(QStringLiteral("IBAN rekening nummer is onjuist : ") + ShownValue(values[lfIBAN].toString()));
    if (c.hasBicColumn && !values[lfBIC].isEmpty() && !IsBIC(values[lfBIC]))
        fault(QStringLiteral("BIC code is onjuist : ") + ShownValue(values[lfBIC].toString()));

    // An empty code cell is an invalid code: the file builder takes no such row, so counting
    // it under a default would make NbOfTxs and CtrlSum disagree with the file.
    const QStringView code = c.hasCodeColumn ? values[lfSeqCode] : QStringView(data.defaultSeqCode);
    o.code = codes.indexOf(code);
    if (o.code < 0)
        fault(QStringLiteral("Ongeldige sequentiecode (FRST, RCUR, FNAL of OOFF) : ") + ShownValue(code.toString()));

    double date = 0;
    if (!CheckDateValue(mandateDate, date, c.clock)) {
        fault(QStringLiteral("Datum van de machtiging : ") + ShownValue(values[lfMandaatDatum].toString()) +
              QStringLiteral(" is geen geldige datum"));
    } else if (c.collectionDate.isValid() && DateFromSerial(date) > c.collectionDate) {
        // A mandate must be signed before it is used.
        fault(QStringLiteral("Datum van de machtiging : ") + ShownValue(values[lfMandaatDatum].toString()) +
              QStringLiteral(" ligt na de incassodatum"));
    }

    QString amount;
    if (!CheckAmount(values[lfBedrag], amount)) {
        fault(amount);
    } else {
        // The cell's own text passed the same normalisation the sum uses,
        // so these are the cents a second reading of the cell would give.
        o.readable = AmountTextToCents(amount, o.cents);
        if (o.readable && o.cents == 0)
            fault(QStringLiteral("Bedrag ontbreekt of is 0"));
        if (!o.readable || o.cents > MaxAmountCents)
            fault(QStringLiteral("Bedrag is te hoog : ") + ShownValue(values[lfBedrag].toString()));
    }
    if (o.code >= 0 && !o.readable)
        o.cellCents = CellAmountCents(ws.readCell(r, data.column(lfBedrag)), o.cents);

    // What was collected before.
    notices.to = &o.history;
    const QString mandate = values[lfMandaatId].toString();
    if (!mandate.isEmpty()) {
        TMandateHistory before;
        if (c.history.find(mandate, before)) {
            if (!before.sameDateFile.isEmpty()) {
                o.sameDate = true;
                o.history.append(
                    {Told::Kind::Line, warningLine(n, QStringLiteral("mandaat ") + mandate +
                                                          QStringLiteral(" is al geïncasseerd met incassodatum ") +
                                                          DateText(c.collectionDate) + QStringLiteral(" (bestand ") +
                                                          before.sameDateFile + QLatin1Char(')'))});
            }
            const bool closed = before.collectedBefore &&
                                (before.lastCode == QLatin1String("FNAL") || before.lastCode == QLatin1String("OOFF"));
            // A closed mandate takes no collection at all: advice on the code would mislead.
            if (before.collectedBefore && !closed && code == QLatin1String("FRST")) {
                o.history.append({Told::Kind::Line, warningLine(n, QStringLiteral("mandaat ") + mandate +
                                                                       QStringLiteral(" is al eerder geïncasseerd; "
                                                                                      "gebruik RCUR in plaats "
                                                                                      "van FRST"))});
            }
            if (closed) {
                o.history.append(
                    {Told::Kind::Line,
                     rowLine(n, QStringLiteral("mandaat ") + mandate + QStringLiteral(" is afgesloten met ") +
                                    before.lastCode + QStringLiteral(" op ") + DateText(before.lastDate) +
                                    QStringLiteral("; een nieuwe incasso vraagt een nieuw mandaat"))});
                o.historyFailed = true;
            }
        }
    }
    o.mandate = mandate;
    o.iban = values[lfIBAN].toString();
    o.codeText = code.toString();

    // The file builder leaves out an address it cannot send structured; the user should know.
    o.addressWarning = (!values[lfAdres1].isEmpty() || !values[lfAdres2].isEmpty()) &&
                       !HasPostcodeAndTown(values[lfAdres1], values[lfAdres2]);
}

void tell(const QList<Told> &told, ProcessingLog &log)
{
    for (const Told &t : told) {
        if (t.kind == Told::Kind::Line)
            log.append(t.text);
        else
            HeldBox{t.box, t.text}.show();
    }
}

} // namespace

bool CheckInputRows(const QString &workbook, const QString &sheet, const TInputData &data, WorkbookService &service,
                    const Clock &clock, ProcessingLog &log, TIncassobatches &batches, const RegisterIndex &history,
                    int &alreadyCollected)
{
    const TWorksheet ws(service, workbook, sheet, data.HasHeadings);
    const int lastRow = ws.TotalNoRows;

    const QStringList &codes = SeqCodes();
    std::array<int, 4> counts{};
    std::array<qint64, 4> sums{};
    qint64 allCents = 0;
    std::array<int, 4> leftOut{};
    int blankRows = 0;
    bool result = true;
    const int h = data.HasHeadings ? 1 : 0;
    const QLocale locale; // once: every cell is turned into text with it
    // The verification has accepted it; without a date (a run not verified) nothing is compared.
    const RowContext context{ws,
                             data,
                             clock,
                             history,
                             locale,
                             DateOfText(data.IncassoDate),
                             data.column(lfNaam),
                             data.column(lfSeqCode) != 0,
                             data.column(lfBIC) != 0};
    alreadyCollected = 0;
    QHash<QString, FirstUse> mandates; // of the taken rows
    mandates.reserve(lastRow);

    log.append(QStringLiteral("== Start van de controle van : ") + QString::number(lastRow - h) +
               QStringLiteral(" inputregels."));

    // Rows are checked on their own; what depends on the rows before is done here, in order.
    // False when the run stops at this row.
    const auto merge = [&](const RowOutcome &o, int n) {
        tell(o.told, log);
        switch (o.kind) {
        case RowOutcome::Kind::Unreadable:
            return false;
        case RowOutcome::Kind::Blank:
            if (o.failed)
                result = false;
            ++blankRows;
            return true;
        case RowOutcome::Kind::FilteredOut:
            if (o.failed)
                result = false;
            if (context.hasCodeColumn && o.code >= 0)
                ++leftOut[o.code];
            return true;
        case RowOutcome::Kind::Checked:
            break;
        }
        if (o.failed)
            result = false;
        if (o.code >= 0) {
            ++counts[o.code];
            // An amount that would take the sums of all codes past what cents can hold is
            // not readable either, so neither a code's sum nor the run's total overflows.
            if ((o.readable || o.cellCents) && o.cents <= std::numeric_limits<qint64>::max() - allCents) {
                sums[o.code] += o.cents;
                allCents += o.cents;
            } else {
                log.append(rowLine(n, QStringLiteral("Bedrag is niet leesbaar. Corrigeer")));
                result = false;
            }
        }
        tell(o.history, log);
        if (o.sameDate)
            ++alreadyCollected;
        if (o.historyFailed)
            result = false;
        // What this table would collect twice.
        if (!o.mandate.isEmpty()) {
            const auto first = mandates.constFind(o.mandate);
            if (first == mandates.cend()) {
                mandates.insert(o.mandate, {n, o.iban, o.codeText});
            } else if (first->iban != o.iban) {
                log.append(rowLine(n, QStringLiteral("mandaat ") + o.mandate + QStringLiteral(" staat ook in regel ") +
                                          QString::number(first->n) + QStringLiteral(" met een ander IBAN")));
                result = false;
            } else if (first->code == o.codeText) {
                log.append(warningLine(n, QStringLiteral("mandaat ") + o.mandate +
                                              QStringLiteral(" staat ook in regel ") + QString::number(first->n) +
                                              QStringLiteral("; de debiteur wordt twee keer geïncasseerd")));
            }
        }
        if (o.addressWarning) {
            log.append(QStringLiteral("== LET OP : ") + QString::number(n) +
                       QStringLiteral(" : geen postcode en plaats gevonden in het adres; het adres wordt niet "
                                      "meegestuurd"));
        }
        return true;
    };

    // A large table: a second thread checks the second half meanwhile.
    const int firstRow = h + 1;
    const int split = lastRow - h >= RowsForTwoThreads ? firstRow + (lastRow - h) / 2 : lastRow + 1;
    std::atomic<bool> stop = false;
    std::future<std::vector<RowOutcome>> second;
    if (split <= lastRow) {
        second = std::async(std::launch::async, [&context, &stop, split, lastRow, h] {
            std::vector<RowOutcome> outcomes(std::size_t(lastRow - split + 1));
            for (int r = split; r <= lastRow && !stop.load(std::memory_order_relaxed); ++r)
                checkRow(context, r, r - h, outcomes[std::size_t(r - split)]);
            return outcomes;
        });
    }
    // Whatever ends the check, the second thread stops at its next row.
    const struct StopOnExit
    {
        std::atomic<bool> &stop;
        ~StopOnExit() { stop = true; }
    } stopOnExit{stop};
    for (int r = firstRow; r < split; ++r) {
        RowOutcome o;
        checkRow(context, r, r - h, o);
        if (!merge(o, r - h))
            return false;
    }
    if (second.valid()) {
        const std::vector<RowOutcome> outcomes = second.get();
        for (int r = split; r <= lastRow; ++r) {
            if (!merge(outcomes[std::size_t(r - split)], r - h))
                return false;
        }
    }

    if (alreadyCollected > 0) {
        log.append(QStringLiteral("== LET OP : ") + QString::number(alreadyCollected) +
                   QStringLiteral(" incasso('s) uit deze tabel zijn al eerder verwerkt met dezelfde incassodatum."));
    }

    for (int k = 0; k < 4; ++k) {
        TIncassobatch &b = batches[k];
        b.SeqCode = codes.at(k);
        b.SeqCodeNo = k + 1;
        b.NoTransactions = counts[k];
        b.TotalCents = sums[k];
        b.SEPAFileName.clear();
        if (leftOut[k] > 0) {
            log.append(QStringLiteral("== LET OP : Er wordt/worden ") + QString::number(leftOut[k]) +
                       QStringLiteral(" regel(s) met sequentiecode ") + codes.at(k) +
                       QStringLiteral(" geselecteerd voor verwerking."));
        }
    }
    log.append(QString());

    if (blankRows > 0) {
        log.append(QStringLiteral("== LET OP : Er is/zijn ") + QString::number(blankRows) +
                   QStringLiteral(" blanco regel(s) gevonden in het inputbestand,"));
        log.append(QStringLiteral("   deze worden genegeerd."));
        log.append(QString());
        const int m = lastRow - blankRows - h;
        log.append(QStringLiteral("== Er kunnen : ") + QString::number(m) +
                   QStringLiteral(" incasso s aangemaakt worden."));
        if (m == 0) {
            log.append(QStringLiteral("== Geen enkele incasso!! Controleer het Excel werkboek/werkblad!!"));
            result = false;
        }
    }

    return result;
}
