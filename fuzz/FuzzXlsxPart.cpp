// The .xlsx reader with one part replaced inside a valid package, so that the
// XML of each part is reached without the zip layer in the way. The first
// byte chooses the part (in the package's order), the rest is its content.
#include "FuzzCommon.h"
#include "workbook/XlsxReader.h"

#include <vector>
#include <zip.h>

namespace {

struct Part
{
    std::string name;
    QByteArray data;
};

std::vector<Part> readPackage(const char *path)
{
    std::vector<Part> parts;
    int error = 0;
    zip_t *zip = zip_open(path, ZIP_RDONLY, &error);
    if (!zip)
        abort();
    for (zip_int64_t i = 0; i < zip_get_num_entries(zip, 0); ++i) {
        zip_stat_t st;
        zip_file_t *file = zip_fopen_index(zip, zip_uint64_t(i), 0);
        if (zip_stat_index(zip, zip_uint64_t(i), 0, &st) != 0 || !file)
            abort();
        QByteArray data(qsizetype(st.size), '\0');
        if (zip_fread(file, data.data(), st.size) != zip_int64_t(st.size))
            abort();
        zip_fclose(file);
        parts.push_back({st.name, data});
    }
    zip_discard(zip);
    return parts;
}

// Stored, not deflated: the reader inflates it all the same, and the fuzzer runs faster.
bool writePackage(const QString &path, const std::vector<Part> &parts, std::size_t replaced, const QByteArray &data)
{
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        return false;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const QByteArray &bytes = i == replaced ? data : parts[i].data;
        zip_source_t *source = zip_source_buffer(zip, bytes.constData(), zip_uint64_t(bytes.size()), 0);
        const zip_int64_t index = source ? zip_file_add(zip, parts[i].name.c_str(), source, 0) : -1;
        if (index < 0 || zip_set_file_compression(zip, zip_uint64_t(index), ZIP_CM_STORE, 0) < 0) {
            zip_source_free(source);
            zip_discard(zip);
            return false;
        }
    }
    return zip_close(zip) == 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const std::vector<Part> base = readPackage(KW_FUZZ_PACKAGE);
    static const QString path = FuzzFile("xlsx");
    if (size == 0)
        return 0;
    const QByteArray part = QByteArray::fromRawData(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    if (!writePackage(path, base, data[0] % base.size(), part))
        return 0;
    Attempt([] { ReadEverything(*ReadXlsxWorkbook(path)); });
    return 0;
}
