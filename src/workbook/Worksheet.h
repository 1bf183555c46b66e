#pragma once

#include <QString>

class WorkbookService;

// The opened worksheet of a run.
struct TWorksheet
{
    QString WorkbookName;
    QString WorkSheetname;
    bool KolomHeadings = false;
    int TotalNoRows = 0; // row of the last used cell, not a count of data rows
    WorkbookService *ExcelObjectPtr = nullptr;
    bool ExcelAlreadyRunning = false; // declared, never used
};

// Finds the workbook among the open ones by name (last match wins) or opens it
// read-only, activates the last sheet whose name equals sheetName exactly;
// throws KwError when there is none.
bool OpenWorksheet(WorkbookService &service, const QString &workbookName, const QString &sheetName, bool hasHeadings,
                   TWorksheet &ws);
// Closes the active workbook without saving.
bool CloseWorksheet(TWorksheet ws);
