#pragma once

#include <QByteArray>
#include <QString>

// Writes the bytes to a temporary file in the same folder and renames it over
// path only when every byte reached the disk, so a full disk or a crash never
// leaves a truncated file. (QSaveFile reports success after a short write.)
// False with a Dutch message in *error when the file could not be written.
bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *error = nullptr);
