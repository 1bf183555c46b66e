#include "rules/TextRules.h"

#include "model/CellValue.h"
#include "model/Notice.h"

#include <algorithm>
#include <array>
#include <limits>

namespace {

constexpr char SEPACharList[] = "'abcdefghijklmnopqrstuvwxyz"
                                "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                "0123456789/-?:().,+ ";

// The set is ASCII only, so a table over the first 128 codes decides; every
// character of every row passes here.
constexpr std::array<bool, 128> SEPATable = [] {
    std::array<bool, 128> t{};
    for (const char s : SEPACharList) {
        if (s != '\0')
            t[std::size_t(s)] = true;
    }
    return t;
}();

bool isSEPAChar(QChar c)
{
    return c.unicode() < SEPATable.size() && SEPATable[c.unicode()];
}

// The character at i as the user sees it: both halves of a surrogate pair.
QString characterAt(QStringView text, qsizetype i)
{
    if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
        return text.mid(i, 2).toString();
    return text.mid(i, 1).toString();
}

// 1 for A up to 26 for Z, lower case alike; 0 for anything else.
int letterValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'A' && u <= u'Z')
        return u - u'A' + 1;
    if (u >= u'a' && u <= u'z')
        return u - u'a' + 1;
    return 0;
}

} // namespace

const QString SEPAChars = QString::fromLatin1(SEPACharList);

QString TrimBlanks(const QString &text)
{
    const QStringView kept = TrimmedBlanks(text);
    // A text without blanks at its ends stays shared, not copied.
    if (kept.size() == text.size())
        return text;
    return text.mid(kept.data() - text.constData(), kept.size());
}

bool CheckSEPAChars(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (isSEPAChar(text.at(i)))
            continue;
        ShowErrorMessage(QStringLiteral("FOUT in : ") + ShownValue(text.toString()) + QStringLiteral(" .Het teken - ") +
                         characterAt(text, i) +
                         QStringLiteral(" - is niet toegestaan\r"
                                        "Toegestaan zijn : \r"
                                        "'abcdefghijklmnopqrstuvwxyz\r"
                                        "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/-?:().,+ \r"
                                        "en de spatie."));
        return false;
    }
    return true;
}

bool CheckLength(QStringView text, int maximum, QString &message)
{
    message.clear();
    if (TrimmedBlanks(text).size() <= maximum)
        return true;
    message = QStringLiteral("De input : ") + ShownValue(text.toString()) + QStringLiteral(" is te lang. \rMaximaal ") +
              QString::number(maximum) + QStringLiteral(" characters.");
    return false;
}

QString ColumnLetters(int column)
{
    QString letters;
    while (column > 0) {
        const int rest = (column - 1) % 26;
        letters.prepend(QChar(u'A' + rest));
        column = (column - 1) / 26;
    }
    return letters;
}

int ColumnNumber(const QString &letters)
{
    // Texts beyond seven letters do not fit in an int: the result saturates,
    // a column far beyond any sheet rather than a wrapped, plausible one.
    constexpr quint64 limit = std::numeric_limits<int>::max();
    quint64 sum = 0;
    quint64 weight = 1; // capped just above the limit, so it never overflows
    for (qsizetype i = letters.size() - 1; i >= 0; --i) {
        const int value = letterValue(letters.at(i));
        if (value > 0) {
            sum += value * weight;
            if (sum > limit)
                return std::numeric_limits<int>::max();
        }
        weight = std::min(weight * 26, limit + 1);
    }
    return static_cast<int>(sum);
}
