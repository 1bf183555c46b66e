// A whole collection run on a table of 100,000 collections with all four
// sequence codes: reading the workbook, the row control and the four
// pain.008 files (some 70 MB of XML), as "Verwerken" does it.
//
// The same run through the batch command, for its peak memory:
//   kwintor2-run-bench --maak-werkboek=/tmp/kwrun
//   /usr/bin/time -v kwintor2-batch --instellingen /tmp/kwrun/Kwintor2.ini --werkblad Incasso >/dev/null
// ("Maximum resident set size"; the command writes its files into /tmp/kwrun/doel).
#include "PeakMemory.h"
#include "model/Clock.h"
#include "model/InputData.h"
#include "model/Settings.h"
#include "processing/ProcessingRun.h"
#include "rules/AddressRules.h"
#include "rules/DateAmountRules.h"
#include "workbook/WorkbookService.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <malloc.h>
#include <string>
#include <utility>
#include <vector>
#include <xlsxwriter.h>

namespace {

constexpr int Rows = 100000;
const SystemClock systemClock;

// An IBAN with correct check digits for a Dutch bank code and account number.
std::string dutchIban(const char *bank, long long account)
{
    char bban[32];
    std::snprintf(bban, sizeof bban, "%s%010lld", bank, account);
    std::string digits;
    for (const char *p = bban; *p; ++p)
        digits += *p >= 'A' ? std::to_string(*p - 'A' + 10) : std::string(1, *p);
    digits += "232100"; // N L 0 0
    int remainder = 0;
    for (const char d : digits)
        remainder = (remainder * 10 + (d - '0')) % 97;
    char iban[40];
    std::snprintf(iban, sizeof iban, "NL%02d%s", 98 - remainder, bban);
    return iban;
}

bool writeWorkbook(const QString &file)
{
    lxw_workbook *wb = workbook_new(QFile::encodeName(file).constData());
    if (!wb)
        return false;
    lxw_worksheet *ws = workbook_add_worksheet(wb, "Incasso");
    lxw_format *date = workbook_add_format(wb);
    format_set_num_format(date, "dd-mm-yyyy");
    const char *headings[] = {"Naam", "Adres",   "Postcode en plaats", "Bedrag", "IBAN",
                              "BIC",  "Mandaat", "Getekend op",        "Code",   "Omschrijving"};
    for (int c = 0; c < 10; ++c)
        worksheet_write_string(ws, 0, lxw_col_t(c), headings[c], nullptr);
    const char *codes[] = {"FRST", "RCUR", "FNAL", "OOFF"};
    const char *banks[][2] = {{"ABNA", "ABNANL2A"}, {"INGB", "INGBNL2A"}, {"RABO", "RABONL2U"}, {"SNSB", "SNSBNL2A"}};
    char buf[96];
    for (int r = 1; r <= Rows; ++r) {
        const auto row = lxw_row_t(r);
        std::snprintf(buf, sizeof buf, "Debiteur %06d van der Achternaam", r);
        worksheet_write_string(ws, row, 0, buf, nullptr);
        std::snprintf(buf, sizeof buf, "Kerkstraat %d", r % 997 + 1);
        worksheet_write_string(ws, row, 1, buf, nullptr);
        std::snprintf(buf, sizeof buf, "%04d AB Wikkeldam", 1000 + r % 9000);
        worksheet_write_string(ws, row, 2, buf, nullptr);
        worksheet_write_number(ws, row, 3, (r % 10000) / 100.0 + 5, nullptr);
        const auto &bank = banks[r % 4];
        worksheet_write_string(ws, row, 4, dutchIban(bank[0], 100000000LL + r).c_str(), nullptr);
        worksheet_write_string(ws, row, 5, bank[1], nullptr);
        std::snprintf(buf, sizeof buf, "MANDAAT-%06d", r);
        worksheet_write_string(ws, row, 6, buf, nullptr);
        lxw_datetime signedOn = {2015 + r % 10, 1 + r % 12, 1 + r % 28, 0, 0, 0};
        worksheet_write_datetime(ws, row, 7, &signedOn, date);
        worksheet_write_string(ws, row, 8, codes[r % 4], nullptr);
        std::snprintf(buf, sizeof buf, "termijn %d van het seizoen %d", r % 12 + 1, 2024 + r % 3);
        worksheet_write_string(ws, row, 9, buf, nullptr);
    }
    return workbook_close(wb) == LXW_NO_ERROR;
}

TInputData runData(const QString &folder)
{
    TInputData d;
    d.Incassant = QStringLiteral("Sportclub De Wikkel");
    d.ZZZCode = QStringLiteral("NL69ZZZ123456780000");
    d.IBAN = QStringLiteral("NL13TEST0123456789");
    d.BIC = QStringLiteral("TESTNL2A");
    d.IncassoLabel = QStringLiteral("Contributie");
    d.InputFolder = folder;
    d.InputFile = QStringLiteral("incasso.xlsx");
    d.HasHeadings = true;
    d.TargetFolder = QDir(folder).filePath(QStringLiteral("doel"));
    // After every mandate date of the table, and a date the batch command accepts today.
    d.IncassoDate = DateText(BankWorkingDayAfter(QDate::currentDate(), 5));
    d.Omschrijving = QStringLiteral("Contributie");
    d.DefaultSequenceCode.clear();
    d.InputArray = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    d.ssAlgOmschr = d.Omschrijving;
    d.SelectedWorkbook = QDir(folder).filePath(d.InputFile);
    d.SelectedSheet = QStringLiteral("Incasso");
    return d;
}

// The workbook and a settings folder, made once per process.
const QString &runFolder()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        QDir(dir.path()).mkdir(QStringLiteral("doel"));
        if (!writeWorkbook(dir.filePath(QStringLiteral("incasso.xlsx"))))
            std::abort();
        malloc_trim(0);
        return dir.path();
    }();
    return path;
}

void emptyTarget(const QString &folder)
{
    QDir target(QDir(folder).filePath(QStringLiteral("doel")));
    for (const QString &name : target.entryList(QDir::Files | QDir::Hidden))
        target.remove(name);
}

double targetMB(const QString &folder)
{
    qint64 bytes = 0;
    const QDir target(QDir(folder).filePath(QStringLiteral("doel")));
    for (const QFileInfo &info : target.entryInfoList(QDir::Files))
        bytes += info.size();
    return double(bytes) / (1024.0 * 1024.0);
}

// Reading, control and four files: what a user waits for.
void BM_WholeRun(benchmark::State &state)
{
    const QString folder = runFolder();
    const SettingsStore settings = SettingsStore::inFolder(folder);
    double written = 0;
    resetPeakMemory();
    for (auto _ : state) {
        TInputData data = runData(folder);
        WorkbookService service;
        ProcessingRun run(data, settings, systemClock, service);
        if (run.show() != RunOutcome::Passed || run.verwerken() != RunOutcome::Passed) {
            state.SkipWithError("the run did not pass");
            break;
        }
        state.PauseTiming();
        written = targetMB(folder);
        emptyTarget(folder);
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = peakMemoryMB();
    state.counters["xml_MB"] = written;
}
BENCHMARK(BM_WholeRun)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

// The parts: the row control alone (the workbook read anew) ...
void BM_Control(benchmark::State &state)
{
    const QString folder = runFolder();
    const SettingsStore settings = SettingsStore::inFolder(folder);
    for (auto _ : state) {
        TInputData data = runData(folder);
        WorkbookService service;
        ProcessingRun run(data, settings, systemClock, service);
        if (run.show() != RunOutcome::Passed) {
            state.SkipWithError("the control did not pass");
            break;
        }
    }
}
BENCHMARK(BM_Control)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

// ... and "Verwerken" alone, on a workbook already read.
void BM_Verwerken(benchmark::State &state)
{
    const QString folder = runFolder();
    const SettingsStore settings = SettingsStore::inFolder(folder);
    TInputData data = runData(folder);
    WorkbookService service;
    ProcessingRun run(data, settings, systemClock, service);
    for (auto _ : state) {
        state.PauseTiming();
        const bool shown = run.show() == RunOutcome::Passed;
        state.ResumeTiming();
        if (!shown || run.verwerken() != RunOutcome::Passed) {
            state.SkipWithError("the run did not pass");
            break;
        }
        state.PauseTiming();
        emptyTarget(folder);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Verwerken)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

// The address reading alone, as the control and the file builder each do it
// once per row: the share of the whole run it costs.
void BM_AddressReading(benchmark::State &state)
{
    std::vector<std::pair<QString, QString>> addresses;
    addresses.reserve(Rows);
    for (int r = 1; r <= Rows; ++r) {
        addresses.emplace_back(QStringLiteral("Kerkstraat %1").arg(r % 997 + 1),
                               QStringLiteral("%1 AB Wikkeldam").arg(1000 + r % 9000));
    }
    for (auto _ : state) {
        for (const auto &[line1, line2] : addresses) {
            benchmark::DoNotOptimize(HasPostcodeAndTown(line1, line2));
            benchmark::DoNotOptimize(ReadPostalAddress(line1, line2));
        }
    }
    state.SetItemsProcessed(state.iterations() * Rows);
}
BENCHMARK(BM_AddressReading)->Unit(benchmark::kMillisecond);

// Leaves the workbook and a settings file for the batch command in folder.
int makeWorkbook(const QString &folder)
{
    QDir dir(folder);
    if (!dir.mkpath(QStringLiteral("doel")) || !writeWorkbook(dir.filePath(QStringLiteral("incasso.xlsx"))))
        return 1;
    const SettingsStore settings = SettingsStore::ofFile(dir.filePath(QStringLiteral("Kwintor2.ini")));
    TInputData data = runData(dir.absolutePath());
    return settings.SaveSettings(data, systemClock) ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
    const char *option = "--maak-werkboek=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], option, std::strlen(option)) == 0)
            return makeWorkbook(QString::fromLocal8Bit(argv[i] + std::strlen(option)));
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
