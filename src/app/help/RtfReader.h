#pragma once

#include <QByteArray>
#include <QString>

class QTextDocument;

// A small reader for the rich text that word processors save (LibreOffice Writer, WordPad, Word):
// paragraphs and line breaks, bold, italic, underline, font sizes, colours, alignment and indents,
// code-page and Unicode escapes. Font and colour tables are read; style sheets, document info,
// pictures, headers, footers and every other destination are skipped. Qt itself reads no RTF.
//
// Malformed input never fails the reader: unbalanced braces, a cut-off file, absurd parameters and
// deep nesting give whatever text could be read.

// Replaces the content of doc with the rich text. False, with doc left as it was, when the data does
// not start as RTF ("{\rtf") or doc is null; error then holds a Dutch message.
bool ParseRtf(const QByteArray &rtf, QTextDocument *doc, QString *error = nullptr);

// Reads the file at path and parses it into doc. False, with doc left as it was, when the file cannot
// be opened or read, is unreasonably large, or is no RTF; error then names the file.
bool LoadRtfInto(QTextDocument *doc, const QString &path, QString *error = nullptr);
