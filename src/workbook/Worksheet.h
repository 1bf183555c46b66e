#pragma once

#include "model/CellValue.h"
#include "workbook/WorkbookService.h"

#include <QLocale>
#include <QString>

#include <functional>

// An opened worksheet. Making one finds the workbook among the open ones by
// name (the last match) or opens it read-only, and takes the last sheet
// whose name equals sheetName exactly; it reads the cells of that sheet, and
// closes its own workbook without saving when it goes, also when an error
// ends the work in between. Throws KwError when the workbook or sheet cannot
// be opened or read (a workbook opened before the sheet failed stays open,
// as in the spreadsheet application).
class TWorksheet final
{
public:
    TWorksheet(WorkbookService &service, const QString &workbookName, const QString &sheetName, bool hasHeadings);
    ~TWorksheet();
    TWorksheet(const TWorksheet &) = delete;
    TWorksheet &operator=(const TWorksheet &) = delete;

    const QString WorkbookName;
    const QString WorkSheetname;
    const bool KolomHeadings;
    // Row of the last cell that holds a value, not a count of data rows; a
    // formatted empty cell does not count. 1 for an empty sheet, whose last
    // cell is A1 as in the spreadsheet application.
    const int TotalNoRows;

    // The value of cell (row, column), both 1-based.
    CellValue readCell(int row, int column) const;
    // The cell's text; no column (below 1) reads as an empty cell, an error
    // cell as its code, which no check lets through.
    QString cellText(int row, int column, const QLocale &locale) const;
    // The same text without a copy where it can: a text cell's in place, any
    // other's made in held. False where CellText is (an error cell).
    bool cellText(int row, int column, const QLocale &locale, QString &held, QStringView &text) const;
    // Whether the cell's text with the blanks at its ends cut equals text. Reads
    // a text cell in place: the file builder asks it of every row, for each code.
    bool cellTextIs(int row, int column, QStringView text, const QLocale &locale) const;
    // Every cell that holds a value, row by row.
    void forEachCell(const std::function<void(int row, int column, const CellValue &value)> &visit) const;

private:
    using Sheet = WorkbookService::ActiveSheet;
    static Sheet open(WorkbookService &service, const QString &workbookName, const QString &sheetName);
    TWorksheet(WorkbookService &service, const QString &workbookName, const QString &sheetName, bool hasHeadings,
               Sheet sheet);

    WorkbookService &m_service;
    const Sheet m_sheet; // its book keeps the cells while the handle lives
};
