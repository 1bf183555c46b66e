#pragma once

#include "model/CellValue.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// A whole .xls (BIFF8) workbook as plain data. Dates are already told apart
// from numbers through the cells' formats; rows and columns are 1-based.
struct XlsCell
{
    int row = 0;
    int col = 0;
    CellValue value;
    int sst = -1; // the index of its text among the book's shared strings, -1 for a text of its own
};

struct XlsSheet
{
    QString name;
    bool hidden = false;
    QList<XlsCell> cells; // in the order the file holds them: row by row, empty cells left out
};

struct XlsBook
{
    QList<XlsSheet> sheets;    // worksheets in workbook order; chart sheets are left out
    QStringList sharedStrings; // the texts that cells share; a cell holds a copy that shares their memory
};

// Reads the file; throws KwError with a Dutch message naming the file and the fault.
XlsBook ReadXlsFile(const QString &path);

// The same for bytes already read; path only names the file in messages.
XlsBook ReadXlsData(const QByteArray &data, const QString &path);
