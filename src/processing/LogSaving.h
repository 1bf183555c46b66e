#pragma once

#include <QString>
#include <QStringList>

// prefix + "_" + name part + "." + extension.
QString composeFileName(const QString &prefix, const QString &namePart, const QString &extension);
// Every line + CR LF in Windows-1252, no byte-order mark, written safely.
bool SaveProcessingLog(const QString &path, const QStringList &lines, QString *error);
