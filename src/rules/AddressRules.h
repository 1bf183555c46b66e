#pragma once

#include <QString>
#include <QStringView>

// A debtor's postal address in the parts the banks want; every part may be empty.
struct TPostalAddress
{
    QString StrtNm;
    QString BldgNb;
    QString PstCd;
    QString TwnNm;
    QString Ctry;

    bool isEmpty() const
    {
        return StrtNm.isEmpty() && BldgNb.isEmpty() && PstCd.isEmpty() && TwnNm.isEmpty() && Ctry.isEmpty();
    }
    bool operator==(const TPostalAddress &) const = default;
};

// Reads a Dutch address from the two address texts of a row (trimmed): the
// first of line 2, line 1 and the part of line 1 after its last comma that
// reads as "1234 AB Town" gives postcode, town and country NL; the other line
// (or the part before that comma) gives street and house number. No readable
// postcode and town: an empty address.
TPostalAddress ReadPostalAddress(QStringView line1, QStringView line2);
// True when ReadPostalAddress finds postcode and town; nothing is copied.
bool HasPostcodeAndTown(QStringView line1, QStringView line2);
