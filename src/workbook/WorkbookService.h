#pragma once

#include "model/CellValue.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// Stands in for the spreadsheet application: workbooks are opened read-only
// from their files, a parsed workbook is kept so that a run reads each file
// once. Every failure throws KwError with a Dutch message naming the file.
class WorkbookService
{
public:
    WorkbookService();
    ~WorkbookService();
    WorkbookService(const WorkbookService &) = delete;
    WorkbookService &operator=(const WorkbookService &) = delete;

    // Always succeeds: there is no application to attach to or start.
    bool attach();
    // Closes every open workbook, as a fresh application would have none;
    // workbooks read before stay cached.
    void startAnew();

    // Opens the file read-only; it becomes the active workbook. A workbook
    // that is already open is only activated.
    void openWorkbook(const QString &path);
    // Open workbooks, 1-based; a name is the file name without its folder.
    int workbookCount() const;
    QString workbookName(int index) const;
    void activateWorkbook(int index);

    // Worksheets of the active workbook, in workbook order (hidden ones too).
    QStringList worksheetNames() const;
    // Makes worksheet index (1-based) the active sheet.
    void activateSheet(int index);
    QString activeSheetName() const;

    // Row number of the last row of the active sheet that holds a value; a
    // formatted empty cell does not count. 1 for an empty sheet, whose last
    // cell is A1 as in the spreadsheet application.
    int lastRow() const;
    // The value of cell (row, column) of the active sheet, both 1-based.
    CellValue readCell(int row, int column) const;
    // Every cell of the active sheet that holds a value, row by row.
    void forEachCell(const std::function<void(int row, int column, const CellValue &value)> &visit) const;

    // Closes the active workbook without saving; the last opened of the others becomes active.
    void closeActiveWorkbook();
    // Releases every open workbook and the cache.
    void quit();

    // How many sheets were parsed so far (a cached sheet is not parsed again).
    int sheetReads() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// The worksheet names of the active workbook, in workbook order.
void ListWorksheetNames(const WorkbookService &service, QStringList &list);

// The text of a cell of the active sheet; no column (below 1) reads as an empty
// cell, an error cell as its code, which no check lets through.
QString CellTextAt(const WorkbookService &service, int row, int column, const QLocale &locale);
