#include "workbook/xls/CompoundFile.h"

#include "workbook/xls/XlsErrors.h"

#include <QtEndian>

#include <vector>

namespace {

constexpr quint32 MaxRegularSector = 0xFFFFFFFA;
constexpr quint32 EndOfChain = 0xFFFFFFFE;
constexpr quint32 NoStream = 0xFFFFFFFF;
constexpr int HeaderSize = 512;
constexpr int EntrySize = 128;
constexpr int MiniSectorSize = 64;
constexpr int HeaderDifatEntries = 109;

enum EntryType : quint8
{
    Unused = 0,
    Storage = 1,
    Stream = 2,
    Root = 5
};

const char Signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

quint16 u16(const char *p)
{
    return qFromLittleEndian<quint16>(p);
}

quint32 u32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

quint64 u64(const char *p)
{
    return qFromLittleEndian<quint64>(p);
}

} // namespace

bool CompoundFile::hasSignature(const QByteArray &data)
{
    return data.startsWith(QByteArrayView(Signature, 8));
}

CompoundFile::CompoundFile(QByteArray data, QString path) : m_data(std::move(data)), m_path(std::move(path))
{
    if (m_data.size() < HeaderSize)
        XlsErrors::truncated(m_path);
    const char *h = m_data.constData();
    if (!hasSignature(m_data))
        XlsErrors::notXls(m_path);
    if (u16(h + 0x1C) != 0xFFFE)
        damaged(QStringLiteral("onbekende bytevolgorde in de kop"));
    const quint16 sectorShift = u16(h + 0x1E);
    if (sectorShift != 9 && sectorShift != 12)
        damaged(QStringLiteral("onbekende sectorgrootte in de kop"));
    if (u16(h + 0x20) != 6)
        damaged(QStringLiteral("onbekende grootte van de kleine sectoren"));
    m_sectorSize = 1 << sectorShift;
    m_version4 = sectorShift == 12;
    m_firstDirSector = u32(h + 0x30);
    m_miniCutoff = u32(h + 0x38);
    m_firstMiniFatSector = u32(h + 0x3C);
    readFat();
    readDirectory();
}

void CompoundFile::damaged(const QString &fault) const
{
    XlsErrors::damaged(m_path, fault);
}

void CompoundFile::readFat()
{
    const char *h = m_data.constData();
    const qint64 sectorsInFile = m_data.size() / m_sectorSize; // the header counts as one
    const quint32 fatSectorCount = u32(h + 0x2C);
    if (fatSectorCount == 0 || fatSectorCount > (1u << 22))
        damaged(QStringLiteral("ongeldige toewijzingstabel in de kop"));
    if (fatSectorCount > sectorsInFile)
        XlsErrors::truncated(m_path); // the header of a larger whole

    // Where the FAT sectors lie: 109 in the header, the rest in a chain of DIFAT sectors.
    QList<quint32> fatSectors;
    fatSectors.reserve(fatSectorCount);
    for (int i = 0; i < HeaderDifatEntries && quint32(fatSectors.size()) < fatSectorCount; ++i)
        fatSectors.append(u32(h + 0x4C + 4 * i));
    quint32 difat = u32(h + 0x44);
    const quint32 difatCount = u32(h + 0x48);
    const int perDifatSector = m_sectorSize / 4 - 1;
    std::vector<bool> seen(sectorsInFile);
    for (quint32 n = 0; quint32(fatSectors.size()) < fatSectorCount; ++n) {
        if (n >= difatCount || difat > MaxRegularSector)
            damaged(QStringLiteral("de lijst van toewijzingssectoren is te kort"));
        if (difat >= seen.size())
            XlsErrors::truncated(m_path);
        if (seen[difat])
            damaged(QStringLiteral("de lijst van toewijzingssectoren loopt in een kring"));
        seen[difat] = true;
        const qint64 offset = (qint64(difat) + 1) * m_sectorSize;
        if (offset + m_sectorSize > m_data.size())
            XlsErrors::truncated(m_path);
        const char *p = m_data.constData() + offset;
        for (int i = 0; i < perDifatSector && quint32(fatSectors.size()) < fatSectorCount; ++i)
            fatSectors.append(u32(p + 4 * i));
        difat = u32(p + 4 * perDifatSector);
    }

    const int perSector = m_sectorSize / 4;
    const qint64 covered = qint64(fatSectorCount) * perSector; // sectors the FAT can describe
    m_fat.reserve(covered);
    for (quint32 s : std::as_const(fatSectors)) {
        if (s > MaxRegularSector)
            damaged(QStringLiteral("een toewijzingssector ontbreekt"));
        const qint64 offset = (qint64(s) + 1) * m_sectorSize;
        if (offset + m_sectorSize > m_data.size()) {
            if (s < covered)
                XlsErrors::truncated(m_path);
            damaged(QStringLiteral("een toewijzingssector ligt buiten het bestand"));
        }
        const char *p = m_data.constData() + offset;
        for (int i = 0; i < perSector; ++i)
            m_fat.append(u32(p + 4 * i));
    }
}

QByteArray CompoundFile::readChain(quint32 start, qint64 size) const
{
    // size < 0: the whole chain (the directory, whose length only the chain tells).
    QByteArray out;
    if (size == 0)
        return out;
    if (size > m_data.size())
        damaged(QStringLiteral("een stroom is groter dan het bestand"));
    if (size > 0)
        out.reserve(size);
    std::vector<bool> seen(m_fat.size());
    quint32 s = start;
    while (size < 0 || out.size() < size) {
        if (s == EndOfChain && size < 0)
            break;
        if (s > MaxRegularSector)
            damaged(QStringLiteral("een sectorketen breekt te vroeg af"));
        if (s >= quint32(m_fat.size()))
            damaged(QStringLiteral("een sectorketen wijst buiten de toewijzingstabel"));
        if (seen[s])
            damaged(QStringLiteral("een sectorketen loopt in een kring"));
        seen[s] = true;
        const qint64 offset = (qint64(s) + 1) * m_sectorSize;
        const qint64 take = size < 0 ? m_sectorSize : qMin<qint64>(m_sectorSize, size - out.size());
        if (offset + take > m_data.size())
            XlsErrors::truncated(m_path); // the FAT knows the sector, the file has lost it
        out.append(m_data.constData() + offset, take);
        s = m_fat[s];
    }
    return out;
}

void CompoundFile::readDirectory()
{
    const QByteArray dir = readChain(m_firstDirSector, -1);
    const qsizetype count = dir.size() / EntrySize;
    if (count == 0)
        damaged(QStringLiteral("de inhoudsopgave ontbreekt"));
    m_entries.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const char *e = dir.constData() + i * EntrySize;
        Entry entry;
        const int nameBytes = u16(e + 0x40);
        const int chars = qBound(0, nameBytes / 2 - 1, 31);
        entry.name.reserve(chars);
        for (int c = 0; c < chars; ++c)
            entry.name.append(QChar(u16(e + 2 * c)));
        entry.type = quint8(e[0x42]);
        entry.left = u32(e + 0x44);
        entry.right = u32(e + 0x48);
        entry.child = u32(e + 0x4C);
        entry.start = u32(e + 0x74);
        // Version 3 files may leave garbage in the high half of the size.
        entry.size = m_version4 ? u64(e + 0x78) : u32(e + 0x78);
        m_entries.append(entry);
    }
    if (m_entries.first().type != Root)
        damaged(QStringLiteral("de hoofdmap ontbreekt in de inhoudsopgave"));

    // The children of a storage form a tree through left and right siblings.
    std::vector<bool> seen(m_entries.size());
    QList<quint32> pending{m_entries.first().child};
    while (!pending.isEmpty()) {
        const quint32 id = pending.takeLast();
        if (id == NoStream)
            continue;
        if (id >= quint32(m_entries.size()) || id == 0)
            damaged(QStringLiteral("de inhoudsopgave verwijst naar een niet bestaand onderdeel"));
        if (seen[id])
            damaged(QStringLiteral("de inhoudsopgave loopt in een kring"));
        seen[id] = true;
        m_topLevel.append(int(id));
        pending.append(m_entries[id].left);
        pending.append(m_entries[id].right);
    }
}

const CompoundFile::Entry *CompoundFile::findStream(const QString &name) const
{
    for (int id : m_topLevel) {
        const Entry &e = m_entries[id];
        if (e.type == Stream && e.name.compare(name, Qt::CaseInsensitive) == 0)
            return &e;
    }
    return nullptr;
}

bool CompoundFile::hasStream(const QString &name) const
{
    return findStream(name) != nullptr;
}

void CompoundFile::readMiniStream() const
{
    if (m_miniLoaded)
        return;
    const Entry &root = m_entries.first();
    m_miniStream = readChain(root.start, qint64(root.size));
    const QByteArray table = readChain(m_firstMiniFatSector, -1);
    m_miniFat.reserve(table.size() / 4);
    for (qsizetype i = 0; i + 4 <= table.size(); i += 4)
        m_miniFat.append(u32(table.constData() + i));
    m_miniLoaded = true;
}

QByteArray CompoundFile::stream(const QString &name) const
{
    const Entry *e = findStream(name);
    if (!e)
        return {};
    if (e->size > quint64(m_data.size()))
        damaged(QStringLiteral("de stroom '%1' is groter dan het bestand").arg(name));
    const qint64 size = qint64(e->size);
    if (size >= m_miniCutoff)
        return readChain(e->start, size);

    // Small streams live in 64-byte pieces of the mini stream.
    readMiniStream();
    QByteArray out;
    out.reserve(size);
    std::vector<bool> seen(m_miniFat.size());
    quint32 s = e->start;
    while (out.size() < size) {
        if (s >= quint32(m_miniFat.size()))
            damaged(QStringLiteral("een keten van kleine sectoren breekt te vroeg af"));
        if (seen[s])
            damaged(QStringLiteral("een keten van kleine sectoren loopt in een kring"));
        seen[s] = true;
        const qint64 offset = qint64(s) * MiniSectorSize;
        const qint64 take = qMin<qint64>(MiniSectorSize, size - out.size());
        if (offset + take > m_miniStream.size())
            damaged(QStringLiteral("een kleine sector ligt buiten de kleine-sectorstroom"));
        out.append(m_miniStream.constData() + offset, take);
        s = m_miniFat[s];
    }
    return out;
}
