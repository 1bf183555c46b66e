#pragma once

#include <QList>
#include <QString>
#include <QVariant>

// Writes small .xlsx workbooks at test time with libxlsxwriter, a writer other
// than our reader. A QVariant cell is a QString (text), an int or double
// (number), a QDate (date cell, dd-mm-yyyy format), a bool, or invalid (no cell).
using SheetRows = QList<QVariantList>;

struct XlsxSheet
{
    QString name;
    SheetRows rows;
};

bool WriteXlsx(const QString &path, const QList<XlsxSheet> &sheets);
