#include "sepa/Builder.h"

#include "model/CellValue.h"
#include "model/Clock.h"
#include "model/Error.h"
#include "model/Notice.h"
#include "model/SafeFile.h"
#include "rules/DateAmountRules.h"
#include "rules/FieldLimits.h"
#include "rules/TextRules.h"
#include "sepa/Pain008.h"
#include "workbook/Worksheet.h"

#include <limits>
#include <optional>

namespace {
using Kind = BuildResult::Kind;

// Past MaxCounter a number would wrap to one the bank has had; the run stops instead.
QString batchAtTop()
{
    return QStringLiteral("Het batchnummer staat op het hoogste getal (%1): er kan geen volgend bestand worden "
                          "genummerd. Kies een nieuw incassolabel en zet Laatste batchnummer in het "
                          "instellingenbestand terug op 0.")
        .arg(MaxCounter);
}
QString collectionAtTop()
{
    return QStringLiteral("Het incassonummer staat op het hoogste getal (%1): er kan geen volgende incasso worden "
                          "genummerd. Zet Laatste incassonummer in het instellingenbestand terug op 0.")
        .arg(MaxCounter);
}

// The build itself: a return before the end is a silent stop (result.kind
// stays Stopped); errors of the workbook come out as KwError.
void build(BuildResult &result, const TIncassobatch &batch, const TInputData &data, WorkbookService *service,
           const TWorksheet *opened, const Clock &clock, ProcessingLog &log, ByteOutput &out)
{
    const auto end = [&result](Kind kind, const QString &message) {
        result.kind = kind;
        result.message = message;
    };
    const int batchNumber = result.counters.BatchVolgnummer;
    const QString batchText = QString::number(batchNumber);

    // The label gives way, not the batch number: every file keeps an identifier of its own.
    Pain008Header header;
    const QString msgIdEnd = QLatin1Char('_') + batch.SeqCode + QLatin1Char('_') + batchText;
    header.MsgId = TruncateInput(data.IncassoLabel, FieldLimit::MessageId - int(msgIdEnd.size())) + msgIdEnd;
    header.CreDtTm = CreationDateTime(clock);
    header.InitgPtyName = TruncateInput(data.Incassant, FieldLimit::Name);
    if (header.InitgPtyName.isEmpty())
        return;
    header.NbOfTxs = QString::number(batch.NoTransactions);
    if (!CheckAmount(GeneralNumberText(batch.TotalAmount(), QLatin1Char('.')), header.CtrlSum))
        return;
    const QString pmtInfIdEnd = QLatin1Char('_') + batchText;
    header.PmtInfId =
        TruncateInput(data.IncassoLabel, FieldLimit::PaymentInfoId - int(pmtInfIdEnd.size())) + pmtInfIdEnd;
    header.ReqdColltnDt = ReverseDateText(data.IncassoDate);
    header.CdtrName = TruncateInput(data.Incassant, FieldLimit::Name);
    header.CdtrIBAN = data.IBAN;
    if (header.CdtrIBAN.isEmpty())
        return;
    header.CdtrBIC = data.BIC;
    header.CdtrSchmeId = data.ZZZCode;
    if (header.CdtrSchmeId.isEmpty())
        return;
    header.SeqTp = batch.SeqCode;

    out.reserve(4096 + qsizetype(batch.NoTransactions) * 900);
    if (!out.write(Pain008Bytes(Pain008HeaderLines(header))))
        return end(Kind::Failed, out.errorString());

    std::optional<TWorksheet> own;
    if (!opened)
        own.emplace(*service, data.SelectedWorkbook, data.SelectedSheet, data.HasHeadings);
    const TWorksheet &ws = opened ? *opened : *own;
    const QLocale locale;
    const auto cell = [&](int row, int column) { return ws.cellText(row, column, locale); };
    const QList<int> &col = data.InputArray;
    int counter = result.counters.Incassovolgnummer;
    int collected = 0;
    qint64 collectedCents = 0;

    TRegisterFile &written = result.written;
    written.collections.reserve(batch.NoTransactions);

    const int firstRow = ws.KolomHeadings ? 2 : 1;
    QByteArray bytes; // one collection's, kept from row to row
    for (int r = firstRow; r <= ws.TotalNoRows; ++r) {
        // The three tests have no side effects, so the cheapest goes first: most rows of
        // a four-code table belong to another file.
        if (col[lfSeqCode] != 0 && !ws.cellTextIs(r, col[lfSeqCode], batch.SeqCode, locale))
            continue;
        if (data.cbFilter && !ws.cellTextIs(r, data.intFilterCol, data.strFilterReq, locale))
            continue;
        QString nameText;
        if (!CellText(ws.readCell(r, col[lfNaam]), nameText, locale) || TrimBlanks(nameText).isEmpty())
            continue;

        if (counter >= MaxCounter)
            return end(Kind::Failed, collectionAtTop());
        ++counter;
        TIncassoRegel regel;
        if (!CheckAmount(TrimBlanks(cell(r, col[lfBedrag])), regel.InstdAmt))
            return;
        // As the debtor signed it: blanks at its ends would make another mandate id.
        regel.MndtId = TruncateInput(TrimBlanks(cell(r, col[lfMandaatId])), FieldLimit::MandateId);
        double date = 0;
        if (!TryDateValue(ws.readCell(r, col[lfMandaatDatum]), date, clock)) {
            return end(Kind::MandateDate,
                       QStringLiteral("Conversiefout in datum van machtiging in Excel input op regel ") +
                           QString::number(r));
        }
        regel.DtOfSgntr = DateToISO(date);
        regel.DbtrIBAN = TrimBlanks(cell(r, col[lfIBAN]));
        // The control checked the BIC without its blanks; in the file a blank would break it.
        regel.DbtrAgtBIC = col[lfBIC] != 0 ? TruncateInput(TrimBlanks(cell(r, col[lfBIC])), FieldLimit::BIC)
                                           : QStringLiteral("NOTPROVIDED");
        regel.DbtrNm = TruncateInput(nameText, FieldLimit::Name);
        if (col[lfAdres1] != 0 || col[lfAdres2] != 0) {
            regel.DbtrAdr = DebtorAddress(col[lfAdres1] != 0 ? TrimBlanks(cell(r, col[lfAdres1])) : QString(),
                                          col[lfAdres2] != 0 ? TrimBlanks(cell(r, col[lfAdres2])) : QString());
        }
        regel.Ustrd =
            TruncateInput(data.Omschrijving + QLatin1Char('_') + cell(r, col[lfOmschrijving]), FieldLimit::Remittance);
        regel.EndToEndId = AppendCounter(regel.MndtId, counter);
        qint64 cents = 0;
        // Beyond what cents can hold the sum cannot equal the control's either.
        if (!AmountTextToCents(regel.InstdAmt, cents) || cents > std::numeric_limits<qint64>::max() - collectedCents)
            return;
        ++collected;
        collectedCents += cents;
        bytes.truncate(0);
        AppendPain008TransactionBytes(bytes, regel);
        if (!out.write(bytes))
            return end(Kind::Failed, out.errorString());
        written.collections.append({TrimBlanks(regel.MndtId), regel.DbtrIBAN, regel.InstdAmt});
        log.append(QStringLiteral("== ") + QString::number(r) + QStringLiteral("  ") + regel.DbtrNm +
                   QStringLiteral("  ") + regel.InstdAmt + QStringLiteral("  ") + regel.Ustrd);
    }

    // NbOfTxs and CtrlSum come from the row control; a workbook changed since
    // then must not give a file whose totals disagree with its collections.
    if (collected != batch.NoTransactions || collectedCents != batch.TotalCents)
        return;
    if (!out.write(Pain008Bytes(Pain008ClosingLines())))
        return end(Kind::Failed, out.errorString());
    result.kind = Kind::Made;
    result.counters.Incassovolgnummer = counter;
    result.fileName = SEPAFileNameFor(header.ReqdColltnDt, batch.SeqCode, batchNumber);
    written.made = header.CreDtTm;
    written.fileName = result.fileName;
    written.msgId = header.MsgId;
    written.seqCode = batch.SeqCode;
    written.collectionDate = header.ReqdColltnDt;
}
} // namespace

QString TruncateInput(const QString &text, int maximum)
{
    if (TrimBlanks(text).size() <= maximum)
        return text;
    ShowMelding(QStringLiteral("De input : ") + QLatin1Char('\r') + ShownValue(text) + QStringLiteral(" is te lang.") +
                QLatin1Char('\r') + QStringLiteral("Maximaal ") + QString::number(maximum) +
                QStringLiteral(" characters. Wordt ingekort. "));
    return text.left(maximum);
}

TPostalAddress DebtorAddress(const QString &line1, const QString &line2)
{
    TPostalAddress address = ReadPostalAddress(line1, line2);
    address.StrtNm = TruncateInput(address.StrtNm, FieldLimit::Street);
    address.BldgNb = TruncateInput(address.BldgNb, FieldLimit::BuildingNumber);
    address.TwnNm = TruncateInput(address.TwnNm, FieldLimit::Town);
    return address;
}

QString AppendCounter(const QString &text, int number)
{
    if (number < 0) {
        const QString padded = QStringLiteral("00000") + QString::number(number);
        return text + padded.right(4);
    }
    // The last four digits, as "00000" + the number cut to four would give them.
    QString out;
    out.reserve(text.size() + 4);
    out.append(text);
    for (int divisor = 1000; divisor > 0; divisor /= 10)
        out.append(QChar(char16_t(u'0' + number / divisor % 10)));
    return out;
}

QString SEPAFileNameFor(const QString &reqdColltnDt, const QString &seqCode, int batchNumber)
{
    return QStringLiteral("Incasso_dd_") + reqdColltnDt + QLatin1Char('_') + seqCode + QStringLiteral("_08_") +
           QString::number(batchNumber) + QStringLiteral(".xml");
}

namespace {
BuildResult buildFile(const TIncassobatch &batch, const TInputData &data, const TCounters &counters,
                      WorkbookService *service, const TWorksheet *sheet, const Clock &clock, ProcessingLog &log,
                      ByteOutput &out)
{
    BuildResult result;
    if (counters.BatchVolgnummer >= MaxCounter) {
        result.kind = Kind::Failed;
        result.message = batchAtTop();
        result.counters = counters;
        return result;
    }
    result.counters = {counters.BatchVolgnummer + 1, counters.Incassovolgnummer};
    try {
        build(result, batch, data, service, sheet, clock, log, out);
    } catch (const KwError &e) {
        result.kind = Kind::Failed;
        result.message = e.message();
    }
    return result;
}
} // namespace

BuildResult BouwSEPAfile(const TIncassobatch &batch, const TInputData &data, const TCounters &counters,
                         WorkbookService &service, const Clock &clock, ProcessingLog &log, ByteOutput &out)
{
    return buildFile(batch, data, counters, &service, nullptr, clock, log, out);
}

BuildResult BouwSEPAfile(const TIncassobatch &batch, const TInputData &data, const TCounters &counters,
                         const TWorksheet &sheet, const Clock &clock, ProcessingLog &log, ByteOutput &out)
{
    return buildFile(batch, data, counters, nullptr, &sheet, clock, log, out);
}
