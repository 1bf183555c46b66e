#pragma once

#include <string_view>

// Whether a cell's number format shows its number as a date. Pure time and
// elapsed-time formats are not dates: their numbers stay numbers.
bool IsBuiltinDateFormat(int numFmtId);
bool IsDateFormatCode(std::string_view code);
