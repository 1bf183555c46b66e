#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// Crafted .xls files for the cases no writer at hand produces: other sector
// sizes, extra DIFAT sectors, damaged chains, unusual records.

struct CfbStream
{
    QString name;
    QByteArray data;
};

// What a test may damage before the container is written out.
struct CfbLayout
{
    QList<quint32> fat;
    QList<quint32> streamStarts; // first sector of each stream, in the order given
    quint32 directoryStart = 0;
    QByteArray directory; // 128 bytes an entry: the root, then the streams
};

// A compound file with the streams directly below the root, each in regular
// sectors (padded to 4096 bytes, so no mini stream is needed).
QByteArray BuildCompoundFile(const QList<CfbStream> &streams, int sectorShift = 9,
                             const std::function<void(CfbLayout &)> &damage = {});

namespace Biff {

QByteArray u16(quint16 v);
QByteArray u32(quint32 v);
QByteArray f64(double v);
QByteArray record(quint16 type, const QByteArray &body);
QByteArray bof(quint16 kind, quint16 version = 0x0600); // 0x0005 globals, 0x0010 worksheet, 0x0020 chart
QByteArray eof();
// A cell's row, column (both 0-based) and format index.
QByteArray cell(quint16 row, quint16 col, quint16 xf = 15);
// A FORMULA record with the 8 result bytes given and a one-token formula.
QByteArray formula(quint16 row, quint16 col, const QByteArray &result);

struct Sheet
{
    QString name;
    QByteArray records; // between its BOF and EOF
    quint8 type = 0;    // BOUNDSHEET type: 0 worksheet, 2 chart
    quint16 bofKind = 0x0010;
};

// A workbook stream: globals (between BOF and the sheet list), the sheet list, then the sheets.
QByteArray workbook(const QByteArray &globals, const QList<Sheet> &sheets);

} // namespace Biff
