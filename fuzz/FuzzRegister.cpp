// The register's reader: what a run loads and what --register lists.
#include "FuzzCommon.h"
#include "model/Register.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = FuzzFile("csv");
    if (!WriteFuzzFile(path, QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size))))
        return 0;
    const CollectionRegister reg(path);
    Attempt([&] {
        const RegisterIndex index = reg.index(QDate(2024, 5, 10));
        TMandateHistory history;
        (void)index.find(QStringLiteral("M-1"), history);
    });
    Attempt([&] { (void)reg.files(); });
    return 0;
}
