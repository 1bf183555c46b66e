#include "workbook/xls/Biff8.h"

#include "workbook/NumberFormats.h"
#include "workbook/ReadLimits.h"
#include "workbook/xls/XlsErrors.h"

#include <QHash>
#include <QStringDecoder>
#include <QtEndian>

#include <cstring>
#include <optional>
#include <vector>

namespace {

namespace Rec {
constexpr quint16 Formula = 0x0006;
constexpr quint16 Eof = 0x000A;
constexpr quint16 DateMode = 0x0022;
constexpr quint16 FilePass = 0x002F;
constexpr quint16 Continue = 0x003C;
constexpr quint16 CodePage = 0x0042;
constexpr quint16 BoundSheet = 0x0085;
constexpr quint16 MulRk = 0x00BD;
constexpr quint16 RString = 0x00D6;
constexpr quint16 Xf = 0x00E0;
constexpr quint16 Sst = 0x00FC;
constexpr quint16 LabelSst = 0x00FD;
constexpr quint16 RecalcId = 0x01C1;
constexpr quint16 Number = 0x0203;
constexpr quint16 Label = 0x0204;
constexpr quint16 BoolErr = 0x0205;
constexpr quint16 String = 0x0207;
constexpr quint16 Array = 0x0221;
constexpr quint16 Table = 0x0236;
constexpr quint16 Rk = 0x027E;
constexpr quint16 Format = 0x041E;
constexpr quint16 ShrFmla = 0x04BC;
constexpr quint16 Bof = 0x0809;
} // namespace Rec

constexpr quint16 BofGlobals = 0x0005;
constexpr quint16 BofWorksheet = 0x0010;
constexpr int LastColumn = 256; // IV
// What a cell costs while the book is read and once it is stored, and what a
// text costs beyond its characters.
constexpr qint64 CellCost = qint64(sizeof(XlsCell)) + 16;
constexpr qint64 TextCost = 32;
constexpr double Days1904 = 1462.0; // 1 January 1904 as a serial of the 1900 system

quint16 u16(QByteArrayView v, qsizetype at)
{
    return qFromLittleEndian<quint16>(v.data() + at);
}

quint32 u32(QByteArrayView v, qsizetype at)
{
    return qFromLittleEndian<quint32>(v.data() + at);
}

double f64(QByteArrayView v, qsizetype at)
{
    const quint64 bits = qFromLittleEndian<quint64>(v.data() + at);
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

// A number packed into 30 bits: an integer or the high half of a double, maybe times 100.
double RkValue(quint32 rk)
{
    double v;
    if (rk & 2) {
        v = double(qint32(rk) >> 2);
    } else {
        const quint64 bits = quint64(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&v, &bits, sizeof v);
    }
    return (rk & 1) ? v / 100.0 : v;
}

QString ErrorCode(quint8 code)
{
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0F:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    case 0x2B:
        return QStringLiteral("#GETTING_DATA");
    default:
        return QStringLiteral("#N/A"); // 0x2A and codes no writer should use
    }
}

// Text stored one byte a character. Excel writes these as the low bytes of
// UTF-16 (code page 1200); other writers use the workbook's code page.
class ByteDecoder final
{
public:
    explicit ByteDecoder(int codePage = 1252) { setCodePage(codePage); }

    void setCodePage(int codePage)
    {
        m_decoder.reset();
        const char *name = codePageName(codePage);
        if (!name)
            return;
        QStringDecoder decoder(name, QStringDecoder::Flag::Stateless);
        if (decoder.isValid())
            m_decoder.emplace(std::move(decoder));
    }

    void append(QString &out, const char *p, qsizetype n) const
    {
        if (m_decoder) {
            out.append(QString(m_decoder->decode(QByteArrayView(p, n))));
            return;
        }
        // Latin-1, with the Windows-1252 characters where Latin-1 has control codes.
        static constexpr char16_t Cp1252[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
        const qsizetype base = out.size();
        out.resize(base + n);
        QChar *dst = out.data() + base;
        for (qsizetype i = 0; i < n; ++i) {
            const uchar b = uchar(p[i]);
            dst[i] = (b >= 0x80 && b < 0xA0) ? QChar(Cp1252[b - 0x80]) : QChar(b);
        }
    }

private:
    static const char *codePageName(int codePage)
    {
        switch (codePage) {
        case 437:
            return "IBM437";
        case 850:
            return "IBM850";
        case 852:
            return "IBM852";
        case 866:
            return "IBM866";
        case 874:
            return "windows-874";
        case 932:
            return "Shift_JIS";
        case 936:
            return "GBK";
        case 949:
            return "windows-949";
        case 950:
            return "Big5";
        case 1250:
        case 1251:
        case 1253:
        case 1254:
        case 1255:
        case 1256:
        case 1257:
        case 1258: {
            static const char *const Names[] = {"windows-1250", "windows-1251", "",
                                                "windows-1253", "windows-1254", "windows-1255",
                                                "windows-1256", "windows-1257", "windows-1258"};
            return Names[codePage - 1250];
        }
        case 10000:
        case 32768:
            return "macintosh";
        default:
            return nullptr; // 1200 (UTF-16), 1252, 367 (ASCII), 32769 and unknown pages
        }
    }

    mutable std::optional<QStringDecoder> m_decoder; // stateless: decoding leaves nothing behind
};

struct Record
{
    quint16 type = 0;
    qsizetype offset = 0;
    QByteArrayView body;
};

// Walks the records of the stream: a type, a length and that many bytes.
class RecordCursor final
{
public:
    RecordCursor(QByteArrayView data, qsizetype pos, const QString &path) : m_data(data), m_pos(pos), m_path(path) {}

    bool atEnd() const { return m_pos >= m_data.size(); }

    Record next()
    {
        if (m_pos + 4 > m_data.size())
            XlsErrors::damaged(m_path, QStringLiteral("de werkboekgegevens houden midden in een record op"));
        Record r;
        r.type = u16(m_data, m_pos);
        r.offset = m_pos;
        const quint16 length = u16(m_data, m_pos + 2);
        if (m_pos + 4 + length > m_data.size())
            XlsErrors::damaged(m_path, QStringLiteral("de werkboekgegevens houden midden in een record op"));
        r.body = m_data.sliced(m_pos + 4, length);
        m_pos += 4 + length;
        return r;
    }

    // The type of the next record, or -1 when there is none.
    int peekType() const { return m_pos + 4 <= m_data.size() ? u16(m_data, m_pos) : -1; }

private:
    QByteArrayView m_data;
    qsizetype m_pos;
    const QString &m_path;
};

// Reads across a record and the CONTINUE records that carry on its data.
// Where characters of a string go on in the next piece, that piece opens with
// a byte telling whether they are stored one or two bytes each.
class ContinuedReader final
{
public:
    ContinuedReader(QList<QByteArrayView> pieces, const ByteDecoder &decoder, const QString &path)
        : m_pieces(std::move(pieces)), m_decoder(decoder), m_path(path)
    {}

    // Whether any byte is left in this or a following piece.
    bool atEnd()
    {
        skipExhausted();
        return m_piece >= m_pieces.size();
    }

    quint8 u8()
    {
        skipExhausted();
        if (m_piece >= m_pieces.size())
            fail();
        return quint8(m_pieces[m_piece][m_pos++]);
    }

    quint16 u16()
    {
        const quint8 low = u8();
        return quint16(low | (u8() << 8));
    }

    quint32 u32()
    {
        const quint16 low = u16();
        return low | (quint32(u16()) << 16);
    }

    void skip(qint64 n)
    {
        while (n > 0) {
            skipExhausted();
            if (m_piece >= m_pieces.size())
                fail();
            const qint64 step = qMin<qint64>(n, m_pieces[m_piece].size() - m_pos);
            m_pos += step;
            n -= step;
        }
    }

    QString chars(int count, bool twoBytes)
    {
        QString out;
        out.reserve(count);
        while (count > 0) {
            if (m_piece < m_pieces.size() && m_pos >= m_pieces[m_piece].size()) {
                ++m_piece;
                m_pos = 0;
                twoBytes = u8() & 1;
            }
            if (m_piece >= m_pieces.size())
                fail();
            const QByteArrayView piece = m_pieces[m_piece];
            const int width = twoBytes ? 2 : 1;
            const qsizetype n = qMin<qsizetype>(count, (piece.size() - m_pos) / width);
            if (n == 0)
                fail(); // half a character at the end of a piece
            const char *p = piece.data() + m_pos;
            if (twoBytes) {
                for (qsizetype i = 0; i < n; ++i)
                    out.append(QChar(qFromLittleEndian<quint16>(p + 2 * i)));
            } else {
                m_decoder.append(out, p, n);
            }
            m_pos += n * width;
            count -= int(n);
        }
        return out;
    }

    // An XLUnicodeString: length, option byte, characters; rich-text runs and
    // phonetic data when the options say so, skipped.
    QString unicodeString(bool lengthIsByte = false)
    {
        const int count = lengthIsByte ? u8() : u16();
        const quint8 options = u8();
        const int runs = (options & 0x08) ? u16() : 0;
        const quint32 extra = (options & 0x04) ? u32() : 0;
        QString text = chars(count, options & 0x01);
        skip(qint64(runs) * 4);
        skip(extra);
        return text;
    }

private:
    void skipExhausted()
    {
        while (m_piece < m_pieces.size() && m_pos >= m_pieces[m_piece].size()) {
            ++m_piece;
            m_pos = 0;
        }
    }

    [[noreturn]] void fail() const
    {
        XlsErrors::damaged(m_path, QStringLiteral("een tekst loopt voorbij het einde van zijn record"));
    }

    QList<QByteArrayView> m_pieces;
    const ByteDecoder &m_decoder;
    const QString &m_path;
    qsizetype m_piece = 0;
    qsizetype m_pos = 0;
};

class Biff8Parser final
{
public:
    Biff8Parser(const QByteArray &stream, const QString &path, qint64 fileSize)
        : m_stream(stream), m_path(path), m_budget(2 * qint64(stream.size()) + (1 << 20)),
          m_keptLimit(qint64(ReadLimits::KeptLimit(quint64(qMax<qint64>(fileSize, 0)))))
    {}

    XlsBook parse()
    {
        readGlobals();
        computeDateFormats();
        XlsBook book;
        for (const SheetEntry &entry : std::as_const(m_sheetEntries)) {
            std::optional<XlsSheet> sheet = readSheet(entry, int(book.sheets.size()));
            if (sheet)
                book.sheets.append(std::move(*sheet));
        }
        // A program that does not calculate leaves "empty text" as the result of
        // every formula; without any sign of a calculating writer that is no result.
        if (!m_calculated) {
            for (const auto &[sheet, cell] : std::as_const(m_emptyTextFormulas))
                book.sheets[sheet].cells[cell].value = CellValue::formulaWithoutValue();
        }
        book.sharedStrings = std::move(m_sst);
        return book;
    }

private:
    struct SheetEntry
    {
        QString name;
        quint32 offset = 0;
        bool hidden = false;
        quint8 type = 0;
    };

    [[noreturn]] void damaged(const QString &fault) const { XlsErrors::damaged(m_path, fault); }

    // An EOF record is empty; one with a length has swallowed what follows it,
    // or runs into the padding after the stream's last record.
    void requireEmptyEof(const Record &r) const
    {
        if (!r.body.isEmpty())
            damaged(QStringLiteral("het eindrecord op positie %1 is niet leeg").arg(r.offset));
    }

    void require(const Record &r, qsizetype size) const
    {
        if (r.body.size() < size)
            damaged(QStringLiteral("een record is te kort (type %1 op positie %2)")
                        .arg(QString::number(r.type, 16).rightJustified(4, QLatin1Char('0')).toUpper())
                        .arg(r.offset));
    }

    // The record's data from offset on, with the CONTINUE records that follow it.
    QList<QByteArrayView> continued(const Record &r, qsizetype from, RecordCursor &cursor)
    {
        QList<QByteArrayView> pieces{r.body.sliced(qMin(from, r.body.size()))};
        while (cursor.peekType() == Rec::Continue)
            pieces.append(spend(cursor.next()).body);
        return pieces;
    }

    // Counts what the book keeps; refused beyond what a file of its size may.
    void keep(qint64 bytes)
    {
        m_kept += bytes;
        if (m_kept > m_keptLimit)
            XlsErrors::tooMuchData(m_path, quint64(m_keptLimit) / ReadLimits::MiB);
    }

    static qint64 textCost(const QString &text) { return text.isEmpty() ? 0 : TextCost + 2 * text.size(); }

    // A cell's row and column as the records give them, 0-based.
    void addCell(XlsSheet &sheet, int row, int col, CellValue value, int sst = -1)
    {
        if (col >= LastColumn)
            damaged(QStringLiteral("het werkblad '%1' heeft een cel voorbij kolom IV (%2)")
                        .arg(sheet.name, CellName(quint32(row + 1), quint32(col + 1))));
        if (value.text.size() > ReadLimits::MaxCellText)
            damaged(QStringLiteral("het werkblad '%1' cel %2 %3")
                        .arg(sheet.name, CellName(quint32(row + 1), quint32(col + 1)), TooLongTextFault()));
        keep(CellCost + (sst < 0 ? textCost(value.text) : 0));
        sheet.cells.append({row + 1, col + 1, std::move(value), sst});
    }

    const Record &spend(const Record &r)
    {
        m_budget -= 4 + r.body.size();
        if (m_budget < 0)
            damaged(QStringLiteral("de werkbladen overlappen elkaar"));
        return r;
    }

    void readGlobals()
    {
        RecordCursor cursor(m_stream, 0, m_path);
        const Record bof = spend(cursor.next());
        if (bof.type != Rec::Bof || bof.body.size() < 4 || u16(bof.body, 2) != BofGlobals)
            damaged(QStringLiteral("de werkboekgegevens beginnen niet met een werkboekkop"));
        while (!cursor.atEnd()) {
            const Record r = spend(cursor.next());
            switch (r.type) {
            case Rec::Eof:
                return requireEmptyEof(r);
            case Rec::FilePass:
                XlsErrors::encrypted(m_path);
            case Rec::CodePage:
                require(r, 2);
                m_decoder.setCodePage(u16(r.body, 0));
                break;
            case Rec::DateMode:
                require(r, 2);
                m_1904 = u16(r.body, 0) == 1;
                break;
            case Rec::RecalcId:
                m_calculated = true;
                break;
            case Rec::Format: {
                require(r, 2);
                ContinuedReader reader({r.body.sliced(2)}, m_decoder, m_path);
                m_formats.insert(u16(r.body, 0), reader.unicodeString());
                break;
            }
            case Rec::Xf:
                require(r, 4);
                m_xfFormats.append(u16(r.body, 2));
                break;
            case Rec::BoundSheet: {
                require(r, 8);
                SheetEntry entry;
                entry.offset = u32(r.body, 0);
                entry.hidden = (quint8(r.body[4]) & 0x03) != 0;
                entry.type = quint8(r.body[5]);
                ContinuedReader reader({r.body.sliced(6)}, m_decoder, m_path);
                entry.name = reader.unicodeString(true);
                m_sheetEntries.append(entry);
                break;
            }
            case Rec::Sst:
                readSst(r, cursor);
                break;
            default:
                break;
            }
        }
    }

    void readSst(const Record &r, RecordCursor &cursor)
    {
        require(r, 8);
        const quint32 unique = u32(r.body, 4);
        ContinuedReader reader(continued(r, 8, cursor), m_decoder, m_path);
        // The count is not trusted for the reservation; each string takes at least three bytes.
        m_sst.reserve(qMin<qint64>(unique, r.body.size() / 3 + 1));
        for (quint32 i = 0; i < unique && !reader.atEnd(); ++i) {
            m_sst.append(reader.unicodeString());
            keep(qint64(sizeof(QString)) + textCost(m_sst.constLast()));
        }
    }

    void computeDateFormats()
    {
        m_xfIsDate.resize(m_xfFormats.size());
        for (qsizetype i = 0; i < m_xfFormats.size(); ++i) {
            const quint16 id = m_xfFormats[i];
            const auto code = m_formats.constFind(id);
            m_xfIsDate[i] = code != m_formats.cend() ? IsDateFormatCode(*code) : IsBuiltinDateFormat(id);
        }
    }

    CellValue numberValue(double v, quint16 xf) const
    {
        if (xf < m_xfIsDate.size() && m_xfIsDate[xf]) {
            if (m_1904)
                return CellValue::fromDate(v + Days1904);
            // The 1900 system counts a 29 February 1900 that never was.
            return CellValue::fromDate(v >= 1.0 && v < 60.0 ? v + 1.0 : v);
        }
        return CellValue::fromNumber(v);
    }

    std::optional<XlsSheet> readSheet(const SheetEntry &entry, int sheetIndex)
    {
        if (entry.type != 0)
            return std::nullopt; // chart sheets and macro modules are no worksheets
        if (entry.offset >= quint64(m_stream.size()))
            damaged(QStringLiteral("het werkblad '%1' ligt buiten de werkboekgegevens").arg(entry.name));
        RecordCursor cursor(m_stream, entry.offset, m_path);
        const Record bof = spend(cursor.next());
        if (bof.type != Rec::Bof || bof.body.size() < 4)
            damaged(QStringLiteral("het werkblad '%1' begint niet op de opgegeven plaats").arg(entry.name));
        if (u16(bof.body, 2) != BofWorksheet)
            return std::nullopt;

        XlsSheet sheet;
        sheet.name = entry.name;
        sheet.hidden = entry.hidden;
        auto add = [&](int row, int col, CellValue value) { addCell(sheet, row, col, std::move(value)); };
        qsizetype pendingString = -1; // the formula cell whose text result follows in a STRING record
        int depth = 1;                // embedded charts nest their own BOF ... EOF
        while (!cursor.atEnd() && depth > 0) {
            const Record r = spend(cursor.next());
            if (r.type == Rec::Bof) {
                // A worksheet or globals BOF here means this sheet lost its EOF.
                if (r.body.size() >= 4 && (u16(r.body, 2) == BofWorksheet || u16(r.body, 2) == BofGlobals))
                    break;
                ++depth;
                continue;
            }
            if (r.type == Rec::Eof) {
                requireEmptyEof(r);
                --depth;
                continue;
            }
            if (depth != 1)
                continue;
            if (pendingString >= 0 && r.type != Rec::String && r.type != Rec::ShrFmla && r.type != Rec::Array &&
                r.type != Rec::Table)
                pendingString = -1; // no STRING came: the formula keeps "no result"

            switch (r.type) {
            case Rec::Number:
                require(r, 14);
                add(u16(r.body, 0), u16(r.body, 2), numberValue(f64(r.body, 6), u16(r.body, 4)));
                break;
            case Rec::Rk:
                require(r, 10);
                add(u16(r.body, 0), u16(r.body, 2), numberValue(RkValue(u32(r.body, 6)), u16(r.body, 4)));
                break;
            case Rec::MulRk: {
                require(r, 6);
                const quint16 row = u16(r.body, 0);
                const quint16 first = u16(r.body, 2);
                const qsizetype count = (r.body.size() - 6) / 6;
                for (qsizetype i = 0; i < count; ++i) {
                    const qsizetype at = 4 + 6 * i;
                    add(row, first + int(i), numberValue(RkValue(u32(r.body, at + 2)), u16(r.body, at)));
                }
                break;
            }
            case Rec::LabelSst: {
                require(r, 10);
                const quint32 index = u32(r.body, 6);
                if (index >= quint32(m_sst.size()))
                    damaged(QStringLiteral("een tekstcel verwijst naar een tekst die niet bestaat"));
                addCell(sheet, u16(r.body, 0), u16(r.body, 2), CellValue::fromText(m_sst[index]), int(index));
                break;
            }
            case Rec::Label:
            case Rec::RString: {
                require(r, 9);
                ContinuedReader reader(continued(r, 6, cursor), m_decoder, m_path);
                add(u16(r.body, 0), u16(r.body, 2), CellValue::fromText(reader.unicodeString()));
                break;
            }
            case Rec::BoolErr: {
                require(r, 8);
                const quint8 value = quint8(r.body[6]);
                add(u16(r.body, 0), u16(r.body, 2),
                    r.body[7] ? CellValue::fromError(ErrorCode(value)) : CellValue::fromBool(value != 0));
                break;
            }
            case Rec::Formula:
                require(r, 20);
                readFormula(r, sheetIndex, sheet, pendingString);
                break;
            case Rec::String:
                if (pendingString >= 0) {
                    require(r, 3);
                    ContinuedReader reader(continued(r, 0, cursor), m_decoder, m_path);
                    XlsCell &cell = sheet.cells[pendingString];
                    cell.value = CellValue::fromText(reader.unicodeString());
                    if (cell.value.text.size() > ReadLimits::MaxCellText)
                        damaged(
                            QStringLiteral("het werkblad '%1' cel %2 %3")
                                .arg(sheet.name, CellName(quint32(cell.row), quint32(cell.col)), TooLongTextFault()));
                    keep(textCost(cell.value.text));
                    pendingString = -1;
                }
                break;
            default:
                break;
            }
        }
        return sheet;
    }

    void readFormula(const Record &r, int sheetIndex, XlsSheet &sheet, qsizetype &pendingString)
    {
        const int row = u16(r.body, 0);
        const int col = u16(r.body, 2);
        if (u16(r.body, 12) != 0xFFFF) {
            m_calculated = true;
            addCell(sheet, row, col, numberValue(f64(r.body, 6), u16(r.body, 4)));
            return;
        }
        const quint8 value = quint8(r.body[8]);
        switch (quint8(r.body[6])) {
        case 0: // text, in the STRING record that follows
            m_calculated = true;
            pendingString = sheet.cells.size();
            addCell(sheet, row, col, CellValue::formulaWithoutValue());
            break;
        case 1:
            m_calculated = true;
            addCell(sheet, row, col, CellValue::fromBool(value != 0));
            break;
        case 2:
            m_calculated = true;
            addCell(sheet, row, col, CellValue::fromError(ErrorCode(value)));
            break;
        case 3:
            m_emptyTextFormulas.append({sheetIndex, sheet.cells.size()});
            addCell(sheet, row, col, CellValue::fromText(QString()));
            break;
        default:
            addCell(sheet, row, col, CellValue::formulaWithoutValue());
            break;
        }
    }

    QByteArrayView m_stream;
    const QString &m_path;
    qint64 m_budget; // bytes of records all sheets together may read
    const qint64 m_keptLimit;
    qint64 m_kept = 0; // bytes the book keeps, its cells and texts
    ByteDecoder m_decoder;
    bool m_1904 = false;
    bool m_calculated = false; // a calculating program wrote this file
    QHash<quint16, QString> m_formats;
    QList<quint16> m_xfFormats;
    std::vector<bool> m_xfIsDate;
    QStringList m_sst;
    QList<SheetEntry> m_sheetEntries;
    QList<std::pair<int, qsizetype>> m_emptyTextFormulas;
};

} // namespace

BiffVersion DetectBiffVersion(const QByteArray &data)
{
    if (data.size() < 8)
        return BiffVersion::None;
    const quint16 type = u16(data, 0);
    const quint16 length = u16(data, 2);
    switch (type) {
    case Rec::Bof:
        if (u16(data, 4) == 0x0600)
            return BiffVersion::Biff8;
        if (u16(data, 4) == 0x0500)
            return BiffVersion::Biff5;
        return length >= 16 ? BiffVersion::Biff8 : BiffVersion::Biff5; // writers that leave the version out
    case 0x0009:                                                       // BIFF2
    case 0x0209:                                                       // BIFF3
    case 0x0409:                                                       // BIFF4
        return length >= 4 && length <= 16 ? BiffVersion::Biff2to4 : BiffVersion::None;
    default:
        return BiffVersion::None;
    }
}

XlsBook ParseBiff8Workbook(const QByteArray &stream, const QString &path, qint64 fileSize)
{
    return Biff8Parser(stream, path, fileSize).parse();
}
