#pragma once

#include "model/CellValue.h"

#include <QString>
#include <QStringList>

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

    // Opens the file read-only; it becomes the active workbook.
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

    // Row number of the last row of the active sheet that holds a value (0 when none).
    int lastRow() const;
    // The value of cell (row, column) of the active sheet, both 1-based.
    CellValue readCell(int row, int column) const;

    // Closes the active workbook without saving; the previous one becomes active.
    void closeActiveWorkbook();
    // Releases every open workbook.
    void quit();

private:
    struct Private;
    std::unique_ptr<Private> d;
};

// The worksheet names of the active workbook, in workbook order.
void ListWorksheetNames(const WorkbookService &service, QStringList &list);
