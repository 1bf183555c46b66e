#include "model/IniFile.h"

#include <QStringDecoder>

namespace {
// Code points of 0x80..0x9F in Windows-1252; 0 where the code page has none.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QString sectionName(const QString &trimmedLine)
{
    const qsizetype close = trimmedLine.indexOf(QLatin1Char(']'));
    return trimmedLine.mid(1, close < 0 ? -1 : close - 1).trimmed();
}
} // namespace

QString DecodeWindows1252(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b <= 0x9F && kCp1252High[b - 0x80] != 0)
            out += QChar(kCp1252High[b - 0x80]);
        else
            out += QChar(static_cast<char16_t>(b));
    }
    return out;
}

QByteArray EncodeWindows1252(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out += static_cast<char>(u);
            continue;
        }
        char mapped = '?';
        for (int i = 0; i < 32; ++i) {
            if (kCp1252High[i] == u && u != 0) {
                mapped = static_cast<char>(0x80 + i);
                break;
            }
        }
        out += mapped;
    }
    return out;
}

IniFile IniFile::fromBytes(const QByteArray &bytes)
{
    QByteArray data = bytes;
    if (data.startsWith("\xEF\xBB\xBF"))
        data.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(data);
    if (utf8.hasError())
        text = DecodeWindows1252(data);

    IniFile ini;
    QString section;
    const QStringList rawLines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < rawLines.size(); ++i) {
        QString raw = rawLines.at(i);
        if (raw.endsWith(QLatin1Char('\r')))
            raw.chop(1);
        // The split leaves one empty piece after a final line end.
        if (i == rawLines.size() - 1 && raw.isEmpty())
            break;
        Line line;
        line.text = raw;
        const QString trimmed = raw.trimmed();
        if (trimmed.startsWith(QLatin1Char('['))) {
            section = sectionName(trimmed);
            line.isSection = true;
        } else if (!trimmed.startsWith(QLatin1Char(';'))) {
            const qsizetype eq = raw.indexOf(QLatin1Char('='));
            if (eq > 0)
                line.key = raw.left(eq).trimmed();
        }
        line.section = section;
        ini.m_lines.append(line);
    }
    return ini;
}

QByteArray IniFile::toBytes() const
{
    QByteArray out;
    for (const Line &line : m_lines) {
        out += line.text.toUtf8();
        out += '\n';
    }
    return out;
}

int IniFile::findKey(const QString &section, const QString &key) const
{
    const QString wanted = key.trimmed();
    for (int i = 0; i < m_lines.size(); ++i) {
        const Line &line = m_lines.at(i);
        if (!line.key.isEmpty() && sameName(line.section, section) && sameName(line.key, wanted))
            return i;
    }
    return -1;
}

int IniFile::lastLineOfSection(const QString &section) const
{
    int last = -1;
    for (int i = 0; i < m_lines.size(); ++i) {
        const Line &line = m_lines.at(i);
        if (sameName(line.section, section) && (line.isSection || !line.text.trimmed().isEmpty()))
            last = i;
    }
    return last;
}

bool IniFile::contains(const QString &section, const QString &key) const
{
    return findKey(section, key) >= 0;
}

QString IniFile::value(const QString &section, const QString &key, const QString &fallback) const
{
    const int i = findKey(section, key);
    if (i < 0)
        return fallback;
    const QString &text = m_lines.at(i).text;
    return text.mid(text.indexOf(QLatin1Char('=')) + 1).trimmed();
}

void IniFile::setValue(const QString &section, const QString &key, const QString &value)
{
    Line line;
    line.text = key + QLatin1Char('=') + value;
    line.key = key.trimmed();
    line.section = section;

    const int existing = findKey(section, key);
    if (existing >= 0) {
        line.section = m_lines.at(existing).section;
        m_lines[existing] = line;
        return;
    }
    const int last = lastLineOfSection(section);
    if (last >= 0) {
        line.section = m_lines.at(last).section;
        m_lines.insert(last + 1, line);
        return;
    }
    if (!m_lines.isEmpty() && !m_lines.constLast().text.trimmed().isEmpty())
        m_lines.append(Line{QString(), m_lines.constLast().section, QString(), false});
    m_lines.append(Line{QLatin1Char('[') + section + QLatin1Char(']'), section, QString(), true});
    m_lines.append(line);
}
