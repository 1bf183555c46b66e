#include "control/RowControl.h"

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
#include <limits>

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
    const int nameColumn = data.column(lfNaam);
    const bool hasCodeColumn = data.column(lfSeqCode) != 0;
    const QLocale locale; // once: every cell is turned into text with it
    const bool hasBicColumn = data.column(lfBIC) != 0;
    // The verification has accepted it; without a date (a run not verified) nothing is compared.
    const QDate collectionDate = DateOfText(data.IncassoDate);
    alreadyCollected = 0;
    QHash<QString, FirstUse> mandates; // of the taken rows
    mandates.reserve(lastRow);

    log.append(QStringLiteral("== Start van de controle van : ") + QString::number(lastRow - h) +
               QStringLiteral(" inputregels."));

    for (int r = h + 1; r <= lastRow; ++r) {
        const int n = r - h;
        QString nameText;
        if (!CellText(ws.readCell(r, nameColumn), nameText, locale))
            nameText.clear();

        std::array<QString, LayoutFieldCount> values;
        CellValue mandateDate;
        if (!nameText.isEmpty()) {
            for (int f = 0; f < LayoutFieldCount; ++f) {
                const int column = data.column(static_cast<TLayoutField>(f));
                if (column == 0)
                    continue;
                const CellValue cell = ws.readCell(r, column);
                QString text;
                if (!CellText(cell, text, locale)) {
                    log.append(rowLine(n, QStringLiteral("onleesbare inhoud in kolom ") + ColumnLetters(column) +
                                              QLatin1Char('\r') + QStringLiteral("Verwerking afgebroken")));
                    return false;
                }
                values[f] = TrimBlanks(text);
                if (f == lfMandaatDatum)
                    mandateDate = cell;
                if (!CheckSEPAChars(values[f])) {
                    log.append(rowLine(n, QStringLiteral("ongeoorloofd teken in ") + ShownValue(values[f])));
                    result = false;
                }
            }
        }

        if (values[lfNaam].isEmpty()) {
            ++blankRows;
            continue;
        }

        if (data.cbFilter) {
            const QString filterText = TrimBlanks(ws.cellText(r, data.intFilterCol, locale));
            if (filterText != data.strFilterReq) {
                const qsizetype k = codes.indexOf(values[lfSeqCode]);
                if (hasCodeColumn && k >= 0)
                    ++leftOut[k];
                continue;
            }
        }

        values[lfOmschrijving] = data.ssAlgOmschr + QLatin1Char(' ') + values[lfOmschrijving];

        for (int f = 0; f < LayoutFieldCount; ++f) {
            QString message;
            if (MaxFieldLengths[f] > 0 && !CheckLength(values[f], MaxFieldLengths[f], message)) {
                log.append(rowLine(n, message));
                result = false;
            }
        }
        if (values[lfMandaatId].isEmpty()) {
            log.append(rowLine(n, QStringLiteral("Mandaat code ontbreekt")));
            result = false;
        }

        if (!CheckIBAN(values[lfIBAN])) {
            log.append(rowLine(n, QStringLiteral("IBAN rekening nummer is onjuist : ") + ShownValue(values[lfIBAN])));
            result = false;
        }
        if (hasBicColumn && !values[lfBIC].isEmpty() && !IsBIC(values[lfBIC])) {
            log.append(rowLine(n, QStringLiteral("BIC code is onjuist : ") + ShownValue(values[lfBIC])));
            result = false;
        }

        // An empty code cell is an invalid code: the file builder takes no such row, so counting
        // it under a default would make NbOfTxs and CtrlSum disagree with the file.
        const QString code = hasCodeColumn ? values[lfSeqCode] : data.defaultSeqCode;
        const qsizetype k = codes.indexOf(code);
        if (k < 0) {
            log.append(
                rowLine(n, QStringLiteral("Ongeldige sequentiecode (FRST, RCUR, FNAL of OOFF) : ") + ShownValue(code)));
            result = false;
        }

        double date = 0;
        if (!CheckDateValue(mandateDate, date, clock)) {
            log.append(rowLine(n, QStringLiteral("Datum van de machtiging : ") + ShownValue(values[lfMandaatDatum]) +
                                      QStringLiteral(" is geen geldige datum")));
            result = false;
        } else if (collectionDate.isValid() && DateFromSerial(date) > collectionDate) {
            // A mandate must be signed before it is used.
            log.append(rowLine(n, QStringLiteral("Datum van de machtiging : ") + ShownValue(values[lfMandaatDatum]) +
                                      QStringLiteral(" ligt na de incassodatum")));
            result = false;
        }

        QString amount;
        qint64 cents = 0;
        bool readable = false;
        if (!CheckAmount(values[lfBedrag], amount)) {
            log.append(rowLine(n, amount));
            result = false;
        } else {
            // The cell's own text passed the same normalisation the sum uses,
            // so these are the cents a second reading of the cell would give.
            readable = AmountTextToCents(amount, cents);
            if (readable && cents == 0) {
                log.append(rowLine(n, QStringLiteral("Bedrag ontbreekt of is 0")));
                result = false;
            }
            if (!readable || cents > MaxAmountCents) {
                log.append(rowLine(n, QStringLiteral("Bedrag is te hoog : ") + ShownValue(values[lfBedrag])));
                result = false;
            }
        }

        if (k >= 0) {
            ++counts[k];
            // An amount that would take the sums of all codes past what cents can hold is
            // not readable either, so neither a code's sum nor the run's total overflows.
            if ((readable || CellAmountCents(ws.readCell(r, data.column(lfBedrag)), cents)) &&
                cents <= std::numeric_limits<qint64>::max() - allCents) {
                sums[k] += cents;
                allCents += cents;
            } else {
                log.append(rowLine(n, QStringLiteral("Bedrag is niet leesbaar. Corrigeer")));
                result = false;
            }
        }

        // What was collected before, and what this table would collect twice.
        const QString &mandate = values[lfMandaatId];
        if (!mandate.isEmpty()) {
            TMandateHistory before;
            if (history.find(mandate, before)) {
                if (!before.sameDateFile.isEmpty()) {
                    ++alreadyCollected;
                    log.append(warningLine(n, QStringLiteral("mandaat ") + mandate +
                                                  QStringLiteral(" is al geïncasseerd met incassodatum ") +
                                                  DateText(collectionDate) + QStringLiteral(" (bestand ") +
                                                  before.sameDateFile + QLatin1Char(')')));
                }
                const bool closed = before.collectedBefore && (before.lastCode == QLatin1String("FNAL") ||
                                                               before.lastCode == QLatin1String("OOFF"));
                // A closed mandate takes no collection at all: advice on the code would mislead.
                if (before.collectedBefore && !closed && code == QLatin1String("FRST")) {
                    log.append(warningLine(n, QStringLiteral("mandaat ") + mandate +
                                                  QStringLiteral(" is al eerder geïncasseerd; gebruik RCUR in plaats "
                                                                 "van FRST")));
                }
                if (closed) {
                    log.append(rowLine(n, QStringLiteral("mandaat ") + mandate + QStringLiteral(" is afgesloten met ") +
                                              before.lastCode + QStringLiteral(" op ") + DateText(before.lastDate) +
                                              QStringLiteral("; een nieuwe incasso vraagt een nieuw mandaat")));
                    result = false;
                }
            }
            const auto first = mandates.constFind(mandate);
            if (first == mandates.cend()) {
                mandates.insert(mandate, {n, values[lfIBAN], code});
            } else if (first->iban != values[lfIBAN]) {
                log.append(rowLine(n, QStringLiteral("mandaat ") + mandate + QStringLiteral(" staat ook in regel ") +
                                          QString::number(first->n) + QStringLiteral(" met een ander IBAN")));
                result = false;
            } else if (first->code == code) {
                log.append(warningLine(n, QStringLiteral("mandaat ") + mandate +
                                              QStringLiteral(" staat ook in regel ") + QString::number(first->n) +
                                              QStringLiteral("; de debiteur wordt twee keer geïncasseerd")));
            }
        }

        // The file builder leaves out an address it cannot send structured; the user should know.
        if ((!values[lfAdres1].isEmpty() || !values[lfAdres2].isEmpty()) &&
            !HasPostcodeAndTown(values[lfAdres1], values[lfAdres2])) {
            log.append(QStringLiteral("== LET OP : ") + QString::number(n) +
                       QStringLiteral(" : geen postcode en plaats gevonden in het adres; het adres wordt niet "
                                      "meegestuurd"));
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
