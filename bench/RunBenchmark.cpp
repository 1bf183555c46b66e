// A whole collection run on a table of 100,000 collections with all four
// sequence codes: reading the workbook, the row control and the four
// pain.008 files (some 70 MB of XML), as "Verwerken" does it; the same beside
// a register of 1,000,000 lines (40 monthly runs of 25,000 members, the first
// 25,000 rows of the table).
//
// The same run through the batch command, for its peak memory:
//   kwintor2-run-bench --maak-werkboek=/tmp/kwrun
//   /usr/bin/time -v kwintor2-batch --instellingen /tmp/kwrun/Kwintor2.ini --werkblad Incasso >/dev/null
// ("Maximum resident set size"; the command writes its files into /tmp/kwrun/doel
// and its collections into /tmp/kwrun/Kwintor2-register.csv, which a second run
// finds: remove it, or give --opnieuw). The register of 1,000,000 lines beside it:
//   kwintor2-run-bench --maak-register=/tmp/kwrun/Kwintor2-register.csv
#include "PeakMemory.h"
#include "model/Clock.h"
#include "model/Error.h"
#include "model/InputData.h"
#include "model/Register.h"
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

// After every mandate date of the table, and a date the batch command accepts today.
QDate runDate()
{
    return BankWorkingDayAfter(QDate::currentDate(), 5);
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
    d.IncassoDate = DateText(runDate());
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

// 40 monthly files of the first 25,000 rows' mandates before this run's date: FRST once, then RCUR.
bool writeRegister(const QString &path, const QDate &before)
{
    constexpr int Runs = 40;
    constexpr int Members = 25000;
    QFile::remove(path);
    const CollectionRegister reg(path);
    char mandate[32];
    try {
        for (int run = 0; run < Runs; ++run) {
            const QDate date = before.addMonths(run - Runs);
            const QString code = run == 0 ? QStringLiteral("FRST") : QStringLiteral("RCUR");
            TRegisterFile file;
            file.made = date.addDays(-5).toString(Qt::ISODate) + QStringLiteral("T10:00:00");
            file.fileName =
                QStringLiteral("Incasso_dd_%1_%2_08_%3.xml").arg(date.toString(Qt::ISODate), code).arg(run + 1);
            file.msgId = QStringLiteral("Contributie_%1_%2").arg(code).arg(run + 1);
            file.seqCode = code;
            file.collectionDate = date.toString(Qt::ISODate);
            file.collections.reserve(Members);
            for (int r = 1; r <= Members; ++r) {
                std::snprintf(mandate, sizeof mandate, "MANDAAT-%06d", r);
                file.collections.append({QString::fromLatin1(mandate),
                                         QString::fromStdString(dutchIban("ABNA", 100000000LL + r)),
                                         QStringLiteral("%1.00").arg(5 + r % 100)});
            }
            reg.append(file);
        }
    } catch (const KwError &) {
        return false;
    }
    return true;
}

QString registerIn(const QString &folder)
{
    return QDir(folder).filePath(RegisterFileName());
}

// The register of 1,000,000 lines, made once per process beside the run's folder.
const QString &bigRegister()
{
    static const QString path = [] {
        const QString file = QDir(runFolder()).filePath(QStringLiteral("groot-register.csv"));
        if (!writeRegister(file, runDate()))
            std::abort();
        return file;
    }();
    return path;
}

// The files of a run and its lines in the register go, so that the next run makes them anew.
void emptyTarget(const QString &folder)
{
    QDir target(QDir(folder).filePath(QStringLiteral("doel")));
    for (const QString &name : target.entryList(QDir::Files | QDir::Hidden))
        target.remove(name);
    QFile::remove(registerIn(folder));
}

double targetMB(const QString &folder)
{
    qint64 bytes = 0;
    const QDir target(QDir(folder).filePath(QStringLiteral("doel")));
    for (const QFileInfo &info : target.entryInfoList(QDir::Files))
        bytes += info.size();
    return double(bytes) / (1024.0 * 1024.0);
}

// One run of the 100,000 rows, "Verwerken" included; false (the benchmark told) when it did not pass.
bool runOnce(benchmark::State &state, const QString &folder, const SettingsStore &settings)
{
    TInputData data = runData(folder);
    WorkbookService service;
    ProcessingRun run(data, settings, systemClock, service);
    if (run.show() != RunOutcome::Passed || run.verwerken() != RunOutcome::Passed) {
        state.SkipWithError("the run did not pass");
        return false;
    }
    return true;
}

// Reading, control and four files: what a user waits for.
void BM_WholeRun(benchmark::State &state)
{
    const QString folder = runFolder();
    const SettingsStore settings = SettingsStore::inFolder(folder);
    double written = 0;
    resetPeakMemory();
    for (auto _ : state) {
        if (!runOnce(state, folder, settings))
            break;
        state.PauseTiming();
        written = targetMB(folder);
        emptyTarget(folder);
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = peakMemoryMB();
    state.counters["xml_MB"] = written;
}
BENCHMARK(BM_WholeRun)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

// The same beside the register of 1,000,000 lines: loaded once, every row
// looked up, the FRST rows of its members warned, 100,000 lines appended.
void BM_WholeRunWithRegister(benchmark::State &state)
{
    const QString folder = runFolder();
    const SettingsStore settings = SettingsStore::inFolder(folder);
    const QString big = bigRegister();
    resetPeakMemory();
    for (auto _ : state) {
        state.PauseTiming();
        if (!QFile::copy(big, registerIn(folder))) {
            state.SkipWithError("the register could not be copied");
            break;
        }
        state.ResumeTiming();
        if (!runOnce(state, folder, settings))
            break;
        state.PauseTiming();
        emptyTarget(folder);
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = peakMemoryMB();
    state.counters["register_MB"] = double(QFileInfo(big).size()) / (1024.0 * 1024.0);
}
BENCHMARK(BM_WholeRunWithRegister)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3);

// Loading the register of 1,000,000 lines into the index a run uses.
void BM_RegisterIndex(benchmark::State &state)
{
    const CollectionRegister reg(bigRegister());
    for (auto _ : state) {
        const RegisterIndex index = reg.index(runDate());
        if (index.lines() != 1000000) {
            state.SkipWithError("not every line was read");
            break;
        }
        benchmark::DoNotOptimize(index.highestBatchNumber());
    }
}
BENCHMARK(BM_RegisterIndex)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

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
    const char *registerOption = "--maak-register=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], option, std::strlen(option)) == 0)
            return makeWorkbook(QString::fromLocal8Bit(argv[i] + std::strlen(option)));
        if (std::strncmp(argv[i], registerOption, std::strlen(registerOption)) == 0)
            return writeRegister(QString::fromLocal8Bit(argv[i] + std::strlen(registerOption)), runDate()) ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
