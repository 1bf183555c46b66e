#pragma once

#include "model/CellValue.h"
#include "model/Error.h"
#include "workbook/Workbook.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QLocale>

#include <unistd.h>

// The readers open files by name: each input is written to one file of this
// process, in memory where the system has a folder for it.
inline QString FuzzFile(const char *extension)
{
    const QString folder = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return QStringLiteral("%1/kwintor2-fuzz-%2.%3").arg(folder).arg(getpid()).arg(QLatin1String(extension));
}

inline bool WriteFuzzFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// What a run asks of a workbook: every sheet's cells and the text of each.
inline void ReadEverything(Workbook &book)
{
    static const QLocale dutch(QLocale::Dutch, QLocale::Netherlands);
    for (int i = 0; i < book.sheets().size(); ++i) {
        const SheetCells &cells = book.cells(i);
        cells.forEach([&](int, int, const CellValue &value) {
            QString text;
            CellText(value, text, dutch);
        });
        (void)cells.value(cells.lastRow(), 1);
    }
}

// Reads; a Dutch refusal is an answer, anything else reaches the fuzzer.
template <typename Read> void Attempt(Read &&read)
{
    try {
        read();
    } catch (const KwError &) {
    }
}
