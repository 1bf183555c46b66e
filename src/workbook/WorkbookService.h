#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class SheetCells;
class Workbook;

// Stands in for the spreadsheet application: workbooks are opened read-only
// from their files, a parsed workbook is kept so that a run reads each file
// once. The cells of a sheet are read through a TWorksheet. Every failure
// throws KwError with a Dutch message naming the file.
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

    // Closes the active workbook without saving; the last opened of the others becomes active.
    void closeActiveWorkbook();
    // Releases every open workbook and the cache.
    void quit();

    // How many sheets were parsed so far (a cached sheet is not parsed again).
    int sheetReads() const;

private:
    // A sheet reads its cells itself and closes its own workbook.
    friend class TWorksheet;
    struct ActiveSheet
    {
        std::shared_ptr<Workbook> book; // keeps the cells while a sheet uses them
        const SheetCells *cells = nullptr;
        quint64 workbook = 0; // the open workbook it belongs to
    };
    // Sheet index (1-based) of the active workbook, read now when not yet read.
    ActiveSheet activeSheet(int index);
    // Closes that workbook when it is still open; the last opened of the others becomes active.
    void closeWorkbook(quint64 workbook) noexcept;

    struct Private;
    std::unique_ptr<Private> d;
};

// The worksheet names of the active workbook, in workbook order.
void ListWorksheetNames(const WorkbookService &service, QStringList &list);
