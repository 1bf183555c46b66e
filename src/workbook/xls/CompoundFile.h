#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The compound-file container of an .xls file: a small FAT file system of
// 512- or 4096-byte sectors holding named streams. Read-only, and only the
// streams directly below the root: an embedded object keeps its own
// "Workbook" stream in a storage of its own, which must not be taken.
//
// Every chain is walked with a visited mark per sector, so a damaged file ends
// in KwError, never in a loop; no size is believed beyond the file's own.
class CompoundFile final
{
public:
    // Parses header, FAT and directory; throws KwError naming path when damaged.
    CompoundFile(QByteArray data, QString path);

    static bool hasSignature(const QByteArray &data);

    // Name comparison ignores case, as the container's own does.
    bool hasStream(const QString &name) const;
    // The stream's bytes; throws KwError when its chain is damaged. Empty when absent.
    QByteArray stream(const QString &name) const;

private:
    struct Entry
    {
        QString name;
        quint8 type = 0;
        quint32 left = 0;
        quint32 right = 0;
        quint32 child = 0;
        quint32 start = 0;
        quint64 size = 0;
    };

    void readFat();
    void readDirectory();
    void readMiniStream() const;
    const Entry *findStream(const QString &name) const;
    QByteArray readChain(quint32 start, qint64 size) const;
    [[noreturn]] void damaged(const QString &fault) const;

    QByteArray m_data;
    QString m_path;
    int m_sectorSize = 512;
    bool m_version4 = false;
    quint32 m_miniCutoff = 4096;
    quint32 m_firstDirSector = 0;
    quint32 m_firstMiniFatSector = 0;
    QList<quint32> m_fat;
    QList<Entry> m_entries;
    QList<int> m_topLevel; // entries directly below the root

    // The mini stream is only read when a small stream is asked for.
    mutable bool m_miniLoaded = false;
    mutable QList<quint32> m_miniFat;
    mutable QByteArray m_miniStream;
};
