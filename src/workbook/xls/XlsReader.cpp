#include "workbook/xls/XlsReader.h"

#include "workbook/xls/Biff8.h"
#include "workbook/xls/CompoundFile.h"
#include "workbook/xls/XlsErrors.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr qint64 MaxFileSize = qint64(1) << 30;

// Web pages and text exports are often saved with an .xls name.
bool LooksLikeText(const QByteArray &data)
{
    QByteArrayView head = QByteArrayView(data).first(qMin<qsizetype>(data.size(), 512));
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF"))
        return true; // "Unicode text" as Excel saves it
    if (head.startsWith("\xEF\xBB\xBF"))
        head = head.sliced(3);
    const QByteArrayView trimmed = head.trimmed();
    if (trimmed.startsWith('<'))
        return true;
    for (char c : head) {
        const uchar b = uchar(c);
        if (b < 0x09 || (b > 0x0D && b < 0x20))
            return false;
    }
    return !trimmed.isEmpty();
}

[[noreturn]] void RejectForeign(const QByteArray &data, const QString &path)
{
    if (data.startsWith("PK\x03\x04"))
        XlsErrors::xlsxInDisguise(path);
    if (DetectBiffVersion(data) == BiffVersion::Biff2to4)
        XlsErrors::oldFormat(path, QStringLiteral("Excel 2/3/4"));
    if (LooksLikeText(data))
        XlsErrors::textInDisguise(path);
    XlsErrors::notXls(path);
}

} // namespace

XlsBook ReadXlsData(const QByteArray &data, const QString &path)
{
    if (data.isEmpty())
        XlsErrors::emptyFile(path);
    if (!CompoundFile::hasSignature(data))
        RejectForeign(data, path);

    const CompoundFile container(data, path);
    QByteArray stream;
    if (container.hasStream(QStringLiteral("Workbook")))
        stream = container.stream(QStringLiteral("Workbook"));
    else if (container.hasStream(QStringLiteral("Book")))
        stream = container.stream(QStringLiteral("Book")); // Excel 5/95, or a writer that kept the old name
    else if (container.hasStream(QStringLiteral("EncryptedPackage")))
        XlsErrors::encrypted(path); // a password-protected .xlsx keeps its zip inside a container like this
    else
        XlsErrors::noWorkbookStream(path);

    switch (DetectBiffVersion(stream)) {
    case BiffVersion::Biff8:
        break;
    case BiffVersion::Biff5:
    case BiffVersion::Biff2to4:
        XlsErrors::oldFormat(path, QStringLiteral("Excel 5/95"));
    case BiffVersion::None:
        XlsErrors::damaged(path, QStringLiteral("de werkboekgegevens beginnen niet met een werkboekkop"));
    }
    return ParseBiff8Workbook(stream, path, data.size());
}

XlsBook ReadXlsFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        XlsErrors::missing(path);
    if (!info.isFile())
        XlsErrors::notAFile(path); // a pipe would keep the open waiting
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        XlsErrors::unreadable(path);
    if (file.size() > MaxFileSize)
        XlsErrors::tooLarge(path);
    const QByteArray data = file.readAll();
    if (file.error() != QFileDevice::NoError)
        XlsErrors::unreadable(path);
    return ReadXlsData(data, path);
}
