#pragma once

#include <QString>

// The character message, for the text and the offending character it names.
inline QString sepaCharsMessage(const QString &text, const QString &bad)
{
    return QStringLiteral("FOUT in : ") + text + QStringLiteral(" .Het teken - ") + bad +
           QStringLiteral(" - is niet toegestaan\rToegestaan zijn : \r'abcdefghijklmnopqrstuvwxyz\r"
                          "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/-?:().,+ \ren de spatie.");
}

inline QString zzzWarning()
{
    return QStringLiteral("WAARSCHUWING: Deze code is geen ZZZ-code en kan niet doordit programma worden getest. "
                          "Verwerking van deze gegevens is wel mogelijk.\rControleer deze code zorgvuldig");
}
