#pragma once

#include "workbook/xls/XlsReader.h"

#include <QByteArray>
#include <QString>

// The records of a workbook stream, Excel 97 and later (BIFF8).

enum class BiffVersion
{
    None,
    Biff2to4,
    Biff5,
    Biff8
};

// The version its first record (a BOF) gives; None when the data does not start with one.
BiffVersion DetectBiffVersion(const QByteArray &data);

// Reads globals and worksheets; throws KwError naming path when the records are
// damaged or would keep more than a file of fileSize bytes may.
XlsBook ParseBiff8Workbook(const QByteArray &stream, const QString &path, qint64 fileSize);
