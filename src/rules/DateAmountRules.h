#pragma once

#include "model/CellValue.h"

#include <QDate>
#include <QString>

class Clock;

// Now from the clock as yyyy-mm-ddThh:nn:ss.
QString CreationDateTime(const Clock &clock);
// The calendar date of an automation date as yyyy-mm-dd.
QString DateToISO(double dateValue);
// dd-mm-yyyy (or dd/mm/yyyy) -> yyyy-mm-dd, day and month two digits.
QString ReverseDateText(const QString &text);
// True when the cell holds a usable date (a date cell, or a text d-m-y / d/m/y);
// a year of one or two digits lies in the clock's century.
bool TryDateValue(const CellValue &cell, double &dateValue, const Clock &clock);
// As TryDateValue; on false the error box reports the cell text.
bool CheckDateValue(const CellValue &cell, double &dateValue, const Clock &clock);
// True for a valid dd-mm-yyyy or dd/mm/yyyy text; an empty text is false without a box.
bool CheckDateText(const QString &text);
// The date of a text that CheckDateText accepts; an invalid date otherwise.
QDate DateOfText(const QString &text);
// The date as dd-mm-yyyy.
QString DateText(const QDate &date);
// True on a day the banks collect: not a weekend nor a TARGET2 closing day
// (1 January, Good Friday, Easter Monday, 1 May, 25 and 26 December).
bool IsBankWorkingDay(const QDate &date);
// The n-th bank working day after the date (0: the date itself).
QDate BankWorkingDayAfter(const QDate &date, int n = 1);

// The highest amount SEPA allows, 999,999,999.99 euro, in cents.
constexpr qint64 MaxAmountCents = 99999999999;
// True when the text is an acceptable amount: out is then the normalised amount
// (decimal point, at least two decimals); else out is the message.
bool CheckAmount(QStringView text, QString &out);
// The cents of an amount that CheckAmount normalised ("12.50" -> 1250, ".00" -> 0).
bool AmountTextToCents(const QString &normalised, qint64 &cents);
