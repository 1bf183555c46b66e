#include "workbook/Worksheet.h"

#include "model/Error.h"
#include "workbook/Workbook.h"

#include <algorithm>

TWorksheet::Sheet TWorksheet::open(WorkbookService &service, const QString &workbookName, const QString &sheetName)
{
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

    const int sheet = int(service.worksheetNames().lastIndexOf(sheetName)) + 1;
    if (sheet == 0)
        throw KwError(QStringLiteral("Het werkblad \"%1\" bestaat niet in werkboek %2.")
                          .arg(sheetName, DisplayPath(workbookName)));
    // Read now, so that a damaged sheet is reported when it is opened.
    return service.activeSheet(sheet);
}

TWorksheet::TWorksheet(WorkbookService &service, const QString &workbookName, const QString &sheetName,
                       bool hasHeadings)
    : TWorksheet(service, workbookName, sheetName, hasHeadings, open(service, workbookName, sheetName))
{}

TWorksheet::TWorksheet(WorkbookService &service, const QString &workbookName, const QString &sheetName,
                       bool hasHeadings, Sheet sheet)
    : WorkbookName(workbookName), WorkSheetname(sheetName), KolomHeadings(hasHeadings),
      TotalNoRows(std::max(sheet.cells->lastRow(), 1)), m_service(service), m_sheet(std::move(sheet))
{}

TWorksheet::~TWorksheet()
{
    m_service.closeWorkbook(m_sheet.workbook);
}

CellValue TWorksheet::readCell(int row, int column) const
{
    if (row < 1 || column < 1)
        throw KwError(QStringLiteral("Cel (%1, %2) bestaat niet: rij en kolom tellen vanaf 1.").arg(row).arg(column));
    return m_sheet.cells->value(row, column);
}

QString TWorksheet::cellText(int row, int column, const QLocale &locale) const
{
    if (column < 1)
        return QString();
    QStringView view;
    if (m_sheet.cells->textView(row, column, view))
        return view.toString();
    QString text;
    CellText(readCell(row, column), text, locale);
    return text;
}

bool TWorksheet::cellText(int row, int column, const QLocale &locale, QString &held, QStringView &text) const
{
    if (column < 1) {
        held.clear();
        text = held;
        return true;
    }
    if (row >= 1 && m_sheet.cells->textView(row, column, text))
        return true;
    const bool readable = CellText(readCell(row, column), held, locale);
    text = held;
    return readable;
}

bool TWorksheet::cellTextIs(int row, int column, QStringView text, const QLocale &locale) const
{
    QStringView cell;
    if (column >= 1 && m_sheet.cells->textView(row, column, cell))
        return TrimmedBlanks(cell) == text;
    const QString shown = cellText(row, column, locale);
    return TrimmedBlanks(shown) == text;
}

void TWorksheet::forEachCell(const std::function<void(int, int, const CellValue &)> &visit) const
{
    m_sheet.cells->forEach(visit);
}
