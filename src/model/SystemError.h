#pragma once

#include <QString>

// A system error (errno) as a message shows it: the common ones named in
// Dutch, with the system's own English text after it in parentheses ("de
// schijf is vol (No space left on device)"); any other as "systeemfout",
// its number and the English text.
QString SystemErrorText(int err);
