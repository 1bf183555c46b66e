#include "model/CellValue.h"

#include <QDate>
#include <QHash>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

QString GeneralNumberText(double value, QChar decimalPoint)
{
    if (value == 0.0 || !std::isfinite(value))
        return value == 0.0 ? QStringLiteral("0") : QString::number(value);

    // Most numbers are amounts: a whole number of cents of at most 15 digits is what
    // fifteen significant digits give back, so it is written without the digit search.
    if (std::fabs(value) < 1e13) {
        const double cents = std::nearbyint(value * 100.0);
        if (cents / 100.0 == value) {
            auto whole = static_cast<long long>(std::fabs(cents));
            const int fraction = int(whole % 100);
            whole /= 100;
            char16_t out[24];
            int n = int(sizeof out / sizeof *out);
            if (fraction != 0) {
                if (fraction % 10 != 0)
                    out[--n] = char16_t(u'0' + fraction % 10);
                out[--n] = char16_t(u'0' + fraction / 10);
                out[--n] = decimalPoint.unicode();
            }
            do {
                out[--n] = char16_t(u'0' + whole % 10);
                whole /= 10;
            } while (whole > 0);
            if (value < 0)
                out[--n] = u'-';
            return QString(reinterpret_cast<const QChar *>(out + n), qsizetype(sizeof out / sizeof *out) - n);
        }
    }

    // Fifteen significant digits, then lay them out by hand so the switch to
    // exponent notation follows the spreadsheet's general form, not printf's.
    // to_chars gives the same digits as "%.14e", many times faster; every amount passes here.
    char buf[64];
    const auto written = std::to_chars(buf, buf + sizeof buf - 1, value, std::chars_format::scientific, 14);
    *written.ptr = '\0';
    const char *e = std::strchr(buf, 'e');
    const int exponent = std::atoi(e + 1);
    char digits[24];
    int count = 0;
    for (const char *p = buf; p < e; ++p) {
        if (*p >= '0' && *p <= '9')
            digits[count++] = *p;
    }
    while (count > 1 && digits[count - 1] == '0')
        --count;

    // At most a sign, 15 digits, the point and 4 zeros before the digits.
    char16_t out[48];
    int n = 0;
    const auto put = [&](const char *from, int length) {
        for (int i = 0; i < length; ++i)
            out[n++] = char16_t(from[i]);
    };
    if (value < 0)
        out[n++] = u'-';
    if (exponent < -5 || exponent >= 15) {
        put(digits, 1);
        if (count > 1) {
            out[n++] = decimalPoint.unicode();
            put(digits + 1, count - 1);
        }
        out[n++] = u'E';
        out[n++] = exponent < 0 ? u'-' : u'+';
        char exp[8];
        const int length = int(std::to_chars(exp, exp + sizeof exp, std::abs(exponent)).ptr - exp);
        if (length < 2)
            out[n++] = u'0';
        put(exp, length);
    } else if (exponent < 0) {
        out[n++] = u'0';
        out[n++] = decimalPoint.unicode();
        for (int i = 0; i < -exponent - 1; ++i)
            out[n++] = u'0';
        put(digits, count);
    } else if (count <= exponent + 1) {
        put(digits, count);
        for (int i = count; i < exponent + 1; ++i)
            out[n++] = u'0';
    } else {
        put(digits, exponent + 1);
        out[n++] = decimalPoint.unicode();
        put(digits + exponent + 1, count - exponent - 1);
    }
    return QString(reinterpret_cast<const QChar *>(out), n);
}

QStringView TrimmedBlanks(QStringView text)
{
    while (!text.isEmpty() && text.front().unicode() <= 32)
        text = text.sliced(1);
    while (!text.isEmpty() && text.back().unicode() <= 32)
        text.chop(1);
    return text;
}

QChar DecimalPoint(const QLocale &locale)
{
    const QString dp = locale.decimalPoint();
    return dp.isEmpty() ? QLatin1Char('.') : dp.at(0);
}

QDate DateFromSerial(double serial)
{
    // The fraction is the time of day on both sides of the epoch, so the day is the truncated part.
    if (!std::isfinite(serial) || std::fabs(serial) > 1e8)
        return QDate();
    return QDate(1899, 12, 30).addDays(static_cast<qint64>(std::trunc(serial)));
}

double SerialFromDate(const QDate &date)
{
    return static_cast<double>(QDate(1899, 12, 30).daysTo(date));
}

namespace {
// What a cell's text asks of the locale, asked once per thread and locale: the
// system locale answers every question under a lock, and a table has few dates.
struct LocaleAnswers
{
    QLocale locale;
    bool valid = false;
    QChar decimalPoint;
    QHash<qint64, QString> dates;
};

LocaleAnswers &answersFor(const QLocale &locale)
{
    thread_local LocaleAnswers answers;
    if (!answers.valid || answers.locale != locale) {
        answers.locale = locale;
        answers.valid = true;
        answers.decimalPoint = DecimalPoint(locale);
        answers.dates.clear();
    }
    return answers;
}

QString shortDate(const QDate &date, const QLocale &locale)
{
    LocaleAnswers &answers = answersFor(locale);
    const qint64 day = date.isValid() ? date.toJulianDay() : std::numeric_limits<qint64>::min();
    if (const auto known = answers.dates.constFind(day); known != answers.dates.cend())
        return *known;
    if (answers.dates.size() >= 20000)
        answers.dates.clear();
    return *answers.dates.insert(day, locale.toString(date, QLocale::ShortFormat));
}
} // namespace

bool CellText(const CellValue &value, QString &out, const QLocale &locale)
{
    switch (value.kind) {
    case CellValue::Kind::Empty:
        out.clear();
        return true;
    case CellValue::Kind::Text:
        out = value.text;
        return true;
    case CellValue::Kind::Number: {
        out = GeneralNumberText(value.number, answersFor(locale).decimalPoint);
        return true;
    }
    case CellValue::Kind::Date:
        out = shortDate(DateFromSerial(value.number), locale);
        return true;
    case CellValue::Kind::Boolean:
        out = value.number != 0.0 ? QStringLiteral("WAAR") : QStringLiteral("ONWAAR");
        return true;
    case CellValue::Kind::Error:
        out = value.text;
        return false;
    case CellValue::Kind::Other:
        out = value.text;
        return true;
    }
    return false;
}
