#include "processing/LogSaving.h"

#include "model/IniFile.h"
#include "model/SafeFile.h"

QString composeFileName(const QString &prefix, const QString &namePart, const QString &extension)
{
    return prefix + QLatin1Char('_') + namePart + QLatin1Char('.') + extension;
}

bool SaveProcessingLog(const QString &path, const QStringList &lines, QString *error)
{
    QByteArray bytes;
    for (const QString &line : lines) {
        bytes += EncodeWindows1252(line);
        bytes += "\r\n";
    }
    return WriteFileAtomically(path, bytes, error);
}
