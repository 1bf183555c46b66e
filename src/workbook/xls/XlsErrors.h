#pragma once

#include <QString>

// The Dutch messages of the .xls reader. Every one names the file and tells a
// user who is not a programmer what to do about it; a technical detail, where
// there is one, stands between brackets for whoever helps them.
namespace XlsErrors {

QString displayPath(const QString &path);

[[noreturn]] void missing(const QString &path);
[[noreturn]] void unreadable(const QString &path);
[[noreturn]] void notAFile(const QString &path);
[[noreturn]] void emptyFile(const QString &path);
[[noreturn]] void tooLarge(const QString &path);
[[noreturn]] void notXls(const QString &path);
[[noreturn]] void xlsxInDisguise(const QString &path);
[[noreturn]] void textInDisguise(const QString &path);
[[noreturn]] void noWorkbookStream(const QString &path);
[[noreturn]] void oldFormat(const QString &path, const QString &version);
[[noreturn]] void encrypted(const QString &path);
[[noreturn]] void truncated(const QString &path);
[[noreturn]] void damaged(const QString &path, const QString &fault);
[[noreturn]] void tooMuchData(const QString &path, quint64 limitMB);

} // namespace XlsErrors
