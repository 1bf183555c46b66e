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

// Where the lines of a document go: as lines of text, or straight as their bytes.
class LineSink
{
public:
    explicit LineSink(QStringList &lines) : m_lines(lines) {}
    void line(int tabCount, QStringView text) { addLine(m_lines, tabCount, text); }
    void element(int tabCount, QStringView tag, const QString &value, QStringView attributes = {})
    {
        addElement(m_lines, tabCount, tag, value, attributes);
    }

private:
    QStringList &m_lines;
};

// The same lines as UTF-8 with CR LF, without a QString per line: a file holds
// some thirty lines for each of its collections. Writes into room made before.
class ByteSink
{
public:
    explicit ByteSink(char *out) : m_out(out) {}
    void line(int tabCount, QStringView text)
    {
        tabs(tabCount);
        ascii(text);
        *m_out++ = '\r';
        *m_out++ = '\n';
    }
    void element(int tabCount, QStringView tag, const QString &value, QStringView attributes = {})
    {
        tabs(tabCount);
        *m_out++ = '<';
        ascii(tag);
        ascii(attributes);
        *m_out++ = '>';
        content(value);
        *m_out++ = '<';
        *m_out++ = '/';
        ascii(tag);
        *m_out++ = '>';
        *m_out++ = '\r';
        *m_out++ = '\n';
    }
    char *end() const { return m_out; }
    // The room a value may take: "&" becomes five characters, a character three bytes.
    static qsizetype room(const QString &value) { return 15 * value.size(); }

private:
    void tabs(int count)
    {
        for (int i = 0; i < count; ++i)
            *m_out++ = '\t';
    }
    // The markup of this file is ASCII.
    void ascii(QStringView text)
    {
        for (const QChar c : text)
            *m_out++ = char(c.unicode());
    }
    void content(const QString &value)
    {
        const bool plain =
            std::all_of(value.cbegin(), value.cend(), [](QChar c) { return c.unicode() < 0x80 && !isMarkup(c); });
        if (plain)
            return ascii(value);
        // As the lines are encoded: escaped, then UTF-8 with the same encoder.
        QStringEncoder utf8(QStringEncoder::Utf8, QStringEncoder::Flag::Stateless);
        m_out = utf8.appendToBuffer(m_out, xmlText(value));
    }
    char *m_out;
};

// An empty BICFI fails the BIC pattern; an agent without a BIC is identified as Othr/NOTPROVIDED.
template <typename Sink> void addAgentIdentification(Sink &out, int tabCount, const QString &bic)
{
    if (bic.isEmpty() || bic == NotProvided) {
        out.line(tabCount, u"<Othr>");
        out.element(tabCount + 1, u"Id", NotProvided);
        out.line(tabCount, u"</Othr>");
    } else {
        out.element(tabCount, u"BICFI", bic);
    }
}

// Structured only: the banks refuse an address of <AdrLine> lines.
template <typename Sink> void addPostalAddress(Sink &out, const TPostalAddress &address)
{
    if (address.isEmpty())
        return;
    out.line(3, u"<PstlAdr>");
    const auto part = [&out](QStringView tag, const QString &value) {
        if (!value.isEmpty())
            out.element(4, tag, value);
    };
    part(u"StrtNm", address.StrtNm);
    part(u"BldgNb", address.BldgNb);
    part(u"PstCd", address.PstCd);
    part(u"TwnNm", address.TwnNm);
    part(u"Ctry", address.Ctry);
    out.line(3, u"</PstlAdr>");
}

template <typename Sink> void addTransaction(Sink &out, const TIncassoRegel &regel)
{
    out.line(1, u"<DrctDbtTxInf>");
    out.line(2, u"<PmtId>");
    out.element(3, u"EndToEndId", regel.EndToEndId);
    out.line(2, u"</PmtId>");
    out.element(2, u"InstdAmt", regel.InstdAmt, u" Ccy=\"EUR\"");
    out.line(2, u"<DrctDbtTx>");
    out.line(3, u"<MndtRltdInf>");
    out.element(4, u"MndtId", regel.MndtId);
    out.element(4, u"DtOfSgntr", regel.DtOfSgntr);
    out.line(3, u"</MndtRltdInf>");
    out.line(2, u"</DrctDbtTx>");
    out.line(2, u"<DbtrAgt>");
    out.line(3, u"<FinInstnId>");
    addAgentIdentification(out, 4, regel.DbtrAgtBIC);
    out.line(3, u"</FinInstnId>");
    out.line(2, u"</DbtrAgt>");
    out.line(2, u"<Dbtr>");
    out.element(3, u"Nm", regel.DbtrNm);
    addPostalAddress(out, regel.DbtrAdr);
    out.line(2, u"</Dbtr>");
    out.line(2, u"<DbtrAcct>");
    out.line(3, u"<Id>");
    out.element(4, u"IBAN", regel.DbtrIBAN);
    out.line(3, u"</Id>");
    out.line(2, u"</DbtrAcct>");
    out.line(2, u"<RmtInf>");
    out.element(3, u"Ustrd", regel.Ustrd);
    out.line(2, u"</RmtInf>");
    out.line(1, u"</DrctDbtTxInf>");
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
    LineSink sink(lines);
    addAgentIdentification(sink, 3, header.CdtrBIC);
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
    LineSink sink(lines);
    addTransaction(sink, regel);
}

void AppendPain008TransactionBytes(QByteArray &bytes, const TIncassoRegel &regel)
{
    // The markup of a collection takes under 2 KB.
    const qsizetype room =
        4096 + ByteSink::room(regel.EndToEndId) + ByteSink::room(regel.InstdAmt) + ByteSink::room(regel.MndtId) +
        ByteSink::room(regel.DtOfSgntr) + ByteSink::room(regel.DbtrAgtBIC) + ByteSink::room(regel.DbtrNm) +
        ByteSink::room(regel.DbtrAdr.StrtNm) + ByteSink::room(regel.DbtrAdr.BldgNb) +
        ByteSink::room(regel.DbtrAdr.PstCd) + ByteSink::room(regel.DbtrAdr.TwnNm) + ByteSink::room(regel.DbtrAdr.Ctry) +
        ByteSink::room(regel.DbtrIBAN) + ByteSink::room(regel.Ustrd);
    const qsizetype start = bytes.size();
    bytes.resize(start + room);
    ByteSink sink(bytes.data() + start);
    addTransaction(sink, regel);
    bytes.truncate(sink.end() - bytes.constData());
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
