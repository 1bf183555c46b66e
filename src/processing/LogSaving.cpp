#include "processing/LogSaving.h"

#include "model/IniFile.h"
#include "model/SafeFile.h"

QString composeFileName(const QString &prefix, const QString &namePart, const QString &extension)
{
    return prefix + QLatin1Char('_') + namePart + QLatin1Char('.') + extension;
}

bool SaveProcessingLog(const QString &path, const QStringList &lines, QString *error)
{
    // One byte a character: the whole log in one buffer, written in one go.
    qsizetype size = 0;
    for (const QString &line : lines)
        size += line.size() + 2;
    QByteArray bytes;
    bytes.reserve(size);
    for (const QString &line : lines) {
        bytes += EncodeWindows1252(line);
        bytes += "\r\n";
    }
    return WriteFileAtomically(path, bytes, error);
}
