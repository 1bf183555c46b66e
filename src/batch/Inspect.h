#pragma once

#include "model/CellValue.h"

#include <QString>

class QTextStream;
class WorkbookService;

// The inspection commands of kwintor2-batch. They throw KwError when the
// workbook or sheet cannot be read.

// The worksheet names, one a line, in workbook order.
void ListWorksheets(WorkbookService &service, const QString &workbook, QTextStream &out);

// The last row number, then every cell with a value as REF<TAB>TYPE<TAB>TEXT.
void ShowWorksheet(WorkbookService &service, const QString &workbook, const QString &sheet, QTextStream &out);

// "tekst", "getal", "datum", "waarheid", "fout" or "anders".
QString CellTypeName(CellValue::Kind kind);
