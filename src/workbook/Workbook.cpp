#include "workbook/Workbook.h"

#include "model/Error.h"
#include "workbook/XlsxReader.h"
#include "workbook/xls/XlsReader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// .xls files: the whole book is read at once by the BIFF reader.
class XlsWorkbook final : public Workbook
{
public:
    XlsWorkbook(const QString &path, const XlsBook &book) : Workbook(path)
    {
        // Cells that share a text refer to it: one text may fill a whole sheet.
        auto shared = std::make_shared<StringPool>();
        for (const QString &text : book.sharedStrings)
            shared->add(text);
        shared->squeeze();
        for (const XlsSheet &sheet : book.sheets) {
            m_sheets.append({sheet.name, sheet.hidden});
            auto cells = std::make_unique<SheetCells>(shared);
            cells->reserve(std::size_t(sheet.cells.size()));
            for (const XlsCell &cell : sheet.cells) {
                if (cell.row < 1 || cell.col < 1 || cell.col > 0xFFFF)
                    continue;
                if (cell.sst >= 0 && cell.sst < book.sharedStrings.size() && cell.value.kind == CellValue::Kind::Text)
                    cells->addString(std::uint32_t(cell.row), std::uint16_t(cell.col), SheetCells::Kind::SharedText,
                                     std::uint32_t(cell.sst));
                else
                    cells->addValue(std::uint32_t(cell.row), std::uint16_t(cell.col), cell.value);
            }
            cells->finish();
            m_loaded.push_back(std::move(cells));
        }
    }

protected:
    std::unique_ptr<SheetCells> readSheet(int index) override { return std::move(m_loaded[std::size_t(index)]); }

private:
    std::vector<std::unique_ptr<SheetCells>> m_loaded;
};

} // namespace

std::unique_ptr<Workbook> WorkbookFromXls(const QString &path, const XlsBook &book)
{
    return std::make_unique<XlsWorkbook>(path, book);
}

QString DisplayPath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

void throwNotAWorkbook(const QString &path)
{
    throw KwError(QStringLiteral("Het bestand: ") + DisplayPath(path) + QStringLiteral("  is geen werkboek"));
}

const SheetCells &Workbook::cells(int index, bool *read)
{
    if (m_cells.size() < std::size_t(m_sheets.size()))
        m_cells.resize(std::size_t(m_sheets.size()));
    auto &slot = m_cells[std::size_t(index)];
    if (read)
        *read = !slot;
    if (!slot)
        slot = readSheet(index);
    return *slot;
}

std::unique_ptr<Workbook> ReadWorkbook(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw KwError(QStringLiteral("Het bestand %1 bestaat niet.").arg(DisplayPath(path)));
    if (!info.isFile())
        throwNotAWorkbook(path);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw KwError(QStringLiteral("Het bestand %1 kan niet worden gelezen. Controleer of u het mag lezen en of het "
                                     "niet door een ander programma geblokkeerd wordt.")
                          .arg(DisplayPath(path)));
    const QByteArray magic = file.read(8);
    file.close();

    // By content, not by extension: a renamed file still opens, a CSV saved
    // as .xlsx gets a clear message.
    if (magic.startsWith("PK\x03\x04") || magic.startsWith("PK\x05\x06"))
        return ReadXlsxWorkbook(path);
    if (magic == QByteArray::fromHex("D0CF11E0A1B11AE1"))
        return WorkbookFromXls(path, ReadXlsFile(path));
    throw KwError(QStringLiteral("Het bestand %1 is geen Excel werkboek (.xlsx of .xls).").arg(DisplayPath(path)));
}
