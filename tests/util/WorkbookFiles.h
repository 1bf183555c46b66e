#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Workbook files made at test time: raw zip packages for the cases no writer
// produces on purpose, and the minimal .xlsx package around given sheet XML.
struct ZipPart
{
    QByteArray name;
    QByteArray data;
};

// Writes the parts as a deflated zip; false when libzip fails.
bool WriteZip(const QString &path, const QList<ZipPart> &parts);

struct PackageSheet
{
    QString name;
    QByteArray sheetData; // the content of <sheetData>
    QByteArray state;     // "", "hidden", "veryHidden"
};

// The parts of an .xlsx with these sheets (xl/worksheets/sheetN.xml), a shared
// string table of the given <si> items and the styles below.
// Styles: 0 General, 1 built-in date (14), 2 "dd-mm-yyyy", 3 built-in time (20).
QList<ZipPart> PackageParts(const QList<PackageSheet> &sheets, const QByteArray &sharedItems = {},
                            const QByteArray &workbookPr = {});

// Replaces (or, with empty data, removes) the part of that name.
void SetPart(QList<ZipPart> &parts, const QByteArray &name, const QByteArray &data);
