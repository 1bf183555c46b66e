#pragma once

#include <QStringView>

// Whether a cell's number format shows its number as a date, for both
// readers. A date cell is handed out as a date; pure time and elapsed-time
// formats are no dates: their numbers stay numbers (fractions of a day).

// Built-in formats that files refer to by number without storing the code.
bool IsBuiltinDateFormat(int numFmtId);

// A format code shows a date when it has a year, day or month part outside
// quoted text, escapes and brackets ([Red], [$-413]). One or two "m" right
// after an hour or right before seconds are minutes, so "hh:mm", "mm:ss" and
// "[h]:mm:ss" are no dates; "mmm hh" and "hh mmm" are.
bool IsDateFormatCode(QStringView code);
