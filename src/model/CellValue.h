#pragma once

#include <QLocale>
#include <QString>

// The value of one cell as the spreadsheet delivers it. A date is an
// automation date: days since 30 December 1899, the fraction the time of day.
struct CellValue
{
    enum class Kind
    {
        Empty,
        Number,
        Text,
        Date,
        Boolean,
        Error,
        Other
    };

    Kind kind = Kind::Empty;
    double number = 0.0; // Number, Date, Boolean (0 or 1)
    QString text;        // Text; Error: the error code ("#N/A"); empty for a formula without cached result

    static CellValue empty() { return {}; }
    static CellValue fromNumber(double v) { return {Kind::Number, v, {}}; }
    static CellValue fromText(QString s) { return {Kind::Text, 0.0, std::move(s)}; }
    static CellValue fromDate(double serial) { return {Kind::Date, serial, {}}; }
    static CellValue fromBool(bool b) { return {Kind::Boolean, b ? 1.0 : 0.0, {}}; }
    static CellValue fromError(QString code) { return {Kind::Error, 0.0, std::move(code)}; }
    // A formula saved without its result by a program that does not calculate.
    static CellValue formulaWithoutValue() { return {Kind::Error, 0.0, {}}; }

    bool isEmpty() const { return kind == Kind::Empty; }
    bool isFormulaWithoutValue() const { return kind == Kind::Error && text.isEmpty(); }
    bool operator==(const CellValue &) const = default;
};

// A number in the general decimal form: at most 15 significant digits, no
// thousands separator, fixed notation from 0.00001 up to below 10^15, the
// given decimal separator.
QString GeneralNumberText(double value, QChar decimalPoint = QLatin1Char('.'));
// The locale's decimal separator as one character ("." where it has none).
QChar DecimalPoint(const QLocale &locale = QLocale());

// The text a cell shows: text unchanged, a number in the general form with the
// locale's decimal separator, a date as the locale's short date, a truth value
// as "WAAR"/"ONWAAR", empty as the empty text. An error cell cannot be
// delivered as text: false, with its code (or empty) in out.
bool CellText(const CellValue &value, QString &out, const QLocale &locale = QLocale());
// Without the blanks and control characters at its ends, as the checks cut a cell's text.
QStringView TrimmedBlanks(QStringView text);

// Automation date serial <-> calendar date (time of day dropped).
class QDate;
QDate DateFromSerial(double serial);
double SerialFromDate(const QDate &date);
