// The .xlsx reader on whole files: zip directory, package structure and XML at once.
#include "FuzzCommon.h"
#include "workbook/XlsxReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = FuzzFile("xlsx");
    if (!WriteFuzzFile(path, QByteArray(reinterpret_cast<const char *>(data), qsizetype(size))))
        return 0;
    Attempt([] { ReadEverything(*ReadXlsxWorkbook(path)); });
    return 0;
}
