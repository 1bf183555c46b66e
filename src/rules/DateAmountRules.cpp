#include "rules/DateAmountRules.h"

#include "model/Clock.h"
#include "model/Notice.h"

#include <QDate>
#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

// One or more ASCII digits, nothing else. Large values saturate: no date
// piece needs more than a few digits, and a long one is simply invalid.
bool wholeNumber(QStringView text, int &value)
{
    if (text.isEmpty())
        return false;
    value = 0;
    for (const QChar c : text) {
        if (!isAsciiDigit(c))
            return false;
        if (value < 100000)
            value = value * 10 + (c.unicode() - u'0');
    }
    return true;
}

// Fixed-width decimal with leading zeros, independent of the locale.
QString padded(int value, int width)
{
    return QString::number(value).rightJustified(width, QLatin1Char('0'));
}

QString isoDate(const QDate &date)
{
    // Every collection of a file has one: written digit by digit.
    const int year = date.year();
    if (year < 0 || year > 9999)
        return padded(year, 4) + QLatin1Char('-') + padded(date.month(), 2) + QLatin1Char('-') + padded(date.day(), 2);
    const auto digit = [](int v) { return QChar(char16_t(u'0' + v)); };
    const int month = date.month();
    const int day = date.day();
    const QChar text[10] = {digit(year / 1000), digit(year / 100 % 10), digit(year / 10 % 10), digit(year % 10),
                            QLatin1Char('-'),   digit(month / 10),      digit(month % 10),     QLatin1Char('-'),
                            digit(day / 10),    digit(day % 10)};
    return QString(text, 10);
}

// Calendar validity with the proleptic Gregorian leap rule, years 1 to 9999.
bool validDate(int day, int month, int year)
{
    return year >= 1 && year <= 9999 && QDate::isValid(year, month, day);
}

// The separator of a date text: the hyphen when present anywhere, else the slash.
QChar dateSeparator(const QString &text)
{
    if (text.contains(QLatin1Char('-')))
        return QLatin1Char('-');
    if (text.contains(QLatin1Char('/')))
        return QLatin1Char('/');
    return {};
}

// A date piece as an ISO field: plain digits lose their leading zeros and get
// the fixed width; anything else stays as it is.
QString isoPiece(const QString &piece, int width)
{
    if (piece.isEmpty() || !std::all_of(piece.begin(), piece.end(), isAsciiDigit))
        return piece;
    qsizetype zeros = 0;
    while (zeros < piece.size() - 1 && piece.at(zeros) == QLatin1Char('0'))
        ++zeros;
    return piece.mid(zeros).rightJustified(width, QLatin1Char('0'));
}

// Easter Sunday of the Gregorian calendar (the anonymous algorithm).
QDate easterSunday(int year)
{
    const int a = year % 19;
    const int b = year / 100;
    const int c = year % 100;
    const int d = b / 4;
    const int e = b % 4;
    const int f = (b + 8) / 25;
    const int g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4;
    const int k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int month = (h + l - 7 * m + 114) / 31;
    const int day = (h + l - 7 * m + 114) % 31 + 1;
    return QDate(year, month, day);
}

} // namespace

QString CreationDateTime(const Clock &clock)
{
    const QDateTime now = clock.now();
    const QTime time = now.time();
    return isoDate(now.date()) + QLatin1Char('T') + padded(time.hour(), 2) + QLatin1Char(':') +
           padded(time.minute(), 2) + QLatin1Char(':') + padded(time.second(), 2);
}

QString DateToISO(double dateValue)
{
    // Far outside the calendar (or not a number) there is no date to write.
    if (!std::isfinite(dateValue) || std::fabs(dateValue) > 1e8)
        return {};
    const QDate date = DateFromSerial(dateValue);
    return date.isValid() && date.year() >= 1 && date.year() <= 9999 ? isoDate(date) : QString();
}

QString ReverseDateText(const QString &text)
{
    if (text.isEmpty())
        return {};
    const QChar separator = dateSeparator(text);
    QStringList pieces = separator.isNull() ? QStringList{text} : text.split(separator);
    pieces.resize(3); // a missing piece is empty, a fourth one is dropped
    return isoPiece(pieces.at(2), 4) + QLatin1Char('-') + isoPiece(pieces.at(1), 2) + QLatin1Char('-') +
           isoPiece(pieces.at(0), 2);
}

bool TryDateValue(const CellValue &cell, double &dateValue, const Clock &clock)
{
    if (cell.kind == CellValue::Kind::Date) {
        dateValue = cell.number;
        return true;
    }
    if (cell.kind != CellValue::Kind::Text)
        return false;

    const QString &text = cell.text;
    const QChar separator = dateSeparator(text);
    if (separator.isNull() || text.count(separator) != 2)
        return false;
    const QStringList pieces = text.split(separator);
    int day = 0;
    int month = 0;
    int year = 0;
    if (!wholeNumber(pieces.at(0), day) || !wholeNumber(pieces.at(1), month) || !wholeNumber(pieces.at(2), year))
        return false;
    const qsizetype yearDigits = pieces.at(2).size();
    if (!validDate(day, month, yearDigits == 2 ? 2000 + year : year))
        return false;

    // A year of one or two digits lies in the century of today.
    if (yearDigits <= 2)
        year += clock.now().date().year() / 100 * 100;
    if (!validDate(day, month, year))
        return false;
    dateValue = SerialFromDate(QDate(year, month, day));
    return true;
}

bool CheckDateValue(const CellValue &cell, double &dateValue, const Clock &clock)
{
    if (TryDateValue(cell, dateValue, clock))
        return true;
    QString text;
    CellText(cell, text); // an error cell still gives its code
    ShowErrorMessage(QStringLiteral("De datuminput : ") + ShownValue(text) + QStringLiteral(" is geen valide datum."));
    return false;
}

QDate DateOfText(const QString &text)
{
    QChar separator;
    if (text.count(QLatin1Char('-')) == 2)
        separator = QLatin1Char('-');
    else if (text.count(QLatin1Char('/')) == 2)
        separator = QLatin1Char('/');
    if (separator.isNull())
        return {};
    const QStringList pieces = text.split(separator);
    int day = 0;
    int month = 0;
    int year = 0;
    if (wholeNumber(pieces.at(0), day) && wholeNumber(pieces.at(1), month) && wholeNumber(pieces.at(2), year) &&
        validDate(day, month, year))
        return QDate(year, month, day);
    return {};
}

QString DateText(const QDate &date)
{
    return padded(date.day(), 2) + QLatin1Char('-') + padded(date.month(), 2) + QLatin1Char('-') +
           padded(date.year(), 4);
}

bool IsBankWorkingDay(const QDate &date)
{
    if (date.dayOfWeek() >= 6)
        return false;
    const int month = date.month();
    const int day = date.day();
    if ((month == 1 && day == 1) || (month == 5 && day == 1) || (month == 12 && (day == 25 || day == 26)))
        return false;
    const QDate easter = easterSunday(date.year());
    return date != easter.addDays(-2) && date != easter.addDays(1);
}

QDate BankWorkingDayAfter(const QDate &date, int n)
{
    QDate day = date;
    for (int found = 0; found < n && day.isValid();) {
        day = day.addDays(1);
        if (IsBankWorkingDay(day))
            ++found;
    }
    return day;
}

bool CheckDateText(const QString &text)
{
    if (text.isEmpty())
        return false;
    if (DateOfText(text).isValid())
        return true;
    ShowErrorMessage(QStringLiteral("De datum ") + ShownValue(text) +
                     QStringLiteral(" is niet correct.\rGeef als input een valide datum in het format dd-mm-yyyy"));
    return false;
}

bool CheckAmount(QStringView text, QString &out)
{
    int separators = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('.') || c == QLatin1Char(',')) {
            ++separators;
            continue;
        }
        if (isAsciiDigit(c))
            continue;
        // Both halves of a surrogate pair, so the message names a whole character.
        const qsizetype length = c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate() ? 2 : 1;
        out = QStringLiteral("FOUT: het teken - ") + text.mid(i, length) + QStringLiteral(" - in ") +
              ShownValue(text.toString()) + QStringLiteral(" is niet toegestaan");
        return false;
    }
    if (separators > 1) {
        out = QStringLiteral("FOUT: het bedrag - ") + ShownValue(text.toString()) +
              QStringLiteral(" - heeft meer dan 1 decimaalteken");
        return false;
    }

    QString amount = text.toString();
    amount.replace(QLatin1Char(','), QLatin1Char('.'));
    const qsizetype point = amount.indexOf(QLatin1Char('.'));
    if (point < 0) {
        out = amount + QStringLiteral(".00");
        return true;
    }
    const qsizetype decimals = amount.size() - point - 1;
    if (decimals > 2) {
        out = QStringLiteral("FOUT: het bedrag - ") + ShownValue(text.toString()) +
              QStringLiteral(" - heeft meer dan 2 decimalen");
        return false;
    }
    out = amount + QString(2 - decimals, QLatin1Char('0'));
    return true;
}

bool AmountTextToCents(const QString &normalised, qint64 &cents)
{
    const qsizetype point = normalised.size() - 3;
    if (point < 0 || normalised.at(point) != QLatin1Char('.'))
        return false;
    qint64 value = 0;
    for (qsizetype i = 0; i < normalised.size(); ++i) {
        if (i == point)
            continue;
        const QChar c = normalised.at(i);
        if (!isAsciiDigit(c))
            return false;
        const int digit = c.unicode() - u'0';
        if (value > (std::numeric_limits<qint64>::max() - digit) / 10)
            return false;
        value = value * 10 + digit;
    }
    cents = value;
    return true;
}
