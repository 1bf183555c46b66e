#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// An INI file as the original Windows platform reads and writes it: sections
// and keys match without regard to case, the first of two equal keys counts,
// values are read with blanks at both ends removed. Lines that are not
// touched keep their place and text; new keys go to the end of their section.
class IniFile
{
public:
    // Reads UTF-8, or Windows-1252 when the bytes are not valid UTF-8; CRLF and LF.
    static IniFile fromBytes(const QByteArray &bytes);
    // UTF-8 with LF line ends.
    QByteArray toBytes() const;

    bool contains(const QString &section, const QString &key) const;
    QString value(const QString &section, const QString &key, const QString &fallback = QString()) const;
    void setValue(const QString &section, const QString &key, const QString &value);

private:
    struct Line
    {
        QString text;
        QString section; // the section this line belongs to ("" before the first)
        QString key;     // trimmed key name; empty for other lines
        bool isSection = false;
    };
    int findKey(const QString &section, const QString &key) const;
    int lastLineOfSection(const QString &section) const;

    QList<Line> m_lines;
};

// The 8-bit code page of files written by Windows versions of the program.
QString DecodeWindows1252(const QByteArray &bytes);
// Characters outside the code page become "?".
QByteArray EncodeWindows1252(const QString &text);
