#include "model/CellValue.h"

#include <QDate>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

QString GeneralNumberText(double value, QChar decimalPoint)
{
    if (value == 0.0 || !std::isfinite(value))
        return value == 0.0 ? QStringLiteral("0") : QString::number(value);

    // Fifteen significant digits, then lay them out by hand so the switch to
    // exponent notation follows the spreadsheet's general form, not printf's.
    // to_chars gives the same digits as "%.14e", many times faster; every amount passes here.
    char buf[64];
    const auto written = std::to_chars(buf, buf + sizeof buf - 1, value, std::chars_format::scientific, 14);
    *written.ptr = '\0';
    const char *e = std::strchr(buf, 'e');
    const int exponent = std::atoi(e + 1);
    QString digits;
    for (const char *p = buf; p < e; ++p) {
        if (*p >= '0' && *p <= '9')
            digits += QLatin1Char(*p);
    }
    while (digits.size() > 1 && digits.endsWith(QLatin1Char('0')))
        digits.chop(1);
    const QString sign = value < 0 ? QStringLiteral("-") : QString();

    if (exponent < -5 || exponent >= 15) {
        QString mantissa = digits.left(1);
        if (digits.size() > 1)
            mantissa += decimalPoint + digits.mid(1);
        const QString exp = QString::number(std::abs(exponent)).rightJustified(2, QLatin1Char('0'));
        const QChar expSign = exponent < 0 ? QLatin1Char('-') : QLatin1Char('+');
        return sign + mantissa + QLatin1Char('E') + expSign + exp;
    }
    QString intPart;
    QString fracPart;
    if (exponent < 0) {
        intPart = QStringLiteral("0");
        fracPart = QString(-exponent - 1, QLatin1Char('0')) + digits;
    } else if (digits.size() <= exponent + 1) {
        intPart = digits + QString(exponent + 1 - digits.size(), QLatin1Char('0'));
    } else {
        intPart = digits.left(exponent + 1);
        fracPart = digits.mid(exponent + 1);
    }
    if (fracPart.isEmpty())
        return sign + intPart;
    return sign + intPart + decimalPoint + fracPart;
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
        out = GeneralNumberText(value.number, DecimalPoint(locale));
        return true;
    }
    case CellValue::Kind::Date:
        out = locale.toString(DateFromSerial(value.number), QLocale::ShortFormat);
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
