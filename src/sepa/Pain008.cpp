#include "sepa/Pain008.h"

#include "model/SafeFile.h"

#include <QDir>
#include <QStringEncoder>

#include <algorithm>

namespace {

const QString NotProvided = QStringLiteral("NOTPROVIDED");

QStringView tabs(int count)
{
    return QStringView(u"\t\t\t\t\t\t").first(count);
}

bool isMarkup(QChar c)
{
    return c == u'&' || c == u'<' || c == u'>';
}

// Element content: only the characters that would break the markup are escaped.
// Quotes are harmless in content and stay as they are.
QString xmlText(const QString &value)
{
    const auto first = std::find_if(value.cbegin(), value.cend(), isMarkup);
    if (first == value.cend())
        return value;
    QString out;
    out.reserve(value.size() + 16);
    out.append(QStringView(value.cbegin(), first));
    for (auto it = first; it != value.cend(); ++it) {
        switch (it->unicode()) {
        case u'&':
            out.append(u"&amp;");
            break;
        case u'<':
            out.append(u"&lt;");
            break;
        case u'>':
            out.append(u"&gt;");
            break;
        default:
            out.append(*it);
        }
    }
    return out;
}

void addLine(QStringList &lines, int tabCount, QStringView text)
{
    lines.append(tabs(tabCount) % text);
}

// <tag>value</tag>, or <tag attributes>value</tag>.
void addElement(QStringList &lines, int tabCount, QStringView tag, const QString &value, QStringView attributes = {})
{
    lines.append(tabs(tabCount) % u'<' % tag % attributes % u'>' % xmlText(value) % u"</" % tag % u'>');
}

// An empty BICFI fails the BIC pattern; an agent without a BIC is identified as Othr/NOTPROVIDED.
void addAgentIdentification(QStringList &lines, int tabCount, const QString &bic)
{
    if (bic.isEmpty() || bic == NotProvided) {
        addLine(lines, tabCount, u"<Othr>");
        addElement(lines, tabCount + 1, u"Id", NotProvided);
        addLine(lines, tabCount, u"</Othr>");
    } else {
        addElement(lines, tabCount, u"BICFI", bic);
    }
}

// Structured only: the banks refuse an address of <AdrLine> lines.
void addPostalAddress(QStringList &lines, const TPostalAddress &address)
{
    if (address.isEmpty())
        return;
    addLine(lines, 3, u"<PstlAdr>");
    const auto part = [&lines](QStringView tag, const QString &value) {
        if (!value.isEmpty())
            addElement(lines, 4, tag, value);
    };
    part(u"StrtNm", address.StrtNm);
    part(u"BldgNb", address.BldgNb);
    part(u"PstCd", address.PstCd);
    part(u"TwnNm", address.TwnNm);
    part(u"Ctry", address.Ctry);
    addLine(lines, 3, u"</PstlAdr>");
}

// UTF-8 needs at most three bytes per UTF-16 unit (a surrogate pair takes four for two).
qsizetype utf8Bound(const QString &line)
{
    qsizetype bound = 0;
    for (const QChar c : line)
        bound += c.unicode() < 0x80 ? 1 : c.unicode() < 0x800 ? 2 : 3;
    return bound;
}

} // namespace

QStringList Pain008HeaderLines(const Pain008Header &header)
{
    QStringList lines;
    lines.reserve(55);
    addLine(lines, 0, u"<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    addLine(lines, 0,
            u"<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:pain.008.001.08\""
            u" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">");
    addLine(lines, 0, u"<CstmrDrctDbtInitn>");
    addLine(lines, 0, u"<GrpHdr>");
    addElement(lines, 1, u"MsgId", header.MsgId);
    addElement(lines, 1, u"CreDtTm", header.CreDtTm);
    addElement(lines, 1, u"NbOfTxs", header.NbOfTxs);
    addElement(lines, 1, u"CtrlSum", header.CtrlSum);
    addLine(lines, 1, u"<InitgPty>");
    addElement(lines, 2, u"Nm", header.InitgPtyName);
    addLine(lines, 1, u"</InitgPty>");
    addLine(lines, 0, u"</GrpHdr>");
    addLine(lines, 0, u"<PmtInf>");
    addElement(lines, 1, u"PmtInfId", header.PmtInfId);
    addLine(lines, 1, u"<PmtMtd>DD</PmtMtd>");
    addElement(lines, 1, u"NbOfTxs", header.NbOfTxs);
    addElement(lines, 1, u"CtrlSum", header.CtrlSum);
    addLine(lines, 1, u"<PmtTpInf>");
    addLine(lines, 2, u"<SvcLvl>");
    addLine(lines, 3, u"<Cd>SEPA</Cd>");
    addLine(lines, 2, u"</SvcLvl>");
    addLine(lines, 2, u"<LclInstrm>");
    addLine(lines, 3, u"<Cd>CORE</Cd>");
    addLine(lines, 2, u"</LclInstrm>");
    addElement(lines, 2, u"SeqTp", header.SeqTp);
    addLine(lines, 1, u"</PmtTpInf>");
    addElement(lines, 1, u"ReqdColltnDt", header.ReqdColltnDt);
    addLine(lines, 1, u"<Cdtr>");
    addElement(lines, 2, u"Nm", header.CdtrName);
    addLine(lines, 1, u"</Cdtr>");
    addLine(lines, 1, u"<CdtrAcct>");
    addLine(lines, 2, u"<Id>");
    addElement(lines, 3, u"IBAN", header.CdtrIBAN);
    addLine(lines, 2, u"</Id>");
    addLine(lines, 1, u"</CdtrAcct>");
    addLine(lines, 1, u"<CdtrAgt>");
    addLine(lines, 2, u"<FinInstnId>");
    addAgentIdentification(lines, 3, header.CdtrBIC);
    addLine(lines, 2, u"</FinInstnId>");
    addLine(lines, 1, u"</CdtrAgt>");
    addLine(lines, 1, u"<ChrgBr>SLEV</ChrgBr>");
    addLine(lines, 1, u"<CdtrSchmeId>");
    addLine(lines, 2, u"<Id>");
    addLine(lines, 3, u"<PrvtId>");
    addLine(lines, 4, u"<Othr>");
    addElement(lines, 5, u"Id", header.CdtrSchmeId);
    addLine(lines, 5, u"<SchmeNm>");
    addLine(lines, 6, u"<Prtry>SEPA</Prtry>");
    addLine(lines, 5, u"</SchmeNm>");
    addLine(lines, 4, u"</Othr>");
    addLine(lines, 3, u"</PrvtId>");
    addLine(lines, 2, u"</Id>");
    addLine(lines, 1, u"</CdtrSchmeId>");
    return lines;
}

void AppendPain008TransactionLines(QStringList &lines, const TIncassoRegel &regel)
{
    addLine(lines, 1, u"<DrctDbtTxInf>");
    addLine(lines, 2, u"<PmtId>");
    addElement(lines, 3, u"EndToEndId", regel.EndToEndId);
    addLine(lines, 2, u"</PmtId>");
    addElement(lines, 2, u"InstdAmt", regel.InstdAmt, u" Ccy=\"EUR\"");
    addLine(lines, 2, u"<DrctDbtTx>");
    addLine(lines, 3, u"<MndtRltdInf>");
    addElement(lines, 4, u"MndtId", regel.MndtId);
    addElement(lines, 4, u"DtOfSgntr", regel.DtOfSgntr);
    addLine(lines, 3, u"</MndtRltdInf>");
    addLine(lines, 2, u"</DrctDbtTx>");
    addLine(lines, 2, u"<DbtrAgt>");
    addLine(lines, 3, u"<FinInstnId>");
    addAgentIdentification(lines, 4, regel.DbtrAgtBIC);
    addLine(lines, 3, u"</FinInstnId>");
    addLine(lines, 2, u"</DbtrAgt>");
    addLine(lines, 2, u"<Dbtr>");
    addElement(lines, 3, u"Nm", regel.DbtrNm);
    addPostalAddress(lines, regel.DbtrAdr);
    addLine(lines, 2, u"</Dbtr>");
    addLine(lines, 2, u"<DbtrAcct>");
    addLine(lines, 3, u"<Id>");
    addElement(lines, 4, u"IBAN", regel.DbtrIBAN);
    addLine(lines, 3, u"</Id>");
    addLine(lines, 2, u"</DbtrAcct>");
    addLine(lines, 2, u"<RmtInf>");
    addElement(lines, 3, u"Ustrd", regel.Ustrd);
    addLine(lines, 2, u"</RmtInf>");
    addLine(lines, 1, u"</DrctDbtTxInf>");
}

QStringList Pain008TransactionLines(const TIncassoRegel &regel)
{
    QStringList lines;
    lines.reserve(35);
    AppendPain008TransactionLines(lines, regel);
    return lines;
}

QStringList Pain008ClosingLines()
{
    return {QStringLiteral("</PmtInf>"), QStringLiteral("</CstmrDrctDbtInitn>"), QStringLiteral("</Document>")};
}

void AppendPain008Bytes(QByteArray &bytes, const QStringList &lines)
{
    // Room for the worst case (exact for ASCII), cut to what was written.
    qsizetype bound = 0;
    for (const QString &line : lines)
        bound += utf8Bound(line) + 2;
    const qsizetype start = bytes.size();
    bytes.resize(start + bound);
    QStringEncoder utf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
    char *out = bytes.data() + start;
    for (const QString &line : lines) {
        out = utf8.appendToBuffer(out, line);
        *out++ = '\r';
        *out++ = '\n';
    }
    bytes.truncate(out - bytes.constData());
}

QByteArray Pain008Bytes(const QStringList &lines)
{
    QByteArray bytes;
    AppendPain008Bytes(bytes, lines);
    return bytes;
}

QString Pain008SaveError(const QString &path, const QString &reason)
{
    return QStringLiteral("SEPA bestand ") % QDir::toNativeSeparators(path) %
           QStringLiteral(" kan niet geschreven worden.") % u'\r' % reason;
}

bool SavePain008(const QString &path, const QStringList &lines, QString *error)
{
    // Only a file whose every byte reached the disk replaces the old one.
    QString reason;
    if (WriteFileAtomically(path, Pain008Bytes(lines), &reason))
        return true;
    if (error)
        *error = Pain008SaveError(path, reason);
    return false;
}
