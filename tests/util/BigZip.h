#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Zip packages whose parts inflate to hundreds of megabytes, written in a
// moment: each piece is deflated once and its compressed bytes repeated.
struct ZipPiece
{
    QByteArray bytes;
    qint64 repeat = 1;
};

struct BigZipPart
{
    QByteArray name;
    QList<ZipPiece> pieces;
    qint64 claimedSize = -1; // the inflated size the headers give; -1: the true one
};

// A part of one piece.
BigZipPart SmallPart(const QByteArray &name, const QByteArray &data);

// False when the file cannot be written or a part would reach 4 GB.
bool WriteBigZip(const QString &path, const QList<BigZipPart> &parts);

// Letters "a" with another letter every so many: every 256 deflates about
// 120 times, 1024 about 290 times, 2048 about 450 times.
QByteArray LetterText(qsizetype length, int every);
