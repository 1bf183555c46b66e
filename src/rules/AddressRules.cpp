#include "rules/AddressRules.h"

namespace {

// Read for every row of a run, twice: a plain scan, no regular expressions.
bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

bool isLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
}

QChar upper(QChar c)
{
    return c.unicode() >= u'a' ? QChar(char16_t(c.unicode() - (u'a' - u'A'))) : c;
}

QStringView trimmed(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin).unicode() <= 32)
        ++begin;
    while (end > begin && text.at(end - 1).unicode() <= 32)
        --end;
    return text.sliced(begin, end - begin);
}

// Four digits (the first not 0), an optional blank, two letters, one or more
// blanks and the town: postcode "1234 AB" and the town (when address is given), or false.
bool readPostcodeAndTown(QStringView text, TPostalAddress *address)
{
    if (text.size() < 8 || text.at(0).unicode() < u'1' || text.at(0).unicode() > u'9' || !isDigit(text.at(1)) ||
        !isDigit(text.at(2)) || !isDigit(text.at(3)))
        return false;
    qsizetype i = 4;
    if (text.at(i) == u' ')
        ++i;
    if (i + 3 > text.size() || !isLetter(text.at(i)) || !isLetter(text.at(i + 1)) || text.at(i + 2) != u' ')
        return false;
    const QChar letters[2] = {upper(text.at(i)), upper(text.at(i + 1))};
    i += 2;
    while (i < text.size() && text.at(i) == u' ')
        ++i;
    if (i == text.size())
        return false;
    if (address) {
        address->PstCd.reserve(7);
        address->PstCd.append(text.first(4)).append(u' ').append(letters, 2);
        address->TwnNm = text.sliced(i).toString();
        address->Ctry = QStringLiteral("NL");
    }
    return true;
}

// The part of line 1 after its last comma; empty without a comma.
QStringView afterLastComma(QStringView line1)
{
    const qsizetype comma = line1.lastIndexOf(u',');
    return comma < 0 ? QStringView() : trimmed(line1.sliced(comma + 1));
}

// "Dorpsstraat 12" -> "Dorpsstraat" and "12": split at the last blank that a
// digit follows, when what follows fits a house number; else all street.
void readStreet(QStringView line, TPostalAddress &address)
{
    for (qsizetype i = line.size() - 2; i > 0; --i) {
        if (line.at(i) != u' ' || !isDigit(line.at(i + 1)))
            continue;
        const QStringView number = line.sliced(i + 1);
        if (number.size() > 16)
            break;
        address.StrtNm = trimmed(line.first(i)).toString();
        address.BldgNb = number.toString();
        return;
    }
    address.StrtNm = line.toString();
}

} // namespace

TPostalAddress ReadPostalAddress(QStringView line1, QStringView line2)
{
    line1 = trimmed(line1);
    line2 = trimmed(line2);
    TPostalAddress address;
    QStringView street;
    if (readPostcodeAndTown(line2, &address)) {
        street = line1;
    } else if (readPostcodeAndTown(line1, &address)) {
        street = line2;
    } else if (readPostcodeAndTown(afterLastComma(line1), &address)) {
        street = trimmed(line1.first(line1.lastIndexOf(u',')));
    } else {
        return {};
    }
    if (!street.isEmpty())
        readStreet(street, address);
    return address;
}

bool HasPostcodeAndTown(QStringView line1, QStringView line2)
{
    line1 = trimmed(line1);
    return readPostcodeAndTown(trimmed(line2), nullptr) || readPostcodeAndTown(line1, nullptr) ||
           readPostcodeAndTown(afterLastComma(line1), nullptr);
}
