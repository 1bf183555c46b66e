// The .xls reader: compound file, BIFF8 records and the workbook made of them.
#include "FuzzCommon.h"
#include "workbook/xls/XlsReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    Attempt([&] {
        const QString name = QStringLiteral("fuzz.xls");
        ReadEverything(*WorkbookFromXls(name, ReadXlsData(bytes, name)));
    });
    return 0;
}
