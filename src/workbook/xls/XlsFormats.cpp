#include "workbook/xls/XlsFormats.h"

bool IsBuiltInDateFormat(int formatId)
{
    // 14-17 and 22 are dates (22 with a time); 18-21 and 45-47 are times only.
    return (formatId >= 14 && formatId <= 17) || formatId == 22;
}

bool IsDateFormatCode(QStringView code)
{
    if (code.compare(u"General", Qt::CaseInsensitive) == 0)
        return false;
    bool dayOrYear = false;
    bool month = false;
    bool time = false;
    const qsizetype n = code.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = code[i].toLower().unicode();
        switch (c) {
        case u'"': {
            const qsizetype close = code.indexOf(u'"', i + 1);
            i = close < 0 ? n : close;
            break;
        }
        case u'[': {
            const qsizetype close = code.indexOf(u']', i + 1);
            const QStringView inside = code.mid(i + 1, (close < 0 ? n : close) - i - 1);
            if (!inside.isEmpty() && QStringLiteral("hms").contains(inside.front().toLower()))
                time = true; // elapsed time: [h]:mm:ss
            i = close < 0 ? n : close;
            break;
        }
        case u'\\':
        case u'_':
        case u'*':
            ++i; // an escaped, spacing or fill character
            break;
        case u'a':
            if (code.mid(i, 5).compare(u"AM/PM", Qt::CaseInsensitive) == 0) {
                time = true;
                i += 4;
            } else if (code.mid(i, 3).compare(u"A/P", Qt::CaseInsensitive) == 0) {
                time = true;
                i += 2;
            }
            break;
        case u'd':
        case u'y':
            dayOrYear = true;
            break;
        case u'm':
            month = true;
            break;
        case u'h':
        case u's':
            time = true;
            break;
        default:
            break;
        }
    }
    return dayOrYear || (month && !time);
}
