#include "workbook/Worksheet.h"

#include "model/Error.h"
#include "workbook/Workbook.h"
#include "workbook/WorkbookService.h"

bool OpenWorksheet(WorkbookService &service, const QString &workbookName, const QString &sheetName, bool hasHeadings,
                   TWorksheet &ws)
{
    ws.WorkbookName = workbookName;
    ws.WorkSheetname = sheetName;

    int match = 0;
    for (int i = 1; i <= service.workbookCount(); ++i) {
        if (service.workbookName(i) == workbookName)
            match = i;
    }
    // Open workbooks are named without their folder, so a full path opens the file.
    if (match > 0)
        service.activateWorkbook(match);
    else
        service.openWorkbook(workbookName);

    const QStringList sheets = service.worksheetNames();
    const int sheet = int(sheets.lastIndexOf(sheetName)) + 1;
    if (sheet == 0)
        throw KwError(QStringLiteral("Het werkblad \"%1\" bestaat niet in werkboek %2.")
                          .arg(sheetName, DisplayPath(workbookName)));
    service.activateSheet(sheet);

    ws.ExcelObjectPtr = &service;
    ws.TotalNoRows = service.lastRow();
    ws.KolomHeadings = hasHeadings;
    return true;
}

bool CloseWorksheet(TWorksheet ws)
{
    if (!ws.ExcelObjectPtr)
        throw KwError(QStringLiteral("Er is geen werkblad geopend om te sluiten."));
    ws.ExcelObjectPtr->closeActiveWorkbook();
    return true;
}
