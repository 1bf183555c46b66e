#pragma once

#include <QString>

#include <cstdint>

// What the readers keep of a workbook, so that a run or a look at a sheet
// stays below 300 MB plus 20 times the workbook file's size however the file
// was made: a few kilobytes of deflated XML can stand for gigabytes of cells.
namespace ReadLimits {

constexpr std::uint64_t MiB = 1024 * 1024;

// The spreadsheet application's own limit for the text of one cell.
constexpr qsizetype MaxCellText = 32767;

// What the shared strings, and the cells and texts of one sheet, may each
// keep. Of a workbook one sheet is kept at a time, beside its shared strings.
constexpr std::uint64_t KeptLimit(std::uint64_t fileSize)
{
    return 80 * MiB + 6 * fileSize;
}

} // namespace ReadLimits

// The fault of a cell whose text is longer than MaxCellText.
QString TooLongTextFault();

// The name of a cell as the spreadsheet shows it: "B7".
QString CellName(std::uint32_t row, std::uint32_t column);

// A value as a message shows it: at most 200 characters, then "… (" + its length + " tekens)".
QString ShownValue(const QString &value);
