#include "rules/AccountRules.h"

#include "model/Notice.h"

#include <QVarLengthArray>

namespace {

constexpr int Modulus = 97;

// Value of a character in 0..9A..Z (0 to 35), or -1 outside that alphabet.
int alphabetValue(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'A' && u <= u'Z')
        return u - u'A' + 10;
    return -1;
}

// The decimal values of the characters one after the other (N gives 23);
// false at the first character outside the alphabet.
// Checked for every debtor of a run: the digits go into a buffer on the stack.
using Digits = QVarLengthArray<char16_t, 64>;
bool digitString(QStringView text, Digits &digits)
{
    digits.clear();
    for (const QChar c : text) {
        const int value = alphabetValue(c);
        if (value < 0)
            return false;
        if (value >= 10)
            digits.append(char16_t(u'0' + value / 10));
        digits.append(char16_t(u'0' + value % 10));
    }
    return true;
}

// Mod 97 over four pieces of p digits, each prefixed by the previous
// remainder; digits beyond 4p take no part.
int piecewiseRemainder(const Digits &digits, int p)
{
    // A remainder of 0 in front of the first piece reads as the piece alone.
    const QStringView all(digits.constData(), digits.size());
    qint64 remainder = 0;
    for (int k = 0; k < 4; ++k) {
        qint64 number = remainder;
        for (const QChar c : all.mid(static_cast<qsizetype>(k) * p, p))
            number = number * 10 + (c.unicode() - u'0');
        remainder = number % Modulus;
    }
    return static_cast<int>(remainder);
}

bool isAsciiDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

const QString AllowedText =
    QStringLiteral(" bevat foute tekens;\rGeoorloofd zijn 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");

} // namespace

bool CheckIBAN(QStringView iban)
{
    if (iban.size() != 18) {
        ShowErrorMessage(QStringLiteral("IBAN : ") + ShownValue(iban.toString()) +
                         QStringLiteral(" is fout. IBAN moet 18 tekens lang zijn"));
        return false;
    }
    Digits digits;
    Digits front;
    if (!digitString(iban.mid(4), digits) || !digitString(iban.left(4), front)) {
        ShowErrorMessage(QStringLiteral("IBAN nummer : ") + ShownValue(iban.toString()) + AllowedText);
        return false;
    }
    digits.append(front.constData(), front.size());
    if (piecewiseRemainder(digits, 6) == 1)
        return true;
    ShowErrorMessage(QStringLiteral("IBAN nummer : ") + ShownValue(iban.toString()) +
                     QStringLiteral(" is niet correct\rHet controlegetal klopt niet."));
    return false;
}

bool CheckZZZCode(const QString &code)
{
    if (code.mid(4, 3) != QLatin1String("ZZZ")) {
        ShowErrorMessage(QStringLiteral("WAARSCHUWING: Deze code is geen ZZZ-code en kan niet doordit programma worden "
                                        "getest. Verwerking van deze gegevens is wel mogelijk.\r"
                                        "Controleer deze code zorgvuldig"));
    }
    if (!code.startsWith(QLatin1String("NL"))) {
        ShowErrorMessage(QStringLiteral("FOUT: Ook de ZZZ-code dient met NL te beginnen"));
        return false;
    }
    Digits digits;
    if (!digitString(QString(code.mid(7) + QLatin1String("NL00")), digits)) {
        ShowErrorMessage(QStringLiteral("ZZZ-code : ") + ShownValue(code) + AllowedText);
        return false;
    }
    // The check digits must be two plain digits; anything else cannot match.
    const QString check = code.mid(2, 2);
    const bool plain = check.size() == 2 && isAsciiDigit(check.at(0)) && isAsciiDigit(check.at(1));
    if (plain && check.toInt() == 98 - piecewiseRemainder(digits, 7))
        return true;
    ShowErrorMessage(QStringLiteral("ZZZ-code : ") + ShownValue(code) +
                     QStringLiteral(" is niet correct. Controleer de input."));
    return false;
}

bool IsBIC(QStringView text)
{
    if (text.size() != 8 && text.size() != 11)
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int value = alphabetValue(text.at(i));
        // Characters 5 and 6 are the country code: letters only.
        if (value < 0 || ((i == 4 || i == 5) && value < 10))
            return false;
    }
    return true;
}
