#include "batch/Inspect.h"

#include "rules/TextRules.h"
#include "workbook/WorkbookService.h"
#include "workbook/Worksheet.h"

#include <QTextStream>

namespace {

// One cell a line: line breaks and tabs inside a text are shown escaped.
QString oneLine(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return text;
}

} // namespace

QString CellTypeName(CellValue::Kind kind)
{
    switch (kind) {
    case CellValue::Kind::Text:
        return QStringLiteral("tekst");
    case CellValue::Kind::Number:
        return QStringLiteral("getal");
    case CellValue::Kind::Date:
        return QStringLiteral("datum");
    case CellValue::Kind::Boolean:
        return QStringLiteral("waarheid");
    case CellValue::Kind::Error:
        return QStringLiteral("fout");
    case CellValue::Kind::Empty:
    case CellValue::Kind::Other:
        break;
    }
    return QStringLiteral("anders");
}

void ListWorksheets(WorkbookService &service, const QString &workbook, QTextStream &out)
{
    service.openWorkbook(workbook);
    QStringList names;
    ListWorksheetNames(service, names);
    service.closeActiveWorkbook();
    for (const QString &name : names)
        out << name << '\n';
}

void ShowWorksheet(WorkbookService &service, const QString &workbook, const QString &sheet, QTextStream &out)
{
    const TWorksheet ws(service, workbook, sheet, false);
    out << ws.TotalNoRows << '\n';
    ws.forEachCell([&out](int row, int column, const CellValue &value) {
        QString text;
        if (!CellText(value, text))
            text = value.isFormulaWithoutValue() ? QStringLiteral("formule zonder waarde") : value.text;
        out << ColumnLetters(column) << row << '\t' << CellTypeName(value.kind) << '\t' << oneLine(text) << '\n';
    });
}
