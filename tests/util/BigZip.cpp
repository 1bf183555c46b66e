#include "util/BigZip.h"

#include <QFile>
#include <QtEndian>

#include <zlib.h>

namespace {

void put16(QByteArray &out, quint16 v)
{
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void put32(QByteArray &out, quint32 v)
{
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

// Deflates one piece after a full flush: the bytes do not depend on what came
// before, so a repeated piece repeats its compressed bytes.
bool deflatePiece(z_stream &z, const QByteArray &in, int flush, QByteArray &out)
{
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(in.constData()));
    z.avail_in = uInt(in.size());
    char buffer[1 << 16];
    do {
        z.next_out = reinterpret_cast<Bytef *>(buffer);
        z.avail_out = sizeof buffer;
        const int rc = deflate(&z, flush);
        if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR)
            return false;
        out.append(buffer, qsizetype(sizeof buffer - z.avail_out));
    } while (z.avail_out == 0 || z.avail_in > 0);
    return true;
}

struct Packed
{
    QByteArray data;
    quint32 crc = 0;
    qint64 size = 0;
};

bool pack(const BigZipPart &part, Packed &packed)
{
    z_stream z{};
    if (deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    packed.crc = quint32(crc32(0, nullptr, 0));
    bool ok = true;
    for (const ZipPiece &piece : part.pieces) {
        QByteArray once;
        ok = ok && deflatePiece(z, piece.bytes, Z_FULL_FLUSH, once);
        const uLong pieceCrc =
            crc32(0, reinterpret_cast<const Bytef *>(piece.bytes.constData()), uInt(piece.bytes.size()));
        for (qint64 i = 0; ok && i < piece.repeat; ++i) {
            packed.data += once;
            packed.crc = quint32(crc32_combine(packed.crc, pieceCrc, z_off_t(piece.bytes.size())));
            packed.size += piece.bytes.size();
        }
    }
    ok = ok && deflatePiece(z, {}, Z_FINISH, packed.data);
    deflateEnd(&z);
    return ok && packed.size < (qint64(1) << 32) && packed.data.size() < (qint64(1) << 32);
}

} // namespace

BigZipPart SmallPart(const QByteArray &name, const QByteArray &data)
{
    return {name, {{data, 1}}, -1};
}

bool WriteBigZip(const QString &path, const QList<BigZipPart> &parts)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QByteArray directory;
    for (const BigZipPart &part : parts) {
        Packed packed;
        if (!pack(part, packed))
            return false;
        const quint32 size = quint32(part.claimedSize >= 0 ? part.claimedSize : packed.size);
        const quint32 offset = quint32(file.pos());
        QByteArray header;
        put32(header, 0x04034b50);
        put16(header, 20);     // version needed
        put16(header, 0);      // flags
        put16(header, 8);      // deflate
        put16(header, 0);      // time
        put16(header, 0x5821); // 1 January 2024
        put32(header, packed.crc);
        put32(header, quint32(packed.data.size()));
        put32(header, size);
        put16(header, quint16(part.name.size()));
        put16(header, 0);
        header += part.name;
        if (file.write(header) != header.size() || file.write(packed.data) != packed.data.size())
            return false;

        put32(directory, 0x02014b50);
        put16(directory, 20); // made by
        directory += header.mid(4, 26);
        put16(directory, 0); // comment
        put16(directory, 0); // disk
        put16(directory, 0); // internal attributes
        put32(directory, 0); // external attributes
        put32(directory, offset);
        directory += part.name;
    }
    QByteArray end;
    put32(end, 0x06054b50);
    put16(end, 0);
    put16(end, 0);
    put16(end, quint16(parts.size()));
    put16(end, quint16(parts.size()));
    put32(end, quint32(directory.size()));
    put32(end, quint32(file.pos()));
    put16(end, 0);
    return file.write(directory) == directory.size() && file.write(end) == end.size() && file.flush();
}

QByteArray LetterText(qsizetype length, int every)
{
    QByteArray text(length, 'a');
    quint32 state = 12345;
    for (qsizetype i = 0; i < length; i += every) {
        state = state * 1103515245u + 12345u;
        text[i] = char('a' + (state >> 16) % 26);
    }
    return text;
}
