#include "model/Register.h"

#include "model/Error.h"
#include "model/RunRecords.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr int FieldCount = 8;
enum Field
{
    fMade,
    fFile,
    fMsgId,
    fCode,
    fDate,
    fMandate,
    fIban,
    fAmount,
};
const std::array<QByteArrayView, FieldCount> HeaderFields{"gemaakt",      "bestand", "msgid", "sequentiecode",
                                                          "incassodatum", "mandaat", "iban",  "bedrag"};

using Fields = std::array<QByteArrayView, FieldCount>;

// One collection line, checked.
struct Line
{
    Fields fields;
    int code = -1; // index in SeqCodes
    int date = 0;  // yyyymmdd
    qint64 cents = 0;
};

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString systemError(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

[[noreturn]] void unreadable(const QString &path, const QString &why)
{
    throw KwError(QStringLiteral("Het register ") + shown(path) + QStringLiteral(" kan niet worden gelezen: ") + why);
}

[[noreturn]] void damaged(const QString &path, int line, const QString &what)
{
    throw KwError(QStringLiteral("Het register ") + shown(path) + QStringLiteral(" is beschadigd: regel ") +
                  QString::number(line) + QStringLiteral(" ") + what + QLatin1Char('\r') +
                  QStringLiteral("Het register wordt niet gewijzigd. Herstel het bestand (of zet een reservekopie "
                                 "terug) en start de verwerking opnieuw."));
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

int digits(QByteArrayView text, qsizetype from, qsizetype count)
{
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        if (!isDigit(text[i]))
            return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

// yyyy-mm-dd as yyyymmdd; 0 when it is no date.
int dateNumber(QByteArrayView text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return 0;
    const int y = digits(text, 0, 4);
    const int m = digits(text, 5, 2);
    const int d = digits(text, 8, 2);
    if (y < 1 || m < 0 || d < 0 || !QDate::isValid(y, m, d))
        return 0;
    return y * 10000 + m * 100 + d;
}

int codeIndex(QByteArrayView text)
{
    static const std::array<QByteArrayView, 4> codes{"FRST", "RCUR", "FNAL", "OOFF"};
    for (int k = 0; k < 4; ++k) {
        if (text == codes[k])
            return k;
    }
    return -1;
}

// An amount as the files hold it: digits, optionally a point and one or two decimals.
bool amountCents(QByteArrayView text, qint64 &cents)
{
    if (text.isEmpty() || text.size() > 16)
        return false;
    qsizetype i = 0;
    qint64 whole = 0;
    while (i < text.size() && isDigit(text[i]))
        whole = whole * 10 + (text[i++] - '0');
    const qsizetype wholeDigits = i;
    int fraction = 0;
    int fractionDigits = 0;
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && isDigit(text[i]) && fractionDigits < 3; ++i, ++fractionDigits)
            fraction = fraction * 10 + (text[i] - '0');
    }
    if (i != text.size() || wholeDigits + fractionDigits == 0 || fractionDigits > 2)
        return false;
    cents = whole * 100 + (fractionDigits == 1 ? fraction * 10 : fraction);
    return true;
}

// The batch number at the end of a file name "..._<number>.xml"; 0 for none.
int batchNumberOf(QByteArrayView name)
{
    if (!name.endsWith(".xml"))
        return 0;
    const QByteArrayView stem = name.chopped(4);
    const qsizetype underscore = stem.lastIndexOf('_');
    const QByteArrayView number = stem.sliced(underscore + 1);
    if (underscore < 0 || number.isEmpty() || number.size() > 9)
        return 0;
    return digits(number, 0, number.size());
}

// Reads the register's records a piece at a time. Lines without a quote, the
// only kind this program writes, are split in place; a quoted field may hold
// ";", a quote (doubled) and line ends, and is unquoted into a buffer.
class Parser
{
public:
    explicit Parser(const QString &path) : m_path(path) {}

    // Takes every complete record in [data, data + size), at the end of the file
    // also the last one without a line end; returns the bytes taken.
    template <typename Visit> qsizetype feed(const char *data, qsizetype size, bool atEnd, Visit &visit)
    {
        const char *p = data;
        const char *end = data + size;
        // The next quote of the piece, looked for once rather than in every line.
        const char *quote = nullptr;
        while (p < end) {
            if (quote < p) {
                quote = static_cast<const char *>(std::memchr(p, '"', size_t(end - p)));
                if (!quote)
                    quote = end;
            }
            const char *lineEnd = static_cast<const char *>(std::memchr(p, '\n', size_t(end - p)));
            if (!lineEnd && !atEnd)
                break;
            if (!lineEnd)
                lineEnd = end;
            int count = 0;
            const char *next = nullptr;
            const int first = m_line + 1;
            if (quote >= lineEnd) {
                const char *e = lineEnd > p && lineEnd[-1] == '\r' ? lineEnd - 1 : lineEnd;
                next = lineEnd < end ? lineEnd + 1 : end;
                ++m_line;
                if (e == p && !m_header) { // a blank line
                    p = next;
                    continue;
                }
                count = splitPlain(p, e);
            } else {
                int lines = 0;
                count = splitQuoted(p, end, atEnd, next, lines);
                if (count == 0) // the record goes on in the next piece
                    break;
                m_line += lines;
            }
            take(count, first, visit);
            p = next;
        }
        return p - data;
    }

    bool sawHeader() const { return !m_header; }

private:
    int splitPlain(const char *p, const char *e)
    {
        int n = 0;
        for (;;) {
            const char *semi = static_cast<const char *>(std::memchr(p, ';', size_t(e - p)));
            const char *fieldEnd = semi ? semi : e;
            if (n < FieldCount)
                m_fields[n] = QByteArrayView(p, fieldEnd - p);
            ++n;
            if (!semi)
                return n;
            p = semi + 1;
        }
    }

    // A record with quotes, which may run over several lines. Returns its
    // number of fields, or 0 when it does not end within the piece.
    int splitQuoted(const char *p, const char *end, bool atEnd, const char *&next, int &lines)
    {
        const int first = m_line + 1;
        lines = 1;
        int n = 0;
        for (;;) {
            QByteArray &out = m_unquoted[std::min(n, FieldCount)];
            out.clear();
            if (p < end && *p == '"') {
                for (++p;; ++p) {
                    if (p == end) {
                        if (atEnd)
                            damaged(m_path, first,
                                    QStringLiteral("heeft een aanhalingsteken dat niet wordt gesloten."));
                        return 0;
                    }
                    if (*p == '"') {
                        if (p + 1 == end && !atEnd)
                            return 0;
                        if (p + 1 < end && p[1] == '"') {
                            out.append('"');
                            ++p;
                            continue;
                        }
                        ++p;
                        break;
                    }
                    if (*p == '\n')
                        ++lines;
                    out.append(*p);
                }
                if (p < end && *p == '\r') {
                    if (p + 1 == end && !atEnd)
                        return 0;
                    if (p + 1 == end || p[1] == '\n')
                        ++p;
                }
                if (p == end && !atEnd)
                    return 0;
                if (p < end && *p != ';' && *p != '\n')
                    damaged(m_path, first, QStringLiteral("heeft tekst na het aanhalingsteken dat een veld sluit."));
            } else {
                const char *s = p;
                while (p < end && *p != ';' && *p != '\n')
                    ++p;
                if (p == end && !atEnd)
                    return 0;
                const char *e = p > s && p[-1] == '\r' && (p == end || *p == '\n') ? p - 1 : p;
                out.append(s, e - s);
            }
            ++n;
            if (p < end && *p == ';') {
                ++p;
                continue;
            }
            next = p < end ? p + 1 : end;
            for (int k = 0; k < std::min(n, FieldCount); ++k)
                m_fields[k] = m_unquoted[k];
            return n;
        }
    }

    template <typename Visit> void take(int count, int first, Visit &visit)
    {
        if (m_header) {
            if (count != FieldCount || m_fields != HeaderFields) {
                damaged(m_path, first,
                        QStringLiteral("is niet de kopregel ") + QString::fromLatin1(RegisterHeader()) +
                            QLatin1Char('.'));
            }
            m_header = false;
            return;
        }
        if (count != FieldCount) {
            damaged(m_path, first,
                    QStringLiteral("heeft ") + QString::number(count) +
                        (count == 1 ? QStringLiteral(" veld") : QStringLiteral(" velden")) +
                        QStringLiteral(" in plaats van 8."));
        }
        Line line;
        line.fields = m_fields;
        line.code = codeIndex(m_fields[fCode]);
        if (line.code < 0) {
            damaged(m_path, first,
                    QStringLiteral("heeft geen geldige sequentiecode: ") + QString::fromUtf8(m_fields[fCode]) +
                        QLatin1Char('.'));
        }
        line.date = dateNumber(m_fields[fDate]);
        if (line.date == 0) {
            damaged(m_path, first,
                    QStringLiteral("heeft geen geldige incassodatum (jjjj-mm-dd): ") +
                        QString::fromUtf8(m_fields[fDate]) + QLatin1Char('.'));
        }
        if (!amountCents(m_fields[fAmount], line.cents)) {
            damaged(m_path, first,
                    QStringLiteral("heeft geen geldig bedrag: ") + QString::fromUtf8(m_fields[fAmount]) +
                        QLatin1Char('.'));
        }
        visit(line);
    }

    const QString &m_path;
    int m_line = 0;
    bool m_header = true;
    Fields m_fields;
    std::array<QByteArray, FieldCount + 1> m_unquoted; // the last one takes fields beyond the eighth
};

// Every collection line of the register at path, read a piece at a time.
template <typename Visit> void readRegister(const QString &path, Visit &&visit)
{
    const QFileInfo info(path);
    if (!info.exists())
        return;
    if (!info.isFile())
        unreadable(path, QStringLiteral("het is geen bestand."));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        unreadable(path, file.errorString());

    constexpr qsizetype Piece = 1 << 20;
    Parser parser(path);
    QByteArray buffer;
    qsizetype kept = 0; // bytes of a record that goes on in the next piece
    bool first = true;
    for (;;) {
        // A record longer than a piece makes the buffer grow.
        buffer.resize(std::max(buffer.size(), kept + Piece));
        const qint64 n = file.read(buffer.data() + kept, buffer.size() - kept);
        if (n < 0)
            unreadable(path, file.errorString());
        const bool atEnd = n == 0;
        qsizetype size = kept + n;
        qsizetype from = 0;
        if (first && size >= 3 && std::memcmp(buffer.constData(), "\xEF\xBB\xBF", 3) == 0)
            from = 3;
        first = false;
        const qsizetype taken = from + parser.feed(buffer.constData() + from, size - from, atEnd, visit);
        if (atEnd)
            break;
        kept = size - taken;
        std::memmove(buffer.data(), buffer.constData() + taken, size_t(kept));
    }
    if (!parser.sawHeader() && info.size() > 0)
        damaged(path, 1,
                QStringLiteral("is niet de kopregel ") + QString::fromLatin1(RegisterHeader()) + QLatin1Char('.'));
}

QByteArray csvField(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    for (const char c : bytes) {
        if (c == ';' || c == '"' || c == '\n' || c == '\r') {
            bytes.replace("\"", "\"\"");
            return '"' + bytes + '"';
        }
    }
    return bytes;
}

void appendCsvField(QByteArray &out, const QString &text)
{
    // A mandate id, IBAN or amount is plain ASCII: those go in as they are.
    bool plain = true;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= 0x80 || u == u';' || u == u'"' || u == u'\n' || u == u'\r') {
            plain = false;
            break;
        }
    }
    if (!plain) {
        out += csvField(text);
        return;
    }
    const qsizetype at = out.size();
    out.resize(at + text.size());
    char *to = out.data() + at;
    for (const QChar c : text)
        *to++ = char(c.unicode());
}

QDate dateOfNumber(int yyyymmdd)
{
    return QDate(yyyymmdd / 10000, yyyymmdd / 100 % 100, yyyymmdd % 100);
}
} // namespace

QString RegisterFileName()
{
    return QStringLiteral("Kwintor2-register.csv");
}

QByteArray RegisterHeader()
{
    return QByteArrayLiteral("gemaakt;bestand;msgid;sequentiecode;incassodatum;mandaat;iban;bedrag");
}

bool RegisterIndex::find(const QString &mandate, TMandateHistory &history) const
{
    const auto it = m_mandates.constFind(mandate.toUtf8());
    if (it == m_mandates.cend())
        return false;
    history = TMandateHistory();
    history.sameDateFile = QString::fromUtf8(it->sameDateFile);
    history.collectedBefore = it->lastDate != 0;
    if (history.collectedBefore) {
        history.lastCode = SeqCodes().at(it->lastCode);
        history.lastDate = dateOfNumber(it->lastDate);
    }
    return true;
}

RegisterIndex CollectionRegister::index(const QDate &collectionDate) const
{
    RegisterIndex index;
    // Without a date of its own a run has nothing earlier or the same.
    const int runDate = collectionDate.isValid()
                            ? collectionDate.year() * 10000 + collectionDate.month() * 100 + collectionDate.day()
                            : 0;
    QByteArray file; // the lines of one file follow each other: one copy of its name serves them all
    readRegister(m_path, [&](const Line &line) {
        ++index.m_lines;
        const QByteArrayView name = line.fields[fFile];
        if (name != QByteArrayView(file)) {
            file = name.toByteArray();
            index.m_highestBatch = std::max(index.m_highestBatch, batchNumberOf(file));
        }
        if (line.date > runDate)
            return;
        const QByteArrayView mandate = line.fields[fMandate];
        auto it = index.m_mandates.find(QByteArray::fromRawData(mandate.data(), mandate.size()));
        if (it == index.m_mandates.end())
            it = index.m_mandates.insert(mandate.toByteArray(), RegisterIndex::Entry());
        if (line.date == runDate) {
            it->sameDateFile = file;
        } else if (line.date >= it->lastDate) {
            it->lastDate = line.date;
            it->lastCode = line.code;
        }
    });
    return index;
}

QList<TRegisterSummary> CollectionRegister::files() const
{
    QList<TRegisterSummary> files;
    QByteArray made;
    QByteArray file;
    QByteArray msgId;
    readRegister(m_path, [&](const Line &line) {
        const Fields &f = line.fields;
        if (files.isEmpty() || f[fMade] != QByteArrayView(made) || f[fFile] != QByteArrayView(file) ||
            f[fMsgId] != QByteArrayView(msgId)) {
            made = f[fMade].toByteArray();
            file = f[fFile].toByteArray();
            msgId = f[fMsgId].toByteArray();
            TRegisterSummary summary;
            summary.made = QString::fromUtf8(made);
            summary.fileName = QString::fromUtf8(file);
            summary.seqCode = SeqCodes().at(line.code);
            summary.collectionDate = QString::fromUtf8(f[fDate]);
            files.append(summary);
        }
        TRegisterSummary &summary = files.last();
        ++summary.collections;
        summary.totalCents += line.cents;
    });
    return files;
}

void CollectionRegister::append(const TRegisterFile &file) const
{
    if (file.collections.isEmpty())
        return;
    const QByteArray prefix = csvField(file.made) + ';' + csvField(file.fileName) + ';' + csvField(file.msgId) + ';' +
                              csvField(file.seqCode) + ';' + csvField(file.collectionDate) + ';';
    QByteArray lines;
    lines.reserve(file.collections.size() * (prefix.size() + 48));
    for (const TRegisterCollection &c : file.collections) {
        lines += prefix;
        appendCsvField(lines, c.mandate);
        lines += ';';
        appendCsvField(lines, c.iban);
        lines += ';';
        appendCsvField(lines, c.amount);
        lines += '\n';
    }

    // Throws: nothing after a call runs.
    const auto fail = [this](const QString &why) {
        throw KwError(QStringLiteral("Het register ") + shown(m_path) +
                      QStringLiteral(" kan niet worden bijgewerkt: ") + why);
    };
    const QByteArray name = QFile::encodeName(m_path);
    const bool existed = QFileInfo::exists(m_path);
    const int fd = ::open(name.constData(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0)
        fail(systemError(errno));
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        const int err = errno;
        ::close(fd);
        fail(systemError(err));
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        fail(QStringLiteral("het is geen bestand."));
    }
    const off_t size = st.st_size;
    QByteArray bytes;
    if (size == 0) {
        bytes = RegisterHeader() + '\n';
    } else {
        // A last line without its line end (saved by another program) must not run into the first new one.
        char last = '\n';
        if (::pread(fd, &last, 1, size - 1) == 1 && last != '\n')
            bytes = "\n";
    }
    bytes += lines;

    // What was written goes again when the whole could not be, so the register never ends in half a line.
    const auto undo = [&](int err) {
        if (::ftruncate(fd, size) == 0)
            ::fsync(fd);
        ::close(fd);
        if (!existed)
            ::unlink(name.constData());
        fail(systemError(err));
    };
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            undo(n < 0 ? errno : ENOSPC);
        done += n;
    }
    if (::fsync(fd) != 0)
        undo(errno);
    if (::close(fd) != 0)
        fail(systemError(errno));
    // A register made just now must also be found in its folder after a crash.
    if (!existed) {
        const int dir = ::open(QFile::encodeName(QFileInfo(m_path).absolutePath()).constData(), O_RDONLY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
    }
}
