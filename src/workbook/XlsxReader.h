#pragma once

#include "workbook/Workbook.h"

#include <QString>

#include <memory>
#include <string_view>

// Office Open XML workbooks (.xlsx, .xlsm): the sheet list is read at once,
// shared strings, styles and each sheet when a sheet is first asked for.
std::unique_ptr<Workbook> ReadXlsxWorkbook(const QString &path);

// The _xHHHH_ escapes of OOXML strings ("_x000D_" is a carriage return,
// "_x005F_" an underscore).
QString DecodeXmlEscapes(const QString &text);
