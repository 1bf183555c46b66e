// Reading a large collection table: 100,000 rows of 10 columns, written by
// libxlsxwriter once per run into a temporary folder.
#include "PeakMemory.h"
#include "model/CellValue.h"
#include "workbook/WorkbookService.h"
#include "workbook/Worksheet.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <fstream>
#include <malloc.h>
#include <string>
#include <xlsxwriter.h>

namespace {

constexpr int Rows = 100000;
constexpr int Columns = 10;

const QString &tableFile()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("incasso.xlsx"));
        lxw_workbook *wb = workbook_new(QFile::encodeName(file).constData());
        lxw_worksheet *ws = workbook_add_worksheet(wb, "Incasso");
        lxw_format *date = workbook_add_format(wb);
        format_set_num_format(date, "dd-mm-yyyy");
        lxw_format *amount = workbook_add_format(wb);
        format_set_num_format(amount, "#,##0.00");
        const char *headings[Columns] = {"Naam", "Adres",      "Woonplaats", "Bedrag",    "IBAN",
                                         "BIC",  "Machtiging", "Datum",      "Sequentie", "Omschrijving"};
        for (int c = 0; c < Columns; ++c)
            worksheet_write_string(ws, 0, lxw_col_t(c), headings[c], nullptr);
        const char *codes[] = {"FRST", "RCUR", "FNAL", "OOFF"};
        char buf[64];
        for (int r = 1; r <= Rows; ++r) {
            const auto row = lxw_row_t(r);
            std::snprintf(buf, sizeof buf, "Debiteur %d van Dijk", r);
            worksheet_write_string(ws, row, 0, buf, nullptr);
            std::snprintf(buf, sizeof buf, "Kerkstraat %d", r % 997 + 1);
            worksheet_write_string(ws, row, 1, buf, nullptr);
            std::snprintf(buf, sizeof buf, "%04d AB Plaats %d", 1000 + r % 9000, r % 300);
            worksheet_write_string(ws, row, 2, buf, nullptr);
            worksheet_write_number(ws, row, 3, (r % 100000) / 100.0 + 1, amount);
            std::snprintf(buf, sizeof buf, "NL%02dABNA%010d", r % 97, r);
            worksheet_write_string(ws, row, 4, buf, nullptr);
            worksheet_write_string(ws, row, 5, "ABNANL2A", nullptr);
            std::snprintf(buf, sizeof buf, "MANDAAT-%06d", r);
            worksheet_write_string(ws, row, 6, buf, nullptr);
            lxw_datetime signed_ = {2015 + r % 10, 1 + r % 12, 1 + r % 28, 0, 0, 0};
            worksheet_write_datetime(ws, row, 7, &signed_, date);
            worksheet_write_string(ws, row, 8, codes[r % 4], nullptr);
            std::snprintf(buf, sizeof buf, "Contributie %d", 2024 + r % 3);
            worksheet_write_string(ws, row, 9, buf, nullptr);
        }
        if (workbook_close(wb) != LXW_NO_ERROR)
            std::abort();
        malloc_trim(0);
        return file;
    }();
    return path;
}

// What the row control does: open the sheet, read every cell of every row.
void BM_OpenAndReadEveryCell(benchmark::State &state)
{
    const QString file = tableFile();
    resetPeakMemory();
    std::int64_t cells = 0;
    for (auto _ : state) {
        WorkbookService service;
        const TWorksheet ws(service, file, QStringLiteral("Incasso"), true);
        for (int r = 1; r <= ws.TotalNoRows; ++r) {
            for (int c = 1; c <= Columns; ++c) {
                CellValue v = ws.readCell(r, c);
                benchmark::DoNotOptimize(v);
                ++cells;
            }
        }
    }
    state.counters["cells"] = benchmark::Counter(double(cells), benchmark::Counter::kAvgIterations);
    state.counters["peak_MB"] = peakMemoryMB();
    state.counters["file_MB"] = double(QFile(file).size()) / (1024.0 * 1024.0);
}
// CPU time of every thread: the sheet is inflated and the shared strings read beside the parser.
BENCHMARK(BM_OpenAndReadEveryCell)->Unit(benchmark::kMillisecond)->UseRealTime()->MeasureProcessCPUTime();

// The same with every cell turned into the text the row control checks.
void BM_OpenAndReadEveryCellAsText(benchmark::State &state)
{
    const QString file = tableFile();
    const QLocale dutch(QLocale::Dutch, QLocale::Netherlands);
    for (auto _ : state) {
        WorkbookService service;
        const TWorksheet ws(service, file, QStringLiteral("Incasso"), true);
        QString text;
        for (int r = 1; r <= ws.TotalNoRows; ++r) {
            for (int c = 1; c <= Columns; ++c) {
                CellText(ws.readCell(r, c), text, dutch);
                benchmark::DoNotOptimize(text);
            }
        }
    }
}
BENCHMARK(BM_OpenAndReadEveryCellAsText)->Unit(benchmark::kMillisecond)->UseRealTime();

// A run opens the same workbook again for every sequence code: from the cache.
void BM_ReopenCached(benchmark::State &state)
{
    const QString file = tableFile();
    WorkbookService service;
    TWorksheet(service, file, QStringLiteral("Incasso"), true); // parsed once, then cached
    for (auto _ : state) {
        const TWorksheet ws(service, file, QStringLiteral("Incasso"), true);
        for (int r = 1; r <= ws.TotalNoRows; ++r) {
            for (int c = 1; c <= Columns; ++c)
                benchmark::DoNotOptimize(ws.readCell(r, c));
        }
    }
}
BENCHMARK(BM_ReopenCached)->Unit(benchmark::kMillisecond)->UseRealTime();

// Only listing the sheets, as the selection dialog does.
void BM_ListSheetNames(benchmark::State &state)
{
    const QString file = tableFile();
    for (auto _ : state) {
        WorkbookService service;
        service.openWorkbook(file);
        QStringList names;
        ListWorksheetNames(service, names);
        benchmark::DoNotOptimize(names);
        service.closeActiveWorkbook();
    }
}
BENCHMARK(BM_ListSheetNames)->Unit(benchmark::kMillisecond)->UseRealTime();

// The yardstick: inflating the whole file with unzip -p.
void BM_UnzipInflate(benchmark::State &state)
{
    const QString file = tableFile();
    for (auto _ : state) {
        QProcess unzip;
        unzip.setStandardOutputFile(QProcess::nullDevice());
        unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), file});
        if (!unzip.waitForFinished(60000) || unzip.exitCode() != 0) {
            state.SkipWithError("unzip failed or is not installed");
            break;
        }
    }
}
BENCHMARK(BM_UnzipInflate)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
