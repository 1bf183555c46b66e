#pragma once

#include "model/CellValue.h"

#include <QList>
#include <QString>

// A whole .xls (BIFF8) workbook as plain data. Dates are already told apart
// from numbers through the cells' formats; rows and columns are 1-based.
struct XlsCell
{
    int row = 0;
    int col = 0;
    CellValue value;
};

struct XlsSheet
{
    QString name;
    bool hidden = false;
    QList<XlsCell> cells;
};

struct XlsBook
{
    QList<XlsSheet> sheets; // in workbook order
};

// Reads the file; throws KwError with a Dutch message naming the file and the fault.
XlsBook ReadXlsFile(const QString &path);
