#pragma once

#include <QString>

// An 18-character IBAN with correct check digits; else the error box says why.
bool CheckIBAN(const QString &iban);
// A creditor identifier NLkkZZZ...; warns when characters 5 to 7 are not "ZZZ".
bool CheckZZZCode(const QString &code);
