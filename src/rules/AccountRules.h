#pragma once

#include <QString>
#include <QStringView>

// An 18-character IBAN with correct check digits; else the error box says why.
bool CheckIBAN(QStringView iban);
// A creditor identifier NLkkZZZ...; warns when characters 5 to 7 are not "ZZZ".
bool CheckZZZCode(const QString &code);
// A BIC as the banks take it: four letters or digits, two letters, two letters
// or digits, optionally three more letters or digits; upper case, 8 or 11 characters.
bool IsBIC(QStringView text);
