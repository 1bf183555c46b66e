#include "workbook/NumberFormats.h"

#include <QString>

#include <vector>

bool IsBuiltinDateFormat(int numFmtId)
{
    // 14-17 and 22: dates and date-times; 18-21, 45-47: times only.
    // 27-36 and 50-58: the East Asian built-in date formats.
    return (numFmtId >= 14 && numFmtId <= 17) || numFmtId == 22 || (numFmtId >= 27 && numFmtId <= 36) ||
           (numFmtId >= 50 && numFmtId <= 58);
}

bool IsDateFormatCode(QStringView code)
{
    // The date and time letters in order, outside quoted text, escapes and
    // brackets; a bracketed [h], [m] or [s] is an elapsed time (kept in upper
    // case, never a date part), "n" a month's name.
    std::vector<char16_t> parts;
    const qsizetype n = code.size();
    qsizetype i = 0;
    while (i < n) {
        const char16_t c = code[i].toLower().unicode();
        if (c == u'"') {
            const qsizetype close = code.indexOf(u'"', i + 1);
            i = close < 0 ? n : close + 1;
            continue;
        }
        if (c == u'\\' || c == u'_' || c == u'*') {
            i += 2; // an escaped, spacing or fill character
            continue;
        }
        if (c == u'[') {
            const qsizetype close = code.indexOf(u']', i + 1);
            const QStringView inside = code.mid(i + 1, (close < 0 ? n : close) - i - 1);
            if (!inside.isEmpty() && QStringView(u"hHmMsS").contains(inside.front()) &&
                inside.count(inside.front()) == inside.size())
                parts.push_back(inside.front().toUpper().unicode());
            i = close < 0 ? n : close + 1;
            continue;
        }
        if (code.mid(i, 5).compare(u"am/pm", Qt::CaseInsensitive) == 0) {
            i += 5;
            continue;
        }
        if (code.mid(i, 3).compare(u"a/p", Qt::CaseInsensitive) == 0) {
            i += 3;
            continue;
        }
        if (c == u'y' || c == u'm' || c == u'd' || c == u'h' || c == u's') {
            // A run of one letter is one part ("yyyy"); three m or more are a month's name.
            qsizetype end = i + 1;
            while (end < n && code[end].toLower().unicode() == c)
                ++end;
            parts.push_back(c == u'm' && end - i >= 3 ? u'n' : c);
            i = end;
            continue;
        }
        ++i;
    }

    for (std::size_t k = 0; k < parts.size(); ++k) {
        const char16_t p = parts[k];
        if (p == u'y' || p == u'd' || p == u'n')
            return true;
        if (p == u'm') {
            // Minutes follow an hour or precede seconds; any other m is a month.
            const bool afterHour = k > 0 && (parts[k - 1] == u'h' || parts[k - 1] == u'H');
            const bool beforeSeconds = k + 1 < parts.size() && (parts[k + 1] == u's' || parts[k + 1] == u'S');
            if (!afterHour && !beforeSeconds)
                return true;
        }
    }
    return false;
}
