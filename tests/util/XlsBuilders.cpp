#include "util/XlsBuilders.h"

#include <QtEndian>

#include <cstring>

namespace {

constexpr quint32 EndOfChain = 0xFFFFFFFE;
constexpr quint32 FreeSector = 0xFFFFFFFF;
constexpr quint32 FatSector = 0xFFFFFFFD;
constexpr quint32 DifatSector = 0xFFFFFFFC;

void put16(QByteArray &b, qsizetype at, quint16 v)
{
    qToLittleEndian(v, b.data() + at);
}

void put32(QByteArray &b, qsizetype at, quint32 v)
{
    qToLittleEndian(v, b.data() + at);
}

QByteArray directoryEntry(const QString &name, quint8 type, quint32 right, quint32 child, quint32 start, quint64 size)
{
    QByteArray e(128, '\0');
    for (qsizetype i = 0; i < name.size(); ++i)
        put16(e, 2 * i, name.at(i).unicode());
    put16(e, 0x40, quint16(2 * name.size() + 2));
    e[0x42] = char(type);
    e[0x43] = 1; // black
    put32(e, 0x44, FreeSector);
    put32(e, 0x48, right);
    put32(e, 0x4C, child);
    put32(e, 0x74, start);
    qToLittleEndian(size, e.data() + 0x78);
    return e;
}

} // namespace

QByteArray BuildCompoundFile(const QList<CfbStream> &streams, int sectorShift,
                             const std::function<void(CfbLayout &)> &damage)
{
    const int ss = 1 << sectorShift;
    const int perSector = ss / 4;
    QList<QByteArray> padded;
    qsizetype streamSectors = 0;
    for (const CfbStream &s : streams) {
        QByteArray d = s.data;
        const qsizetype size = qMax<qsizetype>(4096, (d.size() + ss - 1) / ss * ss);
        d.append(QByteArray(size - d.size(), '\0'));
        streamSectors += size / ss;
        padded.append(d);
    }
    const qsizetype dirSectors = ((streams.size() + 1) * 128 + ss - 1) / ss;
    qsizetype fatSectors = 1;
    qsizetype difatSectors = 0;
    for (;;) {
        const qsizetype total = streamSectors + dirSectors + fatSectors + difatSectors;
        if (fatSectors * perSector >= total)
            break;
        ++fatSectors;
        difatSectors = fatSectors > 109 ? (fatSectors - 109 + perSector - 2) / (perSector - 1) : 0;
    }

    CfbLayout layout;
    layout.fat.fill(FreeSector, fatSectors * perSector);
    quint32 next = 0;
    auto chain = [&](qsizetype count) {
        const quint32 start = next;
        for (qsizetype i = 0; i < count; ++i, ++next)
            layout.fat[next] = i + 1 < count ? next + 1 : EndOfChain;
        return start;
    };
    for (const QByteArray &d : std::as_const(padded))
        layout.streamStarts.append(chain(d.size() / ss));
    layout.directoryStart = chain(dirSectors);
    const quint32 firstFat = next;
    for (qsizetype i = 0; i < fatSectors; ++i)
        layout.fat[next++] = FatSector;
    const quint32 firstDifat = next;
    for (qsizetype i = 0; i < difatSectors; ++i)
        layout.fat[next++] = DifatSector;

    layout.directory =
        directoryEntry(QStringLiteral("Root Entry"), 5, FreeSector, streams.isEmpty() ? FreeSector : 1, EndOfChain, 0);
    for (qsizetype i = 0; i < streams.size(); ++i) {
        const quint32 right = i + 1 < streams.size() ? quint32(i + 2) : FreeSector;
        // A stream under 4096 bytes would belong in the mini stream: it is given its padded size instead.
        const qsizetype size = streams[i].data.size() < 4096 ? padded[i].size() : streams[i].data.size();
        layout.directory +=
            directoryEntry(streams[i].name, 2, right, FreeSector, layout.streamStarts[i], quint64(size));
    }
    layout.directory.append(QByteArray(dirSectors * ss - layout.directory.size(), '\0'));

    if (damage)
        damage(layout);

    QByteArray header(sectorShift == 12 ? 4096 : 512, '\0');
    std::memcpy(header.data(), "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    put16(header, 0x18, 0x3E);
    put16(header, 0x1A, sectorShift == 12 ? 4 : 3);
    put16(header, 0x1C, 0xFFFE);
    put16(header, 0x1E, quint16(sectorShift));
    put16(header, 0x20, 6);
    put32(header, 0x28, sectorShift == 12 ? quint32(dirSectors) : 0);
    put32(header, 0x2C, quint32(fatSectors));
    put32(header, 0x30, layout.directoryStart);
    put32(header, 0x38, 4096);
    put32(header, 0x3C, EndOfChain);
    put32(header, 0x44, difatSectors ? firstDifat : EndOfChain);
    put32(header, 0x48, quint32(difatSectors));
    for (int i = 0; i < 109; ++i)
        put32(header, 0x4C + 4 * i, i < fatSectors ? firstFat + i : FreeSector);

    QByteArray out = header;
    for (const QByteArray &d : std::as_const(padded))
        out += d;
    out += layout.directory;
    for (quint32 entry : std::as_const(layout.fat))
        out += Biff::u32(entry);
    // DIFAT sectors: the FAT sectors after the first 109, then the next DIFAT sector.
    qsizetype listed = 109;
    for (qsizetype i = 0; i < difatSectors; ++i) {
        QByteArray sector(ss, '\xFF');
        for (int j = 0; j < perSector - 1 && listed < fatSectors; ++j, ++listed)
            put32(sector, 4 * j, firstFat + quint32(listed));
        put32(sector, ss - 4, i + 1 < difatSectors ? firstDifat + quint32(i) + 1 : EndOfChain);
        out += sector;
    }
    return out;
}

namespace Biff {

QByteArray u16(quint16 v)
{
    QByteArray b(2, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray u32(quint32 v)
{
    QByteArray b(4, '\0');
    qToLittleEndian(v, b.data());
    return b;
}

QByteArray f64(double v)
{
    quint64 bits;
    std::memcpy(&bits, &v, sizeof bits);
    QByteArray b(8, '\0');
    qToLittleEndian(bits, b.data());
    return b;
}

QByteArray record(quint16 type, const QByteArray &body)
{
    return u16(type) + u16(quint16(body.size())) + body;
}

QByteArray bof(quint16 kind, quint16 version)
{
    return record(0x0809, u16(version) + u16(kind) + u16(0x0DBB) + u16(0x07CC) + u32(0) + u32(6));
}

QByteArray eof()
{
    return record(0x000A, {});
}

QByteArray cell(quint16 row, quint16 col, quint16 xf)
{
    return u16(row) + u16(col) + u16(xf);
}

QByteArray formula(quint16 row, quint16 col, const QByteArray &result)
{
    // Options, chn, then the formula "=1" (tInt 1).
    return record(0x0006, cell(row, col) + result + u16(0) + u32(0) + u16(3) + QByteArray("\x1E\x01\x00", 3));
}

QByteArray workbook(const QByteArray &globals, const QList<Sheet> &sheets)
{
    QByteArray head = bof(0x0005) + globals;
    QList<qsizetype> patch;
    for (const Sheet &s : sheets) {
        patch.append(head.size() + 4);
        head += record(0x0085, u32(0) + QByteArray(1, '\0') + QByteArray(1, char(s.type)) +
                                   QByteArray(1, char(s.name.size())) + QByteArray(1, '\0') + s.name.toLatin1());
    }
    head += eof();
    for (qsizetype i = 0; i < sheets.size(); ++i) {
        put32(head, patch[i], quint32(head.size()));
        head += bof(sheets[i].bofKind) + sheets[i].records + eof();
    }
    return head;
}

} // namespace Biff
