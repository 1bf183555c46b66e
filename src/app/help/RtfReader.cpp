#include "app/help/RtfReader.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

#include <algorithm>
#include <limits>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace {

// Groups nested deeper than this are skipped: real documents nest a few dozen levels at most.
constexpr int MaxDepth = 256;
// A help text with pictures is a few megabytes; anything far beyond that is not one.
constexpr qint64 MaxFileSize = 64 * 1024 * 1024;
// Control words are at most 32 letters; a longer one is garbage and matches nothing.
constexpr int MaxWordLength = 32;
// Distances in RTF are in twips (1/1440 inch); the document works in pixels at 96 dpi.
constexpr double PixelsPerTwip = 96.0 / 1440.0;
// 22 inches, the widest page Word accepts; keeps absurd indents from wrecking the layout.
constexpr int MaxTwips = 31680;
// Word limits font sizes to 1638 points, that is 3276 half-points.
constexpr int MaxHalfPoints = 3276;
// Tab stops per paragraph worth keeping.
constexpr int MaxTabStops = 64;

// A code page number of our own for fonts with the symbol character set.
constexpr int SymbolCodePage = -2;

enum class Dest
{
    Text,
    Skip,
    FontTable,
    ColourTable
};

struct CharState
{
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    int vertical = 0;   // 1 superscript, -1 subscript
    int halfPoints = 0; // 0: the view's own size
    int colour = -1;    // index into the colour table; -1: the view's own colour
    int background = -1;
    int font = -1; // -1: the document's default font
    bool operator==(const CharState &) const = default;
};

struct ParaState
{
    Qt::Alignment align = Qt::AlignLeft;
    int left = 0; // twips
    int right = 0;
    int first = 0;
    int before = 0;
    int after = 0;
    QList<int> tabs; // twips
};

struct GroupState
{
    CharState chr;
    ParaState para;
    Dest dest = Dest::Text;
    int ucSkip = 1; // characters that stand in for each \u for readers without Unicode
};

struct Font
{
    QString name;
    int codePage = 0; // 0: the document's code page
};

struct Run
{
    CharState state;
    QString text;
};

enum class Word
{
    SkipDestination,
    FontTable,
    ColourTable,
    Ansi,
    Mac,
    Pc,
    Pca,
    AnsiCodePage,
    DefaultFont,
    Par,
    Line,
    Tab,
    EmDash,
    EnDash,
    Bullet,
    LeftQuote,
    RightQuote,
    LeftDoubleQuote,
    RightDoubleQuote,
    EmSpace,
    EnSpace,
    QuarterEmSpace,
    Unicode,
    UnicodeSkip,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    Hidden,
    Super,
    Sub,
    NoSuperSub,
    Plain,
    FontSize,
    Colour,
    Background,
    FontNumber,
    FontCharset,
    Red,
    Green,
    Blue,
    Pard,
    AlignLeft,
    AlignCentre,
    AlignRight,
    AlignJustify,
    LeftIndent,
    RightIndent,
    FirstIndent,
    SpaceBefore,
    SpaceAfter,
    TabStop,
};

const std::unordered_map<std::string_view, Word> &wordTable()
{
    static const std::unordered_map<std::string_view, Word> table = {
        // Destinations whose content is no part of the text.
        {"aftncn", Word::SkipDestination},
        {"aftnsep", Word::SkipDestination},
        {"aftnsepc", Word::SkipDestination},
        {"annotation", Word::SkipDestination},
        {"atnauthor", Word::SkipDestination},
        {"atndate", Word::SkipDestination},
        {"atnid", Word::SkipDestination},
        {"atnref", Word::SkipDestination},
        {"author", Word::SkipDestination},
        {"bkmkend", Word::SkipDestination},
        {"bkmkstart", Word::SkipDestination},
        {"buptim", Word::SkipDestination},
        {"category", Word::SkipDestination},
        {"colorschememapping", Word::SkipDestination},
        {"comment", Word::SkipDestination},
        {"company", Word::SkipDestination},
        {"creatim", Word::SkipDestination},
        {"datastore", Word::SkipDestination},
        {"doccomm", Word::SkipDestination},
        {"docvar", Word::SkipDestination},
        {"filetbl", Word::SkipDestination},
        {"fldinst", Word::SkipDestination},
        {"footer", Word::SkipDestination},
        {"footerf", Word::SkipDestination},
        {"footerl", Word::SkipDestination},
        {"footerr", Word::SkipDestination},
        {"footnote", Word::SkipDestination},
        {"ftncn", Word::SkipDestination},
        {"ftnsep", Word::SkipDestination},
        {"ftnsepc", Word::SkipDestination},
        {"generator", Word::SkipDestination},
        {"header", Word::SkipDestination},
        {"headerf", Word::SkipDestination},
        {"headerl", Word::SkipDestination},
        {"headerr", Word::SkipDestination},
        {"hlinkbase", Word::SkipDestination},
        {"info", Word::SkipDestination},
        {"keywords", Word::SkipDestination},
        {"latentstyles", Word::SkipDestination},
        {"listoverridetable", Word::SkipDestination},
        {"listtable", Word::SkipDestination},
        {"manager", Word::SkipDestination},
        {"nonshppict", Word::SkipDestination},
        {"objdata", Word::SkipDestination},
        {"object", Word::SkipDestination},
        {"operator", Word::SkipDestination},
        {"pgdsctbl", Word::SkipDestination},
        {"pict", Word::SkipDestination},
        {"pn", Word::SkipDestination},
        {"printim", Word::SkipDestination},
        {"private", Word::SkipDestination},
        {"revtbl", Word::SkipDestination},
        {"revtim", Word::SkipDestination},
        {"rsidtbl", Word::SkipDestination},
        {"shp", Word::SkipDestination},
        {"shpinst", Word::SkipDestination},
        {"stylesheet", Word::SkipDestination},
        {"subject", Word::SkipDestination},
        {"tc", Word::SkipDestination},
        {"template", Word::SkipDestination},
        {"themedata", Word::SkipDestination},
        {"title", Word::SkipDestination},
        {"txe", Word::SkipDestination},
        {"userprops", Word::SkipDestination},
        {"xe", Word::SkipDestination},
        {"xmlnstbl", Word::SkipDestination},
        {"fonttbl", Word::FontTable},
        {"colortbl", Word::ColourTable},
        // Code pages.
        {"ansi", Word::Ansi},
        {"mac", Word::Mac},
        {"pc", Word::Pc},
        {"pca", Word::Pca},
        {"ansicpg", Word::AnsiCodePage},
        {"deff", Word::DefaultFont},
        // Breaks and special characters. Table cells become tabs, rows paragraphs.
        {"par", Word::Par},
        {"sect", Word::Par},
        {"page", Word::Par},
        {"row", Word::Par},
        {"nestrow", Word::Par},
        {"line", Word::Line},
        {"tab", Word::Tab},
        {"cell", Word::Tab},
        {"nestcell", Word::Tab},
        {"emdash", Word::EmDash},
        {"endash", Word::EnDash},
        {"bullet", Word::Bullet},
        {"lquote", Word::LeftQuote},
        {"rquote", Word::RightQuote},
        {"ldblquote", Word::LeftDoubleQuote},
        {"rdblquote", Word::RightDoubleQuote},
        {"emspace", Word::EmSpace},
        {"enspace", Word::EnSpace},
        {"qmspace", Word::QuarterEmSpace},
        {"u", Word::Unicode},
        {"uc", Word::UnicodeSkip},
        // Character formatting.
        {"b", Word::Bold},
        {"i", Word::Italic},
        {"ul", Word::Underline},
        {"uld", Word::Underline},
        {"uldash", Word::Underline},
        {"uldashd", Word::Underline},
        {"uldashdd", Word::Underline},
        {"uldb", Word::Underline},
        {"ulhwave", Word::Underline},
        {"ulldash", Word::Underline},
        {"ulth", Word::Underline},
        {"ulthd", Word::Underline},
        {"ulthdash", Word::Underline},
        {"ulthdashd", Word::Underline},
        {"ulthdashdd", Word::Underline},
        {"ulthldash", Word::Underline},
        {"ululdbwave", Word::Underline},
        {"ulw", Word::Underline},
        {"ulwave", Word::Underline},
        {"ulnone", Word::UnderlineNone},
        {"strike", Word::Strike},
        {"striked", Word::Strike},
        {"v", Word::Hidden},
        {"super", Word::Super},
        {"sub", Word::Sub},
        {"nosupersub", Word::NoSuperSub},
        {"plain", Word::Plain},
        {"fs", Word::FontSize},
        {"cf", Word::Colour},
        {"cb", Word::Background},
        {"highlight", Word::Background},
        {"f", Word::FontNumber},
        {"fcharset", Word::FontCharset},
        {"red", Word::Red},
        {"green", Word::Green},
        {"blue", Word::Blue},
        // Paragraph formatting.
        {"pard", Word::Pard},
        {"ql", Word::AlignLeft},
        {"qc", Word::AlignCentre},
        {"qr", Word::AlignRight},
        {"qj", Word::AlignJustify},
        {"qd", Word::AlignJustify},
        {"li", Word::LeftIndent},
        {"lin", Word::LeftIndent},
        {"ri", Word::RightIndent},
        {"rin", Word::RightIndent},
        {"fi", Word::FirstIndent},
        {"sb", Word::SpaceBefore},
        {"sa", Word::SpaceAfter},
        {"tx", Word::TabStop},
    };
    return table;
}

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; 0 marks the five unassigned bytes.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

QChar cp1252(uchar byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return QChar(Cp1252High[byte - 0x80]);
    return QChar(byte);
}

// Only the code pages a Dutch help text meets are decoded exactly; any other reads as 1252,
// which keeps at least the plain letters right.
QString decodeBytes(const QByteArray &bytes, int codePage)
{
    if (codePage == 65001)
        return QString::fromUtf8(bytes);
    if (codePage == 28591)
        return QString::fromLatin1(bytes);
    QString text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<uchar>(c);
        // Word and WordPad write list bullets as 0xB7 in the Symbol font.
        if (codePage == SymbolCodePage && byte == 0xB7)
            text += QChar(0x2022);
        else
            text += cp1252(byte);
    }
    return text;
}

int codePageOfCharset(int charset)
{
    switch (charset) {
    case 2:
        return SymbolCodePage;
    case 77:
        return 10000;
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    default:
        return 0;
    }
}

// Removes what must not reach a QTextDocument: control characters, lone surrogate halves, and the
// non-characters it uses internally as frame and object markers.
QString cleaned(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate()) {
            if (i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
                out += c;
                out += text.at(++i);
            } else {
                out += QChar(QChar::ReplacementCharacter);
            }
            continue;
        }
        if (c.isLowSurrogate()) {
            out += QChar(QChar::ReplacementCharacter);
            continue;
        }
        const char16_t u = c.unicode();
        if (u == u'\t' || u == QChar::LineSeparator) {
            out += c;
        } else if (u == QChar::ParagraphSeparator) {
            out += QChar(QChar::LineSeparator);
        } else if (u < 0x20 || (u >= 0x7F && u < 0xA0) || (u >= 0xFDD0 && u <= 0xFDEF) || u == 0xFFFC || u == 0xFFFE ||
                   u == 0xFFFF) {
            continue;
        } else {
            out += c;
        }
    }
    return out;
}

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

int twips(int value, int low = -MaxTwips)
{
    return std::clamp(value, low, MaxTwips);
}

class RtfParser
{
public:
    RtfParser(const QByteArray &data, qsizetype start, QTextDocument *doc) : m_data(data), m_pos(start), m_cursor(doc)
    {}

    void run()
    {
        const qsizetype size = m_data.size();
        while (m_pos < size && !m_done) {
            const char c = m_data.at(m_pos++);
            switch (c) {
            case '{':
                openGroup();
                break;
            case '}':
                closeGroup();
                break;
            case '\\':
                controlSequence();
                break;
            case '\r':
            case '\n':
                break;
            default:
                character(static_cast<uchar>(c));
                break;
            }
        }
        flushBytes();
        if (!m_runs.empty())
            endParagraph();
    }

private:
    bool skipping() const { return m_overflow > 0 || m_state.dest == Dest::Skip; }

    void openGroup()
    {
        flushBytes();
        m_skip = 0;
        if (m_overflow > 0 || m_stack.size() >= MaxDepth) {
            ++m_overflow;
            return;
        }
        m_stack.push_back(m_state);
    }

    void closeGroup()
    {
        flushBytes();
        m_skip = 0;
        if (m_overflow > 0) {
            --m_overflow;
            return;
        }
        if (m_state.dest == Dest::FontTable)
            commitFont();
        if (m_stack.empty()) {
            m_done = true;
            return;
        }
        m_state = m_stack.back();
        m_stack.pop_back();
        // The group that opened the document has closed: whatever follows is not part of it.
        if (m_stack.empty())
            m_done = true;
    }

    void character(uchar c)
    {
        if (m_skip > 0) {
            --m_skip;
            return;
        }
        // Some writers leave 8-bit text unescaped; it is in the code page all the same.
        if (c >= 0x80) {
            m_bytes.append(static_cast<char>(c));
            return;
        }
        flushBytes();
        if (m_overflow > 0)
            return;
        if (c == ';' && m_state.dest == Dest::FontTable) {
            commitFont();
            return;
        }
        if (c == ';' && m_state.dest == Dest::ColourTable) {
            commitColour();
            return;
        }
        if (c == '\t' || c >= 0x20)
            emitText(QString(QChar(c)));
    }

    void controlSequence()
    {
        const qsizetype size = m_data.size();
        if (m_pos >= size)
            return;
        const char c = m_data.at(m_pos);
        if (isLetter(c)) {
            controlWord();
            return;
        }
        ++m_pos;
        if (c == '\'') {
            int byte = 0;
            int digits = 0;
            while (digits < 2 && m_pos < size && hexValue(m_data.at(m_pos)) >= 0) {
                byte = byte * 16 + hexValue(m_data.at(m_pos++));
                ++digits;
            }
            if (m_skip > 0) {
                --m_skip;
                return;
            }
            if (digits == 2)
                m_bytes.append(static_cast<char>(byte));
            return;
        }
        flushBytes();
        if (m_skip > 0) {
            --m_skip;
            return;
        }
        if (m_overflow > 0)
            return;
        switch (c) {
        case '\\':
        case '{':
        case '}':
            emitText(QString(QChar::fromLatin1(c)));
            break;
        case '~':
            emitText(QString(QChar(0x00A0)));
            break;
        case '-':
            emitText(QString(QChar(0x00AD)));
            break;
        case '_':
            emitText(QString(QChar(0x2011)));
            break;
        case '*':
            // Readers that do not know the destination that follows are told to skip its group.
            m_state.dest = Dest::Skip;
            break;
        case '\r':
        case '\n':
            if (!skipping() && m_state.dest == Dest::Text)
                endParagraph();
            break;
        default:
            break;
        }
    }

    void controlWord()
    {
        const qsizetype size = m_data.size();
        const qsizetype start = m_pos;
        while (m_pos < size && isLetter(m_data.at(m_pos)))
            ++m_pos;
        const qsizetype length = m_pos - start;

        bool hasParam = false;
        bool negative = false;
        qint64 value = 0;
        if (m_pos + 1 < size && m_data.at(m_pos) == '-' && isDigit(m_data.at(m_pos + 1))) {
            negative = true;
            ++m_pos;
        }
        while (m_pos < size && isDigit(m_data.at(m_pos))) {
            hasParam = true;
            // Saturate: a parameter of a hundred digits must neither overflow nor take long.
            value = std::min<qint64>(value * 10 + (m_data.at(m_pos) - '0'), qint64(1) << 40);
            ++m_pos;
        }
        if (negative)
            value = -value;
        const int param = static_cast<int>(
            std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
        if (m_pos < size && m_data.at(m_pos) == ' ')
            ++m_pos;

        const std::string_view name(m_data.constData() + start, static_cast<size_t>(length));
        if (name == "bin") {
            // Raw binary data follows; its bytes must not be read as text or braces.
            const qint64 count = std::clamp<qint64>(hasParam ? param : 0, 0, size - m_pos);
            m_pos += count;
            if (m_skip > 0)
                --m_skip;
            return;
        }
        flushBytes();
        if (m_skip > 0) {
            --m_skip;
            return;
        }
        if (length > MaxWordLength || skipping())
            return;
        const auto &table = wordTable();
        const auto it = table.find(name);
        if (it != table.end())
            apply(it->second, hasParam, param);
    }

    void apply(Word word, bool hasParam, int param)
    {
        const bool on = !hasParam || param != 0;
        CharState &chr = m_state.chr;
        ParaState &para = m_state.para;
        switch (word) {
        case Word::SkipDestination:
            m_state.dest = Dest::Skip;
            break;
        case Word::FontTable:
            m_state.dest = Dest::FontTable;
            break;
        case Word::ColourTable:
            m_state.dest = Dest::ColourTable;
            break;
        case Word::Ansi:
            m_codePage = 1252;
            break;
        case Word::Mac:
            m_codePage = 10000;
            break;
        case Word::Pc:
            m_codePage = 437;
            break;
        case Word::Pca:
            m_codePage = 850;
            break;
        case Word::AnsiCodePage:
            if (hasParam)
                m_codePage = param;
            break;
        case Word::DefaultFont:
            m_defaultFont = param;
            break;
        case Word::Par:
            if (m_state.dest == Dest::Text)
                endParagraph();
            break;
        case Word::Line:
            emitText(QString(QChar(QChar::LineSeparator)));
            break;
        case Word::Tab:
            emitText(QStringLiteral("\t"));
            break;
        case Word::EmDash:
            emitText(QString(QChar(0x2014)));
            break;
        case Word::EnDash:
            emitText(QString(QChar(0x2013)));
            break;
        case Word::Bullet:
            emitText(QString(QChar(0x2022)));
            break;
        case Word::LeftQuote:
            emitText(QString(QChar(0x2018)));
            break;
        case Word::RightQuote:
            emitText(QString(QChar(0x2019)));
            break;
        case Word::LeftDoubleQuote:
            emitText(QString(QChar(0x201C)));
            break;
        case Word::RightDoubleQuote:
            emitText(QString(QChar(0x201D)));
            break;
        case Word::EmSpace:
            emitText(QString(QChar(0x2003)));
            break;
        case Word::EnSpace:
            emitText(QString(QChar(0x2002)));
            break;
        case Word::QuarterEmSpace:
            emitText(QString(QChar(0x2005)));
            break;
        case Word::Unicode:
            if (hasParam) {
                // A signed 16-bit value: \u-3913 is U+F0B7.
                const int code = param < 0 ? param + 65536 : param;
                if (code >= 0 && code <= 0xFFFF)
                    emitText(QString(QChar(static_cast<char16_t>(code))));
                m_skip = m_state.ucSkip;
            }
            break;
        case Word::UnicodeSkip:
            m_state.ucSkip = std::clamp(param, 0, 0xFFFF);
            break;
        case Word::Bold:
            chr.bold = on;
            break;
        case Word::Italic:
            chr.italic = on;
            break;
        case Word::Underline:
            chr.underline = on;
            break;
        case Word::UnderlineNone:
            chr.underline = false;
            break;
        case Word::Strike:
            chr.strike = on;
            break;
        case Word::Hidden:
            chr.hidden = on;
            break;
        case Word::Super:
            chr.vertical = 1;
            break;
        case Word::Sub:
            chr.vertical = -1;
            break;
        case Word::NoSuperSub:
            chr.vertical = 0;
            break;
        case Word::Plain:
            chr = CharState();
            break;
        case Word::FontSize:
            chr.halfPoints = hasParam ? std::clamp(param, 2, MaxHalfPoints) : 24;
            break;
        case Word::Colour:
            chr.colour = std::max(param, -1);
            break;
        case Word::Background:
            chr.background = std::max(param, -1);
            break;
        case Word::FontNumber:
            if (m_state.dest == Dest::FontTable) {
                m_fontNumber = param;
                m_fontCharset = 0;
                m_fontName.clear();
            } else {
                chr.font = param;
            }
            break;
        case Word::FontCharset:
            m_fontCharset = param;
            break;
        case Word::Red:
            m_red = std::clamp(param, 0, 255);
            m_colourGiven = true;
            break;
        case Word::Green:
            m_green = std::clamp(param, 0, 255);
            m_colourGiven = true;
            break;
        case Word::Blue:
            m_blue = std::clamp(param, 0, 255);
            m_colourGiven = true;
            break;
        case Word::Pard:
            para = ParaState();
            break;
        case Word::AlignLeft:
            para.align = Qt::AlignLeft;
            break;
        case Word::AlignCentre:
            para.align = Qt::AlignHCenter;
            break;
        case Word::AlignRight:
            para.align = Qt::AlignRight;
            break;
        case Word::AlignJustify:
            para.align = Qt::AlignJustify;
            break;
        case Word::LeftIndent:
            para.left = twips(param);
            break;
        case Word::RightIndent:
            para.right = twips(param);
            break;
        case Word::FirstIndent:
            para.first = twips(param);
            break;
        case Word::SpaceBefore:
            para.before = twips(param, 0);
            break;
        case Word::SpaceAfter:
            para.after = twips(param, 0);
            break;
        case Word::TabStop:
            if (para.tabs.size() < MaxTabStops)
                para.tabs.append(twips(param, 0));
            break;
        }
    }

    void emitText(const QString &text)
    {
        if (m_overflow > 0)
            return;
        if (m_state.dest == Dest::FontTable) {
            m_fontName += text;
            return;
        }
        if (m_state.dest != Dest::Text || m_state.chr.hidden)
            return;
        if (m_runs.empty() || !(m_runs.back().state == m_state.chr))
            m_runs.push_back(Run{m_state.chr, QString()});
        m_runs.back().text += text;
    }

    int codePage() const
    {
        const int font = m_state.chr.font >= 0 ? m_state.chr.font : m_defaultFont;
        const auto it = m_fonts.constFind(font);
        if (m_state.dest == Dest::Text && it != m_fonts.constEnd() && it->codePage != 0)
            return it->codePage;
        return m_codePage;
    }

    void flushBytes()
    {
        if (m_bytes.isEmpty())
            return;
        const QString text = decodeBytes(m_bytes, codePage());
        m_bytes.clear();
        emitText(text);
    }

    void commitFont()
    {
        QString name = m_fontName.trimmed();
        m_fontName.clear();
        if (name.isEmpty() && m_fontCharset == 0)
            return;
        m_fonts.insert(m_fontNumber, Font{name, codePageOfCharset(m_fontCharset)});
        m_fontCharset = 0;
    }

    void commitColour()
    {
        // An entry without components is the automatic colour, usually the first.
        m_colours.append(m_colourGiven ? QColor(m_red, m_green, m_blue) : QColor());
        m_red = m_green = m_blue = 0;
        m_colourGiven = false;
    }

    QColor colour(int index) const
    {
        if (index < 0 || index >= m_colours.size())
            return QColor();
        return m_colours.at(index);
    }

    QTextCharFormat charFormat(const CharState &s) const
    {
        QTextCharFormat format;
        if (s.bold)
            format.setFontWeight(QFont::Bold);
        if (s.italic)
            format.setFontItalic(true);
        if (s.underline)
            format.setFontUnderline(true);
        if (s.strike)
            format.setFontStrikeOut(true);
        if (s.vertical > 0)
            format.setVerticalAlignment(QTextCharFormat::AlignSuperScript);
        else if (s.vertical < 0)
            format.setVerticalAlignment(QTextCharFormat::AlignSubScript);
        if (s.halfPoints > 0)
            format.setFontPointSize(s.halfPoints / 2.0);
        if (const QColor fg = colour(s.colour); fg.isValid())
            format.setForeground(fg);
        if (const QColor bg = colour(s.background); bg.isValid())
            format.setBackground(bg);
        const auto font = m_fonts.constFind(s.font >= 0 ? s.font : m_defaultFont);
        // Symbol fonts are already turned into Unicode; their name would only pick the wrong glyphs.
        if (font != m_fonts.constEnd() && !font->name.isEmpty() && font->codePage != SymbolCodePage)
            format.setFontFamilies(QStringList{font->name});
        return format;
    }

    static QTextBlockFormat blockFormat(const ParaState &p)
    {
        QTextBlockFormat format;
        format.setAlignment(p.align);
        format.setLeftMargin(p.left * PixelsPerTwip);
        format.setRightMargin(p.right * PixelsPerTwip);
        format.setTextIndent(p.first * PixelsPerTwip);
        format.setTopMargin(p.before * PixelsPerTwip);
        format.setBottomMargin(p.after * PixelsPerTwip);
        QList<int> stops = p.tabs;
        // A hanging indent has an implicit tab stop at the left indent, where list text begins.
        if (p.first < 0 && p.left > 0)
            stops.append(p.left);
        std::sort(stops.begin(), stops.end());
        stops.erase(std::unique(stops.begin(), stops.end()), stops.end());
        QList<QTextOption::Tab> tabs;
        for (const int stop : std::as_const(stops)) {
            // RTF measures stops from the page margin, Qt from where the first line starts.
            const double position = (stop - p.left - p.first) * PixelsPerTwip;
            if (position > 0)
                tabs.append(QTextOption::Tab(position, QTextOption::LeftTab));
        }
        if (!tabs.isEmpty())
            format.setTabPositions(tabs);
        return format;
    }

    void endParagraph()
    {
        const QTextBlockFormat block = blockFormat(m_state.para);
        const QTextCharFormat blockChars = charFormat(m_state.chr);
        if (m_blocks == 0) {
            m_cursor.setBlockFormat(block);
            m_cursor.setBlockCharFormat(blockChars);
        } else {
            m_cursor.insertBlock(block, blockChars);
        }
        for (const Run &run : m_runs) {
            const QString text = cleaned(run.text);
            if (!text.isEmpty())
                m_cursor.insertText(text, charFormat(run.state));
        }
        m_runs.clear();
        ++m_blocks;
    }

    const QByteArray &m_data;
    qsizetype m_pos;
    QTextCursor m_cursor;
    bool m_done = false;

    GroupState m_state;
    std::vector<GroupState> m_stack;
    int m_overflow = 0; // groups opened beyond MaxDepth
    int m_skip = 0;     // characters still to skip after a \u

    int m_codePage = 1252;
    int m_defaultFont = 0;
    QByteArray m_bytes; // \'hh bytes waiting to be decoded together (UTF-8 needs several)

    QHash<int, Font> m_fonts;
    int m_fontNumber = 0;
    int m_fontCharset = 0;
    QString m_fontName;

    QList<QColor> m_colours;
    int m_red = 0;
    int m_green = 0;
    int m_blue = 0;
    bool m_colourGiven = false;

    std::vector<Run> m_runs; // the paragraph being read
    int m_blocks = 0;
};

// Where "{\rtf" starts, after a byte-order mark and blanks; -1 when the data is no RTF.
qsizetype rtfStart(const QByteArray &data)
{
    qsizetype i = data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < data.size() && (data.at(i) == ' ' || data.at(i) == '\t' || data.at(i) == '\r' || data.at(i) == '\n'))
        ++i;
    return QByteArrayView(data).sliced(i).startsWith("{\\rtf") ? i : -1;
}

void setError(QString *error, const QString &message)
{
    if (error)
        *error = message;
}

} // namespace

bool ParseRtf(const QByteArray &rtf, QTextDocument *doc, QString *error)
{
    if (!doc) {
        setError(error, QStringLiteral("Er is geen document om de tekst in te laden."));
        return false;
    }
    const qsizetype start = rtfStart(rtf);
    if (start < 0) {
        setError(error, QStringLiteral("De tekst is geen RTF-document."));
        return false;
    }
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    doc->clear();
    {
        RtfParser parser(rtf, start, doc);
        parser.run();
    }
    doc->setUndoRedoEnabled(undo);
    setError(error, QString());
    return true;
}

bool LoadRtfInto(QTextDocument *doc, const QString &path, QString *error)
{
    const QString shown = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        setError(error, QStringLiteral("Het helpbestand ") + shown + QStringLiteral(" kan niet worden geopend."));
        return false;
    }
    if (file.size() > MaxFileSize) {
        setError(error, QStringLiteral("Het helpbestand ") + shown + QStringLiteral(" is te groot."));
        return false;
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        setError(error, QStringLiteral("Het helpbestand ") + shown + QStringLiteral(" kan niet worden gelezen."));
        return false;
    }
    if (!ParseRtf(data, doc, nullptr)) {
        setError(error, QStringLiteral("Het helpbestand ") + shown + QStringLiteral(" is geen RTF-document."));
        return false;
    }
    setError(error, QString());
    return true;
}
