#include "workbook/WorkbookService.h"

#include "model/Error.h"
#include "workbook/Workbook.h"

#include <QDateTime>
#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace {

// Workbooks kept after closing; a run needs one, the selection dialog may add another.
constexpr std::size_t CacheSize = 3;

struct CacheEntry
{
    QString canonicalPath;
    qint64 size = 0;
    QDateTime modified;
    std::shared_ptr<Workbook> book;
};

struct OpenWorkbook
{
    std::shared_ptr<Workbook> book;
    QString canonicalPath;
    QString name;
    quint64 id = 0;
};

[[noreturn]] void noWorkbook()
{
    throw KwError(QStringLiteral("Er is geen Excel werkboek geopend."));
}

} // namespace

struct WorkbookService::Private
{
    std::vector<CacheEntry> cache; // most recently used last
    std::vector<OpenWorkbook> open;
    int active = -1;
    int sheetReads = 0;
    quint64 lastId = 0;

    OpenWorkbook &current()
    {
        if (active < 0)
            noWorkbook();
        return open[std::size_t(active)];
    }

    // Before a sheet is read: the workbooks that are neither open nor this one
    // are let go, so that what is kept stays that of the workbook in use.
    void forgetIdle(const std::shared_ptr<Workbook> &book)
    {
        std::erase_if(cache, [&](const CacheEntry &e) {
            return e.book != book &&
                   std::none_of(open.begin(), open.end(), [&](const OpenWorkbook &o) { return o.book == e.book; });
        });
    }

    std::shared_ptr<Workbook> load(const QString &path, const QFileInfo &info)
    {
        const QString canonical = info.canonicalFilePath();
        const auto hit =
            std::find_if(cache.begin(), cache.end(), [&](const CacheEntry &e) { return e.canonicalPath == canonical; });
        if (hit != cache.end()) {
            CacheEntry entry = std::move(*hit);
            cache.erase(hit);
            if (entry.size == info.size() && entry.modified == info.lastModified()) {
                cache.push_back(std::move(entry));
                return cache.back().book;
            }
        }
        std::shared_ptr<Workbook> book = ReadWorkbook(path);
        cache.push_back({canonical, info.size(), info.lastModified(), book});
        if (cache.size() > CacheSize)
            cache.erase(cache.begin());
        return book;
    }
};

WorkbookService::WorkbookService() : d(std::make_unique<Private>()) {}

WorkbookService::~WorkbookService() = default;

bool WorkbookService::attach()
{
    // Nothing to attach to: the workbooks are read from their files.
    return true;
}

void WorkbookService::startAnew()
{
    d->open.clear();
    d->active = -1;
}

void WorkbookService::openWorkbook(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        throw KwError(QStringLiteral("Het bestand %1 bestaat niet.").arg(DisplayPath(path)));
    // Before anything is read: a pipe would keep the caller waiting.
    if (!info.isFile())
        throwNotAWorkbook(path);
    const QString canonical = info.canonicalFilePath();
    // Opening a workbook that is already open only activates it.
    for (std::size_t i = 0; i < d->open.size(); ++i) {
        if (d->open[i].canonicalPath == canonical) {
            d->active = int(i);
            return;
        }
    }
    std::shared_ptr<Workbook> book = d->load(path, info);
    d->open.push_back({std::move(book), canonical, info.fileName(), ++d->lastId});
    d->active = int(d->open.size()) - 1;
}

int WorkbookService::workbookCount() const
{
    return int(d->open.size());
}

QString WorkbookService::workbookName(int index) const
{
    if (index < 1 || index > workbookCount())
        throw KwError(QStringLiteral("Er is geen geopend werkboek met nummer %1.").arg(index));
    return d->open[std::size_t(index - 1)].name;
}

void WorkbookService::activateWorkbook(int index)
{
    if (index < 1 || index > workbookCount())
        throw KwError(QStringLiteral("Er is geen geopend werkboek met nummer %1.").arg(index));
    d->active = index - 1;
}

QStringList WorkbookService::worksheetNames() const
{
    QStringList names;
    for (const Workbook::Sheet &sheet : d->current().book->sheets())
        names.append(sheet.name);
    return names;
}

WorkbookService::ActiveSheet WorkbookService::activeSheet(int index)
{
    OpenWorkbook &wb = d->current();
    if (index < 1 || index > wb.book->sheets().size())
        throw KwError(QStringLiteral("Het werkboek %1 heeft geen werkblad met nummer %2.")
                          .arg(DisplayPath(wb.book->path()))
                          .arg(index));
    if (!wb.book->hasCells(index - 1))
        d->forgetIdle(wb.book);
    bool read = false;
    const SheetCells &cells = wb.book->cells(index - 1, &read);
    d->sheetReads += read ? 1 : 0;
    return {wb.book, &cells, wb.id};
}

void WorkbookService::closeActiveWorkbook()
{
    closeWorkbook(d->current().id);
}

void WorkbookService::closeWorkbook(quint64 workbook) noexcept
{
    const auto it =
        std::find_if(d->open.begin(), d->open.end(), [&](const OpenWorkbook &o) { return o.id == workbook; });
    if (it == d->open.end())
        return;
    const std::shared_ptr<Workbook> book = it->book;
    d->open.erase(it);
    d->active = int(d->open.size()) - 1;
    // Keep the parsed cells, but not the file: the user may want to save it meanwhile.
    if (std::none_of(d->open.begin(), d->open.end(), [&](const OpenWorkbook &o) { return o.book == book; }))
        book->releaseFile();
}

void WorkbookService::quit()
{
    d->open.clear();
    d->active = -1;
    d->cache.clear();
}

int WorkbookService::sheetReads() const
{
    return d->sheetReads;
}

void ListWorksheetNames(const WorkbookService &service, QStringList &list)
{
    list.clear();
    list.append(service.worksheetNames());
}
