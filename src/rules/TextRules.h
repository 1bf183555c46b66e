#pragma once

#include <QString>
#include <QStringView>

// The 73 characters of the SEPA basic Latin set, in this order.
extern const QString SEPAChars;

// Removes leading and trailing characters of code 32 (space) or lower; TrimmedBlanks
// (with the cell values) does the same to a view.
QString TrimBlanks(const QString &text);

// True when every character is in the SEPA set; else the error box names the first offender.
bool CheckSEPAChars(QStringView text);
// True when the trimmed text is not longer than maximum; else message holds why.
bool CheckLength(QStringView text, int maximum, QString &message);
// The last column of a worksheet, XFD.
constexpr int MaxSheetColumn = 16384;

// 1 -> "A", 27 -> "AA"; 0 or less -> "".
QString ColumnLetters(int column);
// "A" -> 1, "aa" -> 27; other characters count 0 but keep their place.
int ColumnNumber(const QString &letters);
