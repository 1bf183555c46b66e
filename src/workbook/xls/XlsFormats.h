#pragma once

#include <QString>
#include <QStringView>

// Whether a number format shows a date. The spreadsheet hands a date cell out
// as a date and a time-only cell as a plain number (a fraction of a day).

// Built-in formats that .xls files refer to by number without storing the code.
bool IsBuiltInDateFormat(int formatId);

// A format code shows a date when it has a day, month or year part outside
// quoted text, escapes and brackets ([Red], [$-413], [h]); "m" beside hours or
// seconds is minutes, so "hh:mm" and "[h]:mm:ss" are no dates.
bool IsDateFormatCode(QStringView code);
