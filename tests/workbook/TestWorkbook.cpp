#include "model/Error.h"
#include "util/BigZip.h"
#include "util/TestPaths.h"
#include "util/WorkbookFiles.h"
#include "util/XlsBuilders.h"
#include "workbook/ReadLimits.h"
#include "workbook/SheetCells.h"
#include "workbook/Workbook.h"
#include "workbook/WorkbookService.h"
#include "workbook/Worksheet.h"
#include "workbook/XlsxReader.h"
#include "workbook/xls/XlsReader.h"

#include <QCryptographicHash>
#include <QDate>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <future>
#include <memory>
#include <optional>
#include <xlsxwriter.h>

Q_DECLARE_METATYPE(CellValue::Kind)

namespace {

const QLocale Dutch(QLocale::Dutch, QLocale::Netherlands);

QString fixture(const QString &name)
{
    return testData(QStringLiteral("workbook/") + name);
}

// The message of the KwError that action throws; empty when it throws none.
QString errorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const KwError &e) {
        return e.message();
    }
    return {};
}

// Opens the sheet in a fresh service and reads one cell.
CellValue readCell(const QString &path, const QString &sheet, int row, int column)
{
    WorkbookService service;
    return TWorksheet(service, path, sheet, false).readCell(row, column);
}

QString cellText(const CellValue &value)
{
    QString text;
    return CellText(value, text, Dutch) ? text : QStringLiteral("<fout ") + text + QLatin1Char('>');
}

QByteArray fileHash(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class TestWorkbook : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    QString temp(const QString &name) const { return m_dir.filePath(name); }

    QString package(const QString &name, const QList<ZipPart> &parts) const
    {
        const QString path = temp(name);
        if (!WriteZip(path, parts))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    QString oneSheet(const QString &name, const QByteArray &sheetData, const QByteArray &shared = {},
                     const QByteArray &workbookPr = {}) const
    {
        return package(name, PackageParts({{QStringLiteral("Blad1"), sheetData, {}}}, shared, workbookPr));
    }

    QString writeFile(const QString &name, const QByteArray &bytes) const
    {
        QFile f(temp(name));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        return f.fileName();
    }

    // A package of one sheet "Blad1" whose part of big's name is big, made of repeated pieces.
    QString bigPackage(const QString &name, const QByteArray &sheetData, const QByteArray &shared,
                       const BigZipPart &big) const
    {
        QList<BigZipPart> parts;
        for (const ZipPart &p : PackageParts({{QStringLiteral("Blad1"), sheetData, {}}}, shared)) {
            if (p.name != big.name)
                parts.append(SmallPart(p.name, p.data));
        }
        parts.append(big);
        const QString path = temp(name);
        if (!WriteBigZip(path, parts))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private Q_SLOTS:
    // Cells found wherever the last lookup ended, on two threads at once: rows in
    // order, a row's columns out of order, jumps back and far ahead, missing cells.
    void cellLookups()
    {
        SheetCells cells;
        for (std::uint32_t row = 1; row <= 3000; ++row) {
            for (std::uint16_t column = 1; column <= 12; ++column) {
                if ((row * 7 + column) % 5 != 0)
                    cells.addNumber(row, column, SheetCells::Kind::Number, row * 100.0 + column);
            }
        }
        cells.finish();
        const auto expected = [](int row, int column) {
            return row >= 1 && row <= 3000 && column >= 1 && column <= 12 && (row * 7 + column) % 5 != 0
                       ? CellValue::fromNumber(row * 100.0 + column)
                       : CellValue();
        };
        // Places a row of 14 columns each (0 and 13 hold nothing): a lookup, then one up to 40 away.
        const auto lookups = [&](std::uint32_t first) {
            int wrong = 0;
            std::uint32_t x = first;
            const auto look = [&](int place) {
                const int row = place / 14;
                const int column = place % 14;
                wrong += cells.value(row, column) == expected(row, column) ? 0 : 1;
            };
            for (int i = 0; i < 40000; ++i) {
                x = x * 1664525u + 1013904223u;
                const int place = i % 2 == 0 ? int(x >> 8) % (3100 * 14) : i / 2 + 14;
                look(place);
                look(std::max(0, place + int(x >> 24) % 81 - 40));
            }
            return wrong;
        };
        auto other = std::async(std::launch::async, lookups, 7u);
        QCOMPARE(lookups(1u), 0);
        QCOMPARE(other.get(), 0);
    }

    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // --- Number formats -------------------------------------------------

    // One table, both readers: a number cell formatted so is a date or a number alike.
    void dateFormatsInBothReaders_data()
    {
        QTest::addColumn<QString>("code"); // empty: the built-in format id alone
        QTest::addColumn<int>("id");
        QTest::addColumn<bool>("isDate");
        const std::pair<const char *, bool> codes[] = {
            {"dd-mm-yyyy", true},
            {"d/m/yy", true},
            {"dd\\-mm\\-yyyy", true},
            {"d mmmm yyyy", true},
            {"mmm-yy", true},
            {"mmmm", true},
            {"yyyy", true},
            {"DD/MM/YYYY", true},
            {"[$-413]d mmm yy", true},
            {"[Red]dd/mm/yy", true},
            {"[Red][$-F800]dddd, mmmm dd, yyyy", true},
            {"dd-mm-yyyy hh:mm", true},
            {"m/d/yy h:mm", true},
            {"mmm hh", true}, // the readers disagreed on this one
            {"hh mmm", true}, // three m are a month's name, even after an hour
            {"hh:mm", false},
            {"hh:mm:ss", false},
            {"mm:ss", false},
            {"h:mm AM/PM", false},
            {"h:mm:ss A/P", false},
            {"[h]:mm:ss", false},
            {"[mm]:ss", false},
            {"[m]", false},
            {"General", false},
            {"0.00", false},
            {"#,##0.00", false},
            {"\"Datum \"#,##0.00", false},
            {"0 \"dagen\"", false},
            {"0.0\\d", false},
            {"0_d", false},
            {"_-* #,##0_-;-* #,##0_-", false},
            {"*d0", false},
            {"[$\xE2\x82\xAC-413] #,##0.00", false},
            {"0.00E+00", false},
            {"@", false},
            {"[Red]0", false},
            {"\"dd", false}, // an unclosed quote hides the rest
        };
        for (const auto &[code, isDate] : codes)
            QTest::newRow(code) << QString::fromUtf8(code) << 164 << isDate;
        for (int id : {14, 15, 16, 17, 22, 30, 57})
            QTest::addRow("built-in %d", id) << QString() << id << true;
        for (int id : {0, 1, 4, 9, 18, 19, 20, 21, 45, 46, 47, 49, 164})
            QTest::addRow("built-in %d", id) << QString() << id << false;
    }
    void dateFormatsInBothReaders()
    {
        QFETCH(QString, code);
        QFETCH(int, id);
        QFETCH(bool, isDate);
        const QByteArray num = QByteArray::number(id);

        QList<ZipPart> parts = PackageParts({{QStringLiteral("Blad1"), "<row><c s=\"0\"><v>45422</v></c></row>", {}}});
        QString escaped = code.toHtmlEscaped();
        escaped.replace(QLatin1Char('"'), QLatin1String("&quot;"));
        SetPart(parts, "xl/styles.xml",
                "<styleSheet>" +
                    (code.isEmpty() ? QByteArray()
                                    : "<numFmts><numFmt numFmtId=\"" + num + "\" formatCode=\"" + escaped.toUtf8() +
                                          "\"/></numFmts>") +
                    "<cellXfs><xf numFmtId=\"" + num + "\"/></cellXfs></styleSheet>");
        const QString xlsx = package(QStringLiteral("opmaak.xlsx"), parts);

        using namespace Biff;
        QByteArray format;
        if (!code.isEmpty()) {
            format = u16(quint16(id)) + u16(quint16(code.size())) + QByteArray(1, '\1');
            for (QChar c : code)
                format += u16(c.unicode());
        }
        const QByteArray globals = (code.isEmpty() ? QByteArray() : record(0x041E, format)) +
                                   record(0x00E0, u16(0) + u16(quint16(id)) + QByteArray(16, '\0'));
        const QByteArray stream =
            workbook(globals, {{QStringLiteral("Blad1"), record(0x0203, cell(0, 0, 0) + f64(45422))}});
        const QString xls =
            writeFile(QStringLiteral("opmaak.xls"), BuildCompoundFile({{QStringLiteral("Workbook"), stream}}));

        const CellValue::Kind expected = isDate ? CellValue::Kind::Date : CellValue::Kind::Number;
        QCOMPARE(readCell(xlsx, QStringLiteral("Blad1"), 1, 1).kind, expected);
        QCOMPARE(readCell(xls, QStringLiteral("Blad1"), 1, 1).kind, expected);
    }

    void decodesEscapes_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("decoded");
        QTest::newRow("carriage return") << "a_x000D_b"
                                         << "a\rb";
        QTest::newRow("escaped underscore") << "_x005F_x0041_"
                                            << "_x0041_";
        QTest::newRow("lower-case hex") << "_x00e9_" << QStringLiteral("\u00e9");
        QTest::newRow("not hex") << "_xZZZZ_"
                                 << "_xZZZZ_";
        QTest::newRow("too short") << "_x41_"
                                   << "_x41_";
        QTest::newRow("at the end") << "ab_x0041"
                                    << "ab_x0041";
    }
    void decodesEscapes()
    {
        QFETCH(QString, raw);
        QFETCH(QString, decoded);
        QCOMPARE(DecodeXmlEscapes(raw), decoded);
    }

    // --- Workbooks made by LibreOffice and openpyxl ---------------------

    void listsSheetsInOrderWithHiddenOnes()
    {
        WorkbookService service;
        service.openWorkbook(fixture(QStringLiteral("libreoffice.xlsx")));
        QStringList names{QStringLiteral("stale")};
        ListWorksheetNames(service, names);
        QCOMPARE(names, QStringList({"Datums", "Waarden", "Tabel", "Verborgen", "Leeg"}));
    }

    void readsCells_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<CellValue::Kind>("kind");
        QTest::addColumn<QString>("text"); // as CellText gives it in Dutch; "<fout CODE>" when it fails

        using K = CellValue::Kind;
        const QString lo = QStringLiteral("libreoffice.xlsx");
        QTest::newRow("date dd-mm-yyyy") << lo << "Datums" << 2 << 2 << K::Date << "10-05-2024";
        QTest::newRow("date d mmmm yyyy") << lo << "Datums" << 3 << 2 << K::Date << "31-12-2023";
        QTest::newRow("date yyyy-mm-dd") << lo << "Datums" << 4 << 2 << K::Date << "29-02-2024";
        QTest::newRow("date mmm yy") << lo << "Datums" << 5 << 2 << K::Date << "15-01-2024";
        QTest::newRow("date-time") << lo << "Datums" << 6 << 2 << K::Date << "10-05-2024";
        QTest::newRow("time is a number") << lo << "Datums" << 7 << 2 << K::Number << "0,572916666666667";
        QTest::newRow("elapsed time is a number") << lo << "Datums" << 8 << 2 << K::Number << "1,52083333333333";
        QTest::newRow("date as text") << lo << "Datums" << 9 << 2 << K::Text << "10-05-2024";
        QTest::newRow("amount format") << lo << "Datums" << 10 << 2 << K::Number << "1234,5";
        QTest::newRow("many digits") << lo << "Waarden" << 2 << 2 << K::Number << "1234567890,12345";
        QTest::newRow("too many digits") << lo << "Waarden" << 3 << 2 << K::Number << "1,23456789012346E+17";
        QTest::newRow("one third") << lo << "Waarden" << 4 << 2 << K::Number << "0,333333333333333";
        QTest::newRow("0.1+0.2") << lo << "Waarden" << 5 << 2 << K::Number << "0,3";
        QTest::newRow("negative") << lo << "Waarden" << 6 << 2 << K::Number << "-0,5";
        QTest::newRow("true") << lo << "Waarden" << 7 << 2 << K::Boolean << "WAAR";
        QTest::newRow("false") << lo << "Waarden" << 8 << 2 << K::Boolean << "ONWAAR";
        QTest::newRow("division by zero") << lo << "Waarden" << 9 << 2 << K::Error << "<fout #DIV/0!>";
        QTest::newRow("not available") << lo << "Waarden" << 10 << 2 << K::Error << "<fout #N/A>";
        QTest::newRow("bad value") << lo << "Waarden" << 11 << 2 << K::Error << "<fout #VALUE!>";
        QTest::newRow("rich text") << lo << "Waarden" << 12 << 2 << K::Text << "Jan de Vries";
        QTest::newRow("formula text") << lo << "Waarden" << 13 << 2 << K::Text << "SEPA-incasso";
        QTest::newRow("formula empty text") << lo << "Waarden" << 14 << 2 << K::Text << "";
        QTest::newRow("literal escape and markup")
            << lo << "Waarden" << 15 << 2 << K::Text << QStringLiteral("a_x0041_b & <c> \u00e9\u00e8 \u20ac");
        QTest::newRow("empty row between") << lo << "Tabel" << 3 << 1 << K::Empty << "";
        QTest::newRow("formatted empty cell") << lo << "Tabel" << 6 << 1 << K::Empty << "";
        QTest::newRow("stray value") << lo << "Tabel" << 100 << 2 << K::Text << "verdwaald";
        QTest::newRow("beyond the table") << lo << "Tabel" << 5000 << 50 << K::Empty << "";
        QTest::newRow("hidden sheet") << lo << "Verborgen" << 1 << 1 << K::Text << "geheim";
        QTest::newRow("1904 date") << "libreoffice-1904.xlsx"
                                   << "Blad1" << 1 << 2 << K::Date << "10-05-2024";
        QTest::newRow("1904 number") << "libreoffice-1904.xlsx"
                                     << "Blad1" << 2 << 2 << K::Number << "42";

        const QString op = QStringLiteral("openpyxl.xlsx");
        QTest::newRow("inline string") << op << "Incasso" << 2 << 1 << K::Text << "Jansen";
        QTest::newRow("inline string escape") << op << "Incasso" << 4 << 1 << K::Text << "Regel\reinde";
        QTest::newRow("openpyxl date") << op << "Incasso" << 2 << 3 << K::Date << "10-05-2024";
        QTest::newRow("openpyxl date-time") << op << "Incasso" << 3 << 3 << K::Date << "02-01-2023";
        QTest::newRow("formula without value") << op << "Incasso" << 2 << 4 << K::Error << "<fout >";
        QTest::newRow("sum without value") << op << "Incasso" << 3 << 4 << K::Error << "<fout >";
        QTest::newRow("openpyxl boolean") << op << "Incasso" << 4 << 4 << K::Boolean << "WAAR";
        QTest::newRow("ISO date") << "openpyxl-iso.xlsx"
                                  << "Iso" << 1 << 1 << K::Date << "10-05-2024";
        QTest::newRow("ISO date-time") << "openpyxl-iso.xlsx"
                                       << "Iso" << 2 << 1 << K::Date << "10-05-2024";
    }
    void readsCells()
    {
        QFETCH(QString, file);
        QFETCH(QString, sheet);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(CellValue::Kind, kind);
        QFETCH(QString, text);
        const CellValue value = readCell(fixture(file), sheet, row, column);
        QCOMPARE(value.kind, kind);
        QCOMPARE(cellText(value), text);
    }

    void readsTheXlsCopyAlike()
    {
        // LibreOffice wrote the same workbook as .xlsx and as .xls: both must read the same.
        const auto everything = [](const QString &file) {
            WorkbookService service;
            service.openWorkbook(fixture(file));
            QStringList cells = service.worksheetNames();
            for (const QString &name : service.worksheetNames()) {
                const TWorksheet ws(service, fixture(file), name, false);
                cells << QString::number(ws.TotalNoRows);
                ws.forEachCell([&](int row, int column, const CellValue &value) {
                    cells << QStringLiteral("%1,%2 %3 %4 %5")
                                 .arg(row)
                                 .arg(column)
                                 .arg(int(value.kind))
                                 .arg(value.number, 0, 'g', 15) // .xlsx keeps 15 digits
                                 .arg(value.text);
                });
            }
            return cells;
        };
        const QStringList xlsx = everything(QStringLiteral("libreoffice.xlsx"));
        QVERIFY(xlsx.size() > 50);
        QCOMPARE(everything(QStringLiteral("libreoffice.xls")), xlsx);
    }

    void keepsTheTimeOfDayAndTheDateSystem()
    {
        const double may10 = SerialFromDate(QDate(2024, 5, 10));
        QCOMPARE(readCell(fixture(QStringLiteral("libreoffice.xlsx")), QStringLiteral("Datums"), 6, 2).number,
                 may10 + (13 * 60 + 45) / 1440.0);
        QCOMPARE(readCell(fixture(QStringLiteral("libreoffice-1904.xlsx")), QStringLiteral("Blad1"), 1, 2).number,
                 may10);
        QCOMPARE(readCell(fixture(QStringLiteral("openpyxl-iso.xlsx")), QStringLiteral("Iso"), 2, 1).number,
                 may10 + 0.5);
    }

    void lastRowCountsValuesOnly_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<int>("lastRow");
        QTest::newRow("stray value, formatted cells below it") << "Tabel" << 100;
        QTest::newRow("only a formatted cell") << "Leeg" << 1;
        QTest::newRow("ordinary table") << "Waarden" << 15;
    }
    void lastRowCountsValuesOnly()
    {
        QFETCH(QString, sheet);
        QFETCH(int, lastRow);
        WorkbookService service;
        const TWorksheet ws(service, fixture(QStringLiteral("libreoffice.xlsx")), sheet, true);
        QCOMPARE(ws.TotalNoRows, lastRow);
    }

    void lastSheetRowIsRead()
    {
        const QString path =
            oneSheet(QStringLiteral("laatsterij.xlsx"), "<row r=\"1048576\"><c r=\"B1048576\"><v>3</v></c></row>");
        WorkbookService service;
        const TWorksheet ws(service, path, QStringLiteral("Blad1"), false);
        QCOMPARE(ws.TotalNoRows, 1048576);
        QCOMPARE(ws.readCell(1048576, 2), CellValue::fromNumber(3));
    }

    // --- Workbooks written by libxlsxwriter -----------------------------

    void readsWhatLibxlsxwriterWrites()
    {
        const QString path = temp(QStringLiteral("xlsxwriter.xlsx"));
        lxw_workbook *wb = workbook_new(QFile::encodeName(path).constData());
        lxw_worksheet *first = workbook_add_worksheet(wb, "Incasso");
        lxw_worksheet *hidden = workbook_add_worksheet(wb, "Oud");
        lxw_worksheet *last = workbook_add_worksheet(wb, "Notities");
        lxw_format *dmy = workbook_add_format(wb);
        format_set_num_format(dmy, "dd/mm/yyyy");
        lxw_format *dutch = workbook_add_format(wb);
        format_set_num_format(dutch, "[$-413]d mmmm yyyy");
        lxw_format *time = workbook_add_format(wb);
        format_set_num_format(time, "hh:mm");
        lxw_format *amount = workbook_add_format(wb);
        format_set_num_format(amount, "#,##0.00 \"EUR\"");
        lxw_format *builtin = workbook_add_format(wb);
        format_set_num_format_index(builtin, 14);

        lxw_datetime may10 = {2024, 5, 10, 0, 0, 0};
        lxw_datetime noon = {0, 0, 0, 12, 30, 0};
        worksheet_write_string(first, 0, 0, "Naam", nullptr);
        worksheet_write_string(first, 1, 0, "Jansen \xe2\x82\xac", nullptr);
        worksheet_write_number(first, 1, 1, 1234.5, amount);
        worksheet_write_datetime(first, 1, 2, &may10, dmy);
        worksheet_write_datetime(first, 1, 3, &may10, dutch);
        worksheet_write_datetime(first, 1, 4, &noon, time);
        worksheet_write_datetime(first, 1, 5, &may10, builtin);
        worksheet_write_boolean(first, 1, 6, 0, nullptr);
        worksheet_write_formula_num(first, 1, 7, "=B2*2", nullptr, 2469);
        worksheet_write_formula_str(first, 1, 8, "=A2&\"!\"", nullptr, "Jansen \xe2\x82\xac!");
        worksheet_write_string(first, 1, 9, " \tRCUR  ", nullptr);
        worksheet_write_string(first, 9, 0, "NL91ABNA0417164300", nullptr);
        worksheet_write_blank(first, 20, 0, amount);
        worksheet_hide(hidden);
        worksheet_write_string(last, 0, 0, "x", nullptr);
        QCOMPARE(workbook_close(wb), LXW_NO_ERROR);

        WorkbookService service;
        service.openWorkbook(path);
        QCOMPARE(service.worksheetNames(), QStringList({"Incasso", "Oud", "Notities"}));
        const TWorksheet ws(service, path, QStringLiteral("Incasso"), false);
        QCOMPARE(ws.TotalNoRows, 10);
        const QStringList expected{QStringLiteral("Jansen \u20ac"),
                                   "1234,5",
                                   "10-05-2024",
                                   "10-05-2024",
                                   "0,520833333333333",
                                   "10-05-2024",
                                   "ONWAAR",
                                   "2469",
                                   QStringLiteral("Jansen \u20ac!")};
        for (int c = 1; c <= expected.size(); ++c)
            QCOMPARE(cellText(ws.readCell(2, c)), expected[c - 1]);
        QCOMPARE(ws.readCell(2, 3).kind, CellValue::Kind::Date);
        QCOMPARE(ws.readCell(2, 5).kind, CellValue::Kind::Number);
        QCOMPARE(cellText(ws.readCell(10, 1)), QStringLiteral("NL91ABNA0417164300"));
        // Read in place or through its text, a cell compares as its trimmed text.
        for (int c = 1; c <= expected.size(); ++c) {
            QVERIFY2(ws.cellTextIs(2, c, expected[c - 1], Dutch), qPrintable(expected[c - 1]));
            QVERIFY(!ws.cellTextIs(2, c, expected[c - 1].chopped(1), Dutch));
        }
        QVERIFY(ws.cellTextIs(2, 10, u"RCUR", Dutch));
        QVERIFY(!ws.cellTextIs(2, 10, u" \tRCUR  ", Dutch));
        QVERIFY(ws.cellTextIs(3, 1, u"", Dutch) && ws.cellTextIs(2, 0, u"", Dutch));
    }

    // --- Package details no everyday writer produces ---------------------

    void readsUnusualSheetXml_data()
    {
        QTest::addColumn<QString>("sheetData");
        QTest::addColumn<QString>("shared");
        QTest::addColumn<QString>("ref"); // row,column
        QTest::addColumn<CellValue::Kind>("kind");
        QTest::addColumn<QString>("text");
        using K = CellValue::Kind;
        const QString noRefs =
            QString::fromUtf8("<row><c t=\"inlineStr\"><is><t>a</t></is></c><c><v>2</v></c></row>"
                              "<row><c><v>3</v></c></row><row r=\"7\"><c r=\"D7\"><v>4</v></c><c><v>5</v></c></row>");
        QTest::newRow("no r: first cell") << noRefs << QString() << "1,1" << K::Text << "a";
        QTest::newRow("no r: next column") << noRefs << QString() << "1,2" << K::Number << "2";
        QTest::newRow("no r: next row") << noRefs << QString() << "2,1" << K::Number << "3";
        QTest::newRow("after a reference") << noRefs << QString() << "7,5" << K::Number << "5";
        QTest::newRow("cell reference without row")
            << "<row r=\"3\"><c r=\"B\"><v>9</v></c></row>" << QString() << "3,2" << K::Number << "9";
        const QString unordered =
            QString::fromUtf8("<row r=\"5\"><c r=\"B5\"><v>2</v></c><c r=\"A5\"><v>1</v></c></row>"
                              "<row r=\"2\"><c r=\"A2\"><v>7</v></c><c r=\"A2\"><v>8</v></c></row>");
        QTest::newRow("rows out of order") << unordered << QString() << "5,1" << K::Number << "1";
        QTest::newRow("a repeated cell: the later wins") << unordered << QString() << "2,1" << K::Number << "8";
        QTest::newRow("prefixed elements")
            << QString::fromUtf8("<x:row xmlns:x=\"urn:x\" r=\"1\"><x:c r=\"A1\" t=\"s\"><x:v>0</x:v></x:c></x:row>")
            << QString::fromUtf8("<si><t>voorvoegsel</t></si>") << "1,1" << K::Text << "voorvoegsel";
        const QString shared =
            QString::fromUtf8("<si><t xml:space=\"preserve\"> Jan </t></si>"
                              "<si><r><rPr><b/></rPr><t>de</t></r><r><t xml:space=\"preserve\"> Vries</t></r>"
                              "<rPh sb=\"0\" eb=\"1\"><t>ignored</t></rPh></si>"
                              "<si><t>_x005F_x0041_ en _x0042_</t></si>");
        QTest::newRow("shared string keeps blanks")
            << QString::fromUtf8("<row><c t=\"s\"><v>0</v></c></row>") << shared << "1,1" << K::Text << " Jan ";
        QTest::newRow("rich text without reading aid")
            << QString::fromUtf8("<row><c t=\"s\"><v>1</v></c></row>") << shared << "1,1" << K::Text << "de Vries";
        QTest::newRow("shared string escapes")
            << QString::fromUtf8("<row><c t=\"s\"><v>2</v></c></row>") << shared << "1,1" << K::Text << "_x0041_ en B";
        QTest::newRow("error value") << QString::fromUtf8("<row><c t=\"e\"><v>#REF!</v></c></row>") << QString()
                                     << "1,1" << K::Error << "<fout #REF!>";
        QTest::newRow("boolean") << QString::fromUtf8("<row><c t=\"b\"><v>1</v></c></row>") << QString() << "1,1"
                                 << K::Boolean << "WAAR";
        QTest::newRow("boolean formula") << QString::fromUtf8("<row><c t=\"b\"><f>1=1</f><v>0</v></c></row>")
                                         << QString() << "1,1" << K::Boolean << "ONWAAR";
        QTest::newRow("formula without v")
            << QString::fromUtf8("<row><c><f>A2*2</f></c></row>") << QString() << "1,1" << K::Error << "<fout >";
        QTest::newRow("formula with empty v") << QString::fromUtf8("<row><c t=\"str\"><f>A2</f></c></row>") << QString()
                                              << "1,1" << K::Error << "<fout >";
        QTest::newRow("ISO date cell") << QString::fromUtf8("<row><c t=\"d\"><v>2024-05-10T00:00:00Z</v></c></row>")
                                       << QString() << "1,1" << K::Date << "10-05-2024";
        QTest::newRow("bad ISO date") << QString::fromUtf8("<row><c t=\"d\"><v>gisteren</v></c></row>") << QString()
                                      << "1,1" << K::Other << "gisteren";
        QTest::newRow("built-in date style") << QString::fromUtf8("<row><c s=\"1\"><v>45422</v></c></row>") << QString()
                                             << "1,1" << K::Date << "10-05-2024";
        QTest::newRow("custom date style") << QString::fromUtf8("<row><c s=\"2\"><v>45422.75</v></c></row>")
                                           << QString() << "1,1" << K::Date << "10-05-2024";
        QTest::newRow("time style") << QString::fromUtf8("<row><c s=\"3\"><v>0.5</v></c></row>") << QString() << "1,1"
                                    << K::Number << "0,5";
        QTest::newRow("unknown style") << QString::fromUtf8("<row><c s=\"99\"><v>7</v></c></row>") << QString() << "1,1"
                                       << K::Number << "7";
        QTest::newRow("first of January 1900")
            << QString::fromUtf8("<row><c s=\"1\"><v>1</v></c></row>") << QString() << "1,1" << K::Date << "01-01-1900";
        QTest::newRow("first of March 1900") << QString::fromUtf8("<row><c s=\"1\"><v>61</v></c></row>") << QString()
                                             << "1,1" << K::Date << "01-03-1900";
        QTest::newRow("styled cell without value")
            << QString::fromUtf8("<row><c s=\"2\"/></row>") << QString() << "1,1" << K::Empty << "";
        QTest::newRow("number with blanks")
            << QString::fromUtf8("<row><c><v> 1.5E3 </v></c></row>") << QString() << "1,1" << K::Number << "1500";
    }
    void readsUnusualSheetXml()
    {
        QFETCH(QString, sheetData);
        QFETCH(QString, shared);
        QFETCH(QString, ref);
        QFETCH(CellValue::Kind, kind);
        QFETCH(QString, text);
        const QString path = oneSheet(QStringLiteral("unusual.xlsx"), sheetData.toUtf8(),
                                      shared.isNull() ? QByteArray() : shared.toUtf8());
        const CellValue value = readCell(path, QStringLiteral("Blad1"), ref.section(QLatin1Char(','), 0, 0).toInt(),
                                         ref.section(QLatin1Char(','), 1).toInt());
        QCOMPARE(value.kind, kind);
        QCOMPARE(cellText(value), text);
    }

    void ignoresAWrongDimension()
    {
        QList<ZipPart> parts = PackageParts({{QStringLiteral("Blad1"), {}, {}}});
        SetPart(parts, "xl/worksheets/sheet1.xml",
                "<worksheet><dimension ref=\"A1:B2\"/><sheetData><row r=\"9\"><c r=\"C9\"><v>1</v></c></row>"
                "</sheetData></worksheet>");
        const QString path = package(QStringLiteral("dimension.xlsx"), parts);
        WorkbookService service;
        const TWorksheet ws(service, path, QStringLiteral("Blad1"), false);
        QCOMPARE(ws.TotalNoRows, 9);
        QCOMPARE(ws.readCell(9, 3).number, 1.0);
    }

    void readsALargeSheet_data()
    {
        QTest::addColumn<bool>("broken");
        QTest::newRow("whole") << false;
        QTest::newRow("broken at the end") << true;
    }
    void readsALargeSheet()
    {
        // Large enough to be inflated beside the parser.
        QFETCH(bool, broken);
        constexpr int rows = 100000;
        QByteArray data;
        for (int r = 1; r <= rows; ++r) {
            const QByteArray n = QByteArray::number(r);
            data += "<row r=\"" + n + "\"><c r=\"A" + n + "\" t=\"inlineStr\"><is><t>naam " + n +
                    "</t></is></c><c r=\"B" + n + "\"><v>" + n + ".5</v></c></row>\n";
        }
        if (broken)
            data += "<row>";
        QVERIFY(data.size() > 4 * 1024 * 1024);
        const QString path = oneSheet(QStringLiteral("groot.xlsx"), data);
        WorkbookService service;
        std::optional<TWorksheet> ws;
        const QString error = errorOf([&] { ws.emplace(service, path, QStringLiteral("Blad1"), true); });
        if (broken) {
            QVERIFY2(error.endsWith(QStringLiteral("bevat ongeldige XML (regel %1).").arg(rows + 1)),
                     qPrintable(error));
            return;
        }
        QCOMPARE(error, QString());
        QCOMPARE(ws->TotalNoRows, rows);
        QCOMPARE(ws->readCell(rows, 1).text, QStringLiteral("naam %1").arg(rows));
        QCOMPARE(ws->readCell(54321, 2).number, 54321.5);
    }

    void takesSheetNamesFromTheWorkbookNotThePartNames()
    {
        QList<ZipPart> parts = PackageParts({{QStringLiteral("Eerste"), "<row><c><v>1</v></c></row>", {}},
                                             {QStringLiteral("Tweede"), "<row><c><v>2</v></c></row>", {}}});
        const QByteArray rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
        // Parts in the opposite order, one absolute and one with "..", and a chart sheet between them.
        SetPart(parts, "xl/_rels/workbook.xml.rels",
                "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
                "<Relationship Id=\"rId1\" Type=\"" +
                    rel + "/worksheet\" Target=\"/xl/worksheets/sheet2.xml\"/><Relationship Id=\"rId2\" Type=\"" + rel +
                    "/worksheet\" Target=\"../xl/worksheets/sheet1.xml\"/><Relationship Id=\"rId3\" Type=\"" + rel +
                    "/chartsheet\" Target=\"chartsheets/sheet1.xml\"/></Relationships>");
        SetPart(parts, "xl/workbook.xml",
                "<workbook xmlns:rel=\"" + rel +
                    "\"><sheets><sheet name=\"Eerste\" rel:id=\"rId1\"/><sheet name=\"Grafiek\" rel:id=\"rId3\"/>"
                    "<sheet name=\"Tweede\" rel:id=\"rId2\"/></sheets></workbook>");
        const QString path = package(QStringLiteral("order.xlsx"), parts);
        QCOMPARE(readCell(path, QStringLiteral("Eerste"), 1, 1).number, 2.0);
        QCOMPARE(readCell(path, QStringLiteral("Tweede"), 1, 1).number, 1.0);
        WorkbookService service;
        service.openWorkbook(path);
        QCOMPARE(service.worksheetNames(), QStringList({"Eerste", "Tweede"}));
    }

    void readsAWorkbookWithoutSharedStringsOrStyles()
    {
        QList<ZipPart> parts = PackageParts({{QStringLiteral("Blad1"), "<row><c s=\"1\"><v>45422</v></c></row>", {}}});
        SetPart(parts, "xl/styles.xml", {});
        const QString path = package(QStringLiteral("bare.xlsx"), parts);
        QCOMPARE(readCell(path, QStringLiteral("Blad1"), 1, 1).kind, CellValue::Kind::Number);
    }

    void recognisesTheFormatByContent()
    {
        // An .xlsx under another extension still opens as one.
        for (const QString &name : {QStringLiteral("hernoemd.xls"), QStringLiteral("macro.xlsm")}) {
            QFile::remove(temp(name));
            QVERIFY(QFile::copy(fixture(QStringLiteral("libreoffice.xlsx")), temp(name)));
            WorkbookService service;
            service.openWorkbook(temp(name));
            QCOMPARE(service.worksheetNames().size(), 5);
        }
        // A compound file goes to the .xls reader, whatever its extension.
        const QString xls =
            writeFile(QStringLiteral("oud.xlsx"), QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(504, '\0'));
        const QString error = errorOf([&] { WorkbookService().openWorkbook(xls); });
        QVERIFY2(error.contains(QDir::toNativeSeparators(xls)), qPrintable(error));
    }

    void takesTheXlsReadersSheets()
    {
        XlsBook book;
        book.sheets.append({QStringLiteral("Zichtbaar"),
                            false,
                            {{3, 2, CellValue::fromText(QStringLiteral("b"))},
                             {1, 1, CellValue::fromDate(45422)},
                             {1, 3, CellValue::formulaWithoutValue()},
                             {2, 1, CellValue::fromError(QStringLiteral("#N/A"))},
                             {5, 1, CellValue::empty()},
                             {3, 2, CellValue::fromNumber(7)}}});
        book.sheets.append({QStringLiteral("Verborgen"), true, {}});
        const std::unique_ptr<Workbook> wb = WorkbookFromXls(QStringLiteral("boek.xls"), book);
        QCOMPARE(wb->sheets().size(), 2);
        QCOMPARE(wb->sheets().at(1).name, QStringLiteral("Verborgen"));
        QVERIFY(wb->sheets().at(1).hidden);
        const SheetCells &cells = wb->cells(0);
        QCOMPARE(cells.lastRow(), 3); // an empty cell is no value
        QCOMPARE(cells.value(1, 1), CellValue::fromDate(45422));
        QVERIFY(cells.value(1, 3).isFormulaWithoutValue());
        QCOMPARE(cells.value(2, 1), CellValue::fromError(QStringLiteral("#N/A")));
        QCOMPARE(cells.value(3, 2), CellValue::fromNumber(7)); // the later of two wins
        QCOMPARE(wb->cells(1).lastRow(), 0);
    }

    // --- Bad files ------------------------------------------------------

    void reportsBadFiles_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("sheet"); // empty: only open the workbook; "a,b": open a, then b
        QTest::addColumn<QString>("message");

        const QString missing = temp(QStringLiteral("weg.xlsx"));
        QTest::newRow("missing file")
            << missing << QString()
            << QStringLiteral("Het bestand %1 bestaat niet.").arg(QDir::toNativeSeparators(missing));
        // Nothing is read from what is no regular file: a pipe would never end.
        const auto noWorkbook = [](const QString &p) -> QString {
            return QStringLiteral("Het bestand: ") + QDir::toNativeSeparators(p) + QStringLiteral("  is geen werkboek");
        };
        QTest::newRow("a folder") << m_dir.path() << QString() << noWorkbook(m_dir.path());
        QTest::newRow("a device") << QStringLiteral("/dev/null") << QString()
                                  << noWorkbook(QStringLiteral("/dev/null"));

        const auto notWorkbook = [](const QString &p) {
            return QStringLiteral("Het bestand %1 is geen Excel werkboek (.xlsx of .xls).")
                .arg(QDir::toNativeSeparators(p));
        };
        const auto damaged = [](const QString &p, const QString &what) {
            return QStringLiteral("Het werkboek %1 is beschadigd: %2.").arg(QDir::toNativeSeparators(p), what);
        };
        const QString csv = writeFile(QStringLiteral("csv.xlsx"), "Naam;Bedrag\nJansen;12,50\n");
        QTest::newRow("text file") << csv << QString() << notWorkbook(csv);
        const QString empty = writeFile(QStringLiteral("leeg.xlsx"), {});
        QTest::newRow("empty file") << empty << QString() << notWorkbook(empty);

        QFile lo(fixture(QStringLiteral("libreoffice.xlsx")));
        lo.open(QIODevice::ReadOnly);
        const QString cut = writeFile(QStringLiteral("half.xlsx"), lo.readAll().left(int(lo.size() / 2)));
        QTest::newRow("truncated zip") << cut << QString()
                                       << damaged(cut, QStringLiteral("het kan niet als zip-bestand worden gelezen"));

        const QString docx = package(QStringLiteral("brief.xlsx"), {{"word/document.xml", "<document/>"}});
        QTest::newRow("zip without workbook") << docx << QString() << notWorkbook(docx);

        QList<ZipPart> parts = PackageParts({{QStringLiteral("Blad1"), {}, {}}});
        SetPart(parts, "_rels/.rels", {});
        SetPart(parts, "xl/workbook.xml", {});
        const QString noBook = package(QStringLiteral("zonderboek.xlsx"), parts);
        QTest::newRow("workbook part missing")
            << noBook << QString() << damaged(noBook, QStringLiteral("het onderdeel xl/workbook.xml ontbreekt"));

        parts = PackageParts({{QStringLiteral("Blad1"), {}, {}}});
        SetPart(parts, "xl/_rels/workbook.xml.rels", {});
        const QString noRels = package(QStringLiteral("zonderrels.xlsx"), parts);
        QTest::newRow("relationships missing")
            << noRels << QString()
            << damaged(noRels, QStringLiteral("het onderdeel xl/_rels/workbook.xml.rels ontbreekt"));

        parts = PackageParts({{QStringLiteral("Blad1"), {}, {}}});
        SetPart(parts, "xl/worksheets/sheet1.xml", {});
        const QString noSheet = package(QStringLiteral("zonderblad.xlsx"), parts);
        QTest::newRow("sheet part missing")
            << noSheet << "Blad1"
            << damaged(noSheet, QStringLiteral("het werkblad \"Blad1\" (xl/worksheets/sheet1.xml) ontbreekt"));

        const QString badXml = oneSheet(QStringLiteral("slechtexml.xlsx"), "<row>\n<c><v>1</v></row>");
        QTest::newRow("malformed sheet XML")
            << badXml << "Blad1"
            << damaged(badXml, QStringLiteral(
                                   "het werkblad \"Blad1\" (xl/worksheets/sheet1.xml) bevat ongeldige XML (regel 2)"));

        parts = PackageParts({{QStringLiteral("Blad1"), {}, {}}});
        SetPart(parts, "xl/workbook.xml", "<workbook><sheets><sheet name=\"Blad1\"");
        const QString cutXml = package(QStringLiteral("afgebroken.xlsx"), parts);
        QTest::newRow("unfinished workbook XML")
            << cutXml << QString()
            << damaged(cutXml, QStringLiteral("het onderdeel xl/workbook.xml bevat ongeldige XML (regel 1)"));

        parts = PackageParts({{QStringLiteral("Blad1"), {}, {}}});
        SetPart(parts, "xl/workbook.xml",
                "<?xml version=\"1.0\"?><!DOCTYPE lol [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;\">]>"
                "<workbook><sheets><sheet name=\"&b;\" r:id=\"rId1\"/></sheets></workbook>");
        const QString laughs = package(QStringLiteral("entiteiten.xlsx"), parts);
        QTest::newRow("entity expansion")
            << laughs << QString()
            << damaged(laughs, QStringLiteral("het onderdeel xl/workbook.xml bevat een niet toegestane DTD"));

        QByteArray padding(20 * 1024 * 1024, ' ');
        const QString bomb = oneSheet(QStringLiteral("bom.xlsx"), padding);
        padding.clear();
        QTest::newRow("zip bomb")
            << bomb << "Blad1"
            << QStringLiteral(
                   "Het werkboek %1 wordt niet gelezen: het werkblad \"Blad1\" (xl/worksheets/sheet1.xml) "
                   "zou uitgepakt meer dan 400 keer zo groot worden als ingepakt. Het bestand is beschadigd of "
                   "opzettelijk misvormd.")
                   .arg(QDir::toNativeSeparators(bomb));

        const QString badIndex =
            oneSheet(QStringLiteral("index.xlsx"), "<row r=\"4\"><c r=\"C4\" t=\"s\"><v>3</v></c></row>",
                     "<si><t>enige</t></si>");
        QTest::newRow("shared string out of range")
            << badIndex << "Blad1"
            << damaged(badIndex,
                       QStringLiteral("het werkblad \"Blad1\" (xl/worksheets/sheet1.xml) cel C4 verwijst naar "
                                      "een gedeelde tekst die niet bestaat"));
        parts = PackageParts({{QStringLiteral("Blad1"), "<row><c t=\"s\"><v>0</v></c></row>", {}}}, "<si/>");
        SetPart(parts, "xl/sharedStrings.xml", {});
        const QString noShared = package(QStringLiteral("zondertekst.xlsx"), parts);
        QTest::newRow("shared strings missing")
            << noShared << "Blad1" << damaged(noShared, QStringLiteral("het onderdeel xl/sharedStrings.xml ontbreekt"));
        const QString laterSheet =
            package(QStringLiteral("later.xlsx"),
                    PackageParts({{QStringLiteral("Eerste"), "<row><c t=\"s\"><v>0</v></c></row>", {}},
                                  {QStringLiteral("Tweede"), "<row><c r=\"B1\" t=\"s\"><v>1</v></c></row>", {}}},
                                 "<si><t>enige</t></si>"));
        QTest::newRow("shared string out of range on a later sheet")
            << laterSheet << "Eerste,Tweede"
            << damaged(laterSheet, QStringLiteral("het werkblad \"Tweede\" (xl/worksheets/sheet2.xml) cel B1 verwijst "
                                                  "naar een gedeelde tekst die niet bestaat"));
        const QString badRef = oneSheet(QStringLiteral("ref.xlsx"), "<row><c r=\"1A\"><v>3</v></c></row>");
        QTest::newRow("bad cell reference")
            << badRef << "Blad1"
            << damaged(badRef, QStringLiteral("het werkblad \"Blad1\" (xl/worksheets/sheet1.xml) heeft een ongeldige "
                                              "celverwijzing \"1A\""));
        // A sheet ends at row 1048576; a row beyond it would have the callers visit billions of rows.
        const QString farRow = oneSheet(QStringLiteral("verrij.xlsx"), "<row r=\"2147483647\"><c><v>3</v></c></row>");
        QTest::newRow("row beyond the last sheet row")
            << farRow << "Blad1"
            << damaged(farRow, QStringLiteral("het werkblad \"Blad1\" (xl/worksheets/sheet1.xml) heeft een ongeldig "
                                              "rijnummer \"2147483647\""));
        const QString farRef = oneSheet(QStringLiteral("vercel.xlsx"), "<row><c r=\"A1048577\"><v>3</v></c></row>");
        QTest::newRow("cell beyond the last sheet row")
            << farRef << "Blad1"
            << damaged(farRef, QStringLiteral("het werkblad \"Blad1\" (xl/worksheets/sheet1.xml) heeft een ongeldige "
                                              "celverwijzing \"A1048577\""));
        const QString badNumber = oneSheet(QStringLiteral("getal.xlsx"), "<row><c r=\"B2\"><v>12,5</v></c></row>");
        QTest::newRow("bad number") << badNumber << "Blad1"
                                    << damaged(badNumber,
                                               QStringLiteral(
                                                   "het werkblad \"Blad1\" (xl/worksheets/sheet1.xml) cel B2 bevat het "
                                                   "ongeldige getal \"12,5\""));

        // What a small file may make the reader keep or parse.
        const QByteArray longText(40000, 'x');
        const QString longInline =
            oneSheet(QStringLiteral("langetekst.xlsx"),
                     "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>" + longText + "</t></is></c></row>");
        QTest::newRow("cell text beyond 32,767 characters")
            << longInline << "Blad1"
            << damaged(longInline, QStringLiteral("het werkblad \"Blad1\" (xl/worksheets/sheet1.xml) cel A2 bevat een "
                                                  "tekst van meer dan 32.767 tekens"));
        // Counted once decoded: 32,000 letters and 768 escapes are 32,768 characters.
        const QString escapes =
            oneSheet(QStringLiteral("escapes.xlsx"), "<row><c r=\"C1\" t=\"str\"><v>" + QByteArray(32000, 'a') +
                                                         QByteArray("_x0041_").repeated(768) + "</v></c></row>");
        QTest::newRow("escaped text beyond 32,767 characters")
            << escapes << "Blad1"
            << damaged(escapes, QStringLiteral("het werkblad \"Blad1\" (xl/worksheets/sheet1.xml) cel C1 bevat een "
                                               "tekst van meer dan 32.767 tekens"));
        const QString escapedShared = oneSheet(
            QStringLiteral("gedeelde-escapes.xlsx"),
            "<row r=\"4\"><c r=\"C4\" t=\"s\"><v>0</v></c><c r=\"D4\" t=\"s\"><v>1</v></c></row>",
            "<si><t>a</t></si><si><t>" + QByteArray(32000, 'a') + QByteArray("_x0041_").repeated(768) + "</t></si>");
        QTest::newRow("escaped shared text beyond 32,767 characters")
            << escapedShared << "Blad1"
            << damaged(escapedShared, QStringLiteral("het werkblad \"Blad1\" (xl/worksheets/sheet1.xml) cel D4 bevat "
                                                     "een tekst van meer dan 32.767 tekens"));
        // 300 MB of text that packs 290 times: below the ratio check, refused at the cell's limit.
        const QByteArray letters = LetterText(1024 * 1024, 1024);
        const BigZipPart hugeShared{
            "xl/sharedStrings.xml", {{"<sst><si><t>a</t></si><si><t>", 1}, {letters, 300}, {"</t></si></sst>", 1}}, -1};
        const QString usedShared =
            bigPackage(QStringLiteral("gedeeld.xlsx"),
                       "<row r=\"7\"><c r=\"A7\" t=\"s\"><v>0</v></c><c r=\"B7\" t=\"s\"><v>1</v>"
                       "</c></row>",
                       "<si/>", hugeShared);
        QTest::newRow("shared string of 300 MB")
            << usedShared << "Blad1"
            << damaged(usedShared, QStringLiteral("het werkblad \"Blad1\" (xl/worksheets/sheet1.xml) cel B7 bevat een "
                                                  "tekst van meer dan 32.767 tekens"));
        const QString unusedShared =
            bigPackage(QStringLiteral("ongebruikt.xlsx"), "<row><c t=\"s\"><v>0</v></c></row>", "<si/>", hugeShared);
        QTest::newRow("shared string of 300 MB that no cell uses")
            << unusedShared << "Blad1"
            << damaged(unusedShared,
                       QStringLiteral("het onderdeel xl/sharedStrings.xml bevat een tekst van meer dan 32.767 tekens"));
        // 45 MB of long texts, packed some 300 times: below the ratio check, refused for the 90 MB they keep.
        BigZipPart manyCells{
            "xl/worksheets/sheet1.xml",
            {{"<worksheet><sheetData>", 1},
             {"<row><c t=\"inlineStr\"><is><t>" + LetterText(32000, 1024) + "</t></is></c></row>", 1400},
             {"</sheetData></worksheet>", 1}},
            -1};
        const QString many = bigPackage(QStringLiteral("veel.xlsx"), {}, {}, manyCells);
        QTest::newRow("many cells in a small file")
            << many << "Blad1"
            << QStringLiteral(
                   "Het werkboek %1 wordt niet gelezen: het werkblad \"Blad1\" (xl/worksheets/sheet1.xml) zou "
                   "meer dan %2 MB geheugen vragen. Het bestand is beschadigd of opzettelijk misvormd.")
                   .arg(QDir::toNativeSeparators(many))
                   .arg(ReadLimits::KeptLimit(std::uint64_t(QFileInfo(many).size())) / ReadLimits::MiB);
        // The same behind headers that say 1 MB: refused once more than that comes out.
        manyCells.claimedSize = 1024 * 1024;
        const QString lying = bigPackage(QStringLiteral("liegt.xlsx"), {}, {}, manyCells);
        QTest::newRow("lying size")
            << lying << "Blad1"
            << damaged(lying, QStringLiteral("het werkblad \"Blad1\" (xl/worksheets/sheet1.xml) wordt groter uitgepakt "
                                             "dan het zip-bestand opgeeft"));
        const QString attribute =
            oneSheet(QStringLiteral("attribuut.xlsx"), "<row x=\"" + LetterText(5 * 1024 * 1024, 256) + "\"/>");
        QTest::newRow("attribute of 5 MB")
            << attribute << "Blad1"
            << damaged(attribute, QStringLiteral("het werkblad \"Blad1\" (xl/worksheets/sheet1.xml) bevat een "
                                                 "XML-element van meer dan 4 MB"));
        // A '>' every kilobyte: one token all the same, which expat would keep whole and rescan.
        const QString comment =
            oneSheet(QStringLiteral("commentaar.xlsx"),
                     "<row r=\"1\"/><!--" + QByteArray(LetterText(1023, 64) + '>').repeated(5 * 1024) + "-->");
        QTest::newRow("comment of 5 MB with '>' in it")
            << comment << "Blad1"
            << damaged(comment, QStringLiteral("het werkblad \"Blad1\" (xl/worksheets/sheet1.xml) bevat een "
                                               "XML-element van meer dan 4 MB"));
        const QString deep =
            oneSheet(QStringLiteral("diep.xlsx"), QByteArray("<x>").repeated(300) + QByteArray("</x>").repeated(300));
        QTest::newRow("elements nested 300 deep")
            << deep << "Blad1"
            << damaged(deep, QStringLiteral("het werkblad \"Blad1\" (xl/worksheets/sheet1.xml) heeft XML die dieper "
                                            "dan 256 niveaus genest is"));
        parts = PackageParts({{QStringLiteral("Blad1"), {}, {}}});
        SetPart(parts, "xl/workbook.xml",
                "<workbook><sheets>" + QByteArray("<sheet/>").repeated(65536) + "</sheets></workbook>");
        const QString sheets = package(QStringLiteral("bladen.xlsx"), parts);
        QTest::newRow("65,536 sheets")
            << sheets << QString()
            << damaged(sheets, QStringLiteral("het onderdeel xl/workbook.xml heeft meer dan 65535 werkbladen"));
        const QString longName = package(QStringLiteral("naam.xlsx"), PackageParts({{QString(256, u'n'), {}, {}}}));
        QTest::newRow("sheet name of 256 characters")
            << longName << QString()
            << damaged(longName, QStringLiteral("het onderdeel xl/workbook.xml heeft een werkbladnaam van meer dan 255 "
                                                "tekens"));
        const QString longNumber = oneSheet(QStringLiteral("lang-getal.xlsx"),
                                            "<row><c r=\"B2\"><v>1" + QByteArray(300, '0') + "x</v></c></row>");
        QTest::newRow("bad number, shown in part")
            << longNumber << "Blad1"
            << damaged(longNumber, QStringLiteral("het werkblad \"Blad1\" (xl/worksheets/sheet1.xml) cel B2 bevat het "
                                                  "ongeldige getal \"1%1\u2026 (302 tekens)\"")
                                       .arg(QString(199, u'0')));

        const QString ods =
            package(QStringLiteral("rekenblad.xlsx"), {{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
                                                       {"content.xml", "<office:document-content/>"}});
        QTest::newRow("OpenDocument")
            << ods << QString()
            << QStringLiteral("Het bestand %1 is een OpenDocument rekenblad (.ods), dat niet kan worden gelezen. "
                              "Sla het op als Excel werkboek (.xlsx).")
                   .arg(QDir::toNativeSeparators(ods));
        parts = PackageParts({});
        SetPart(parts, "_rels/.rels",
                "<Relationships><Relationship Id=\"r\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
                "relationships/officeDocument\" Target=\"xl/workbook.bin\"/></Relationships>");
        const QString xlsb = package(QStringLiteral("binair.xlsb"), parts);
        QTest::newRow("binary workbook")
            << xlsb << QString()
            << QStringLiteral("Het bestand %1 is een binair Excel werkboek (.xlsb), dat niet kan worden gelezen. "
                              "Sla het in Excel op als .xlsx.")
                   .arg(QDir::toNativeSeparators(xlsb));

        const QString lofile = fixture(QStringLiteral("libreoffice.xlsx"));
        QTest::newRow("sheet name not in the workbook")
            << lofile << "datums"
            << QStringLiteral("Het werkblad \"datums\" bestaat niet in werkboek %1.")
                   .arg(QDir::toNativeSeparators(lofile));
    }
    void reportsBadFiles()
    {
        QFETCH(QString, path);
        QFETCH(QString, sheet);
        QFETCH(QString, message);
        WorkbookService service;
        const QString error = errorOf([&] {
            if (sheet.isEmpty())
                service.openWorkbook(path);
            for (const QString &name : sheet.split(QLatin1Char(','), Qt::SkipEmptyParts))
                TWorksheet(service, path, name, false);
        });
        QCOMPARE(error, message);
    }

    void reportsCorruptedData()
    {
        // Damage in the middle of the packed sheet: the zip directory is still fine.
        QByteArray data;
        for (int r = 1; r <= 3000; ++r)
            data += "<row><c><v>" + QByteArray::number(r * 7919 % 100003) + "</v></c></row>";
        const QString path = oneSheet(QStringLiteral("kapotgepakt.xlsx"), data);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QByteArray bytes = file.readAll();
        const int start = int(bytes.indexOf("xl/worksheets/sheet1.xml")) + 200;
        for (int i = start; i < start + 64; ++i)
            bytes[i] = char(~bytes[i]);
        file.seek(0);
        file.write(bytes);
        file.close();
        const QString error = errorOf([&] { readCell(path, QStringLiteral("Blad1"), 1, 1); });
        QVERIFY2(error.startsWith(QStringLiteral("Het werkboek %1 is beschadigd: het werkblad \"Blad1\"")
                                      .arg(QDir::toNativeSeparators(path))),
                 qPrintable(error));
    }

    // --- The service and the worksheet reader ----------------------------

    void parsesASheetOnceAcrossOpenings()
    {
        const QString path = temp(QStringLiteral("cache.xlsx"));
        QVERIFY(QFile::copy(fixture(QStringLiteral("libreoffice.xlsx")), path));
        WorkbookService service;
        for (int i = 0; i < 3; ++i) {
            const TWorksheet ws(service, path, QStringLiteral("Tabel"), true);
            QCOMPARE(ws.readCell(2, 1).text, QStringLiteral("Jansen"));
        }
        QCOMPARE(service.sheetReads(), 1);
        QCOMPARE(service.workbookCount(), 0);

        // Starting anew closes the workbooks but keeps what was read.
        QVERIFY(service.attach());
        service.openWorkbook(path);
        service.startAnew();
        QCOMPARE(service.workbookCount(), 0);
        TWorksheet(service, path, QStringLiteral("Tabel"), true);
        QCOMPARE(service.sheetReads(), 1);
        // Quitting forgets it.
        service.quit();
        TWorksheet(service, path, QStringLiteral("Tabel"), true);
        QCOMPARE(service.sheetReads(), 2);
        service.quit();

        // A changed file is read again.
        QVERIFY(WriteZip(path, PackageParts({{QStringLiteral("Tabel"),
                                              "<row r=\"2\"><c t=\"inlineStr\"><is><t>Nieuw"
                                              "</t></is></c></row>",
                                              {}}})));
        QFile(path).setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
        const TWorksheet ws(service, path, QStringLiteral("Tabel"), true);
        QCOMPARE(ws.readCell(2, 1).text, QStringLiteral("Nieuw"));
        QCOMPARE(service.sheetReads(), 3);
    }

    void readsOnlyTheSheetsItNeeds()
    {
        QList<ZipPart> parts = PackageParts(
            {{QStringLiteral("Goed"), "<row><c><v>1</v></c></row>", {}}, {QStringLiteral("Kapot"), "<row>", {}}});
        const QString path = package(QStringLiteral("halfkapot.xlsx"), parts);
        WorkbookService service;
        service.openWorkbook(path);
        QCOMPARE(service.worksheetNames().size(), 2);
        QCOMPARE(service.sheetReads(), 0);
        QCOMPARE(TWorksheet(service, path, QStringLiteral("Goed"), false).readCell(1, 1).number, 1.0);
        QVERIFY(errorOf([&] {
                    TWorksheet(service, path, QStringLiteral("Kapot"), false);
                }).contains(QStringLiteral("ongeldige XML")));
        QCOMPARE(service.sheetReads(), 1);
    }

    // What is kept is one sheet of the workbook in use: switching sheets, or
    // reading another workbook, reads the earlier one again when it is asked for.
    void keepsOneSheetOfOneWorkbook()
    {
        const QString a = package(QStringLiteral("een.xlsx"),
                                  PackageParts({{QStringLiteral("A1"), "<row><c><v>1</v></c></row>", {}},
                                                {QStringLiteral("A2"), "<row><c><v>2</v></c></row>", {}}}));
        const QString b = package(QStringLiteral("twee.xlsx"),
                                  PackageParts({{QStringLiteral("B1"), "<row><c><v>3</v></c></row>", {}}}));
        WorkbookService service;
        const auto firstCell = [&](const QString &path, const QString &sheet) {
            const TWorksheet ws(service, path, sheet, false);
            return ws.readCell(1, 1).number;
        };
        firstCell(a, QStringLiteral("A1"));
        QCOMPARE(firstCell(a, QStringLiteral("A2")), 2.0);
        QCOMPARE(firstCell(a, QStringLiteral("A1")), 1.0);
        QCOMPARE(service.sheetReads(), 3);
        firstCell(a, QStringLiteral("A1")); // still kept
        QCOMPARE(service.sheetReads(), 3);
        QCOMPARE(firstCell(b, QStringLiteral("B1")), 3.0);
        QCOMPARE(firstCell(a, QStringLiteral("A1")), 1.0);
        QCOMPARE(service.sheetReads(), 5);
    }

    void openedSheetDescribesItself()
    {
        const QString path = fixture(QStringLiteral("libreoffice.xlsx"));
        WorkbookService service;
        {
            const TWorksheet ws(service, path, QStringLiteral("Waarden"), true);
            QCOMPARE(ws.WorkbookName, path);
            QCOMPARE(ws.WorkSheetname, QStringLiteral("Waarden"));
            QVERIFY(ws.KolomHeadings);
            QCOMPARE(ws.TotalNoRows, 15);
            QCOMPARE(service.workbookCount(), 1);
        }
        QCOMPARE(service.workbookCount(), 0);
        QVERIFY(!errorOf([&] { service.worksheetNames(); }).isEmpty());
    }

    // Each sheet closes its own workbook when it goes, also when an error ends
    // the work, whichever workbook was opened last.
    void eachSheetClosesItsOwnWorkbook()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("eigen"));
        const QString a = package(QStringLiteral("eigen/a.xlsx"),
                                  PackageParts({{QStringLiteral("Blad1"), "<row><c><v>1</v></c></row>", {}}}));
        const QString b = package(QStringLiteral("eigen/b.xlsx"),
                                  PackageParts({{QStringLiteral("Blad1"), "<row><c><v>2</v></c></row>", {}}}));
        WorkbookService service;
        auto first = std::make_unique<TWorksheet>(service, a, QStringLiteral("Blad1"), false);
        const QString error = errorOf([&] {
            const TWorksheet second(service, b, QStringLiteral("Blad1"), false);
            QCOMPARE(service.workbookCount(), 2);
            second.readCell(0, 1);
        });
        QVERIFY2(error.startsWith(QStringLiteral("Cel (0, 1) bestaat niet")), qPrintable(error));
        QCOMPARE(service.workbookCount(), 1);
        QCOMPARE(service.workbookName(1), QStringLiteral("a.xlsx"));
        QCOMPARE(first->readCell(1, 1).number, 1.0);

        const TWorksheet second(service, b, QStringLiteral("Blad1"), false);
        first.reset();
        QCOMPARE(service.workbookCount(), 1);
        QCOMPARE(service.workbookName(1), QStringLiteral("b.xlsx"));
        QCOMPARE(second.readCell(1, 1).number, 2.0);
    }

    void lastMatchWins()
    {
        // Two sheets of one name: the later one is used.
        const QString sheets = package(QStringLiteral("dubbel.xlsx"),
                                       PackageParts({{QStringLiteral("Blad"), "<row><c><v>1</v></c></row>", {}},
                                                     {QStringLiteral("Blad"), "<row><c><v>2</v></c></row>", {}}}));
        QCOMPARE(readCell(sheets, QStringLiteral("Blad"), 1, 1).number, 2.0);

        // Two open workbooks of one file name in different folders: the later one is activated.
        QDir(m_dir.path()).mkpath(QStringLiteral("a"));
        QDir(m_dir.path()).mkpath(QStringLiteral("b"));
        const QString a = package(QStringLiteral("a/boek.xlsx"),
                                  PackageParts({{QStringLiteral("Blad1"), "<row><c><v>1</v></c></row>", {}}}));
        const QString b = package(QStringLiteral("b/boek.xlsx"),
                                  PackageParts({{QStringLiteral("Blad1"), "<row><c><v>2</v></c></row>", {}}}));
        WorkbookService service;
        service.openWorkbook(b);
        service.openWorkbook(a);
        service.openWorkbook(b); // already open: only activated
        QCOMPARE(service.workbookCount(), 2);
        {
            const TWorksheet ws(service, QStringLiteral("boek.xlsx"), QStringLiteral("Blad1"), false);
            QCOMPARE(ws.readCell(1, 1).number, 1.0);
            QCOMPARE(service.workbookCount(), 2);
        }
        QCOMPARE(service.workbookCount(), 1);
        QCOMPARE(service.workbookName(1), QStringLiteral("boek.xlsx"));
    }

    void neverWritesTheWorkbook()
    {
        const QString path = fixture(QStringLiteral("libreoffice.xlsx"));
        const QByteArray before = fileHash(path);
        const QDateTime modified = QFileInfo(path).lastModified();
        WorkbookService service;
        TWorksheet(service, path, QStringLiteral("Datums"), false).readCell(2, 2);
        service.quit();
        QCOMPARE(fileHash(path), before);
        QCOMPARE(QFileInfo(path).lastModified(), modified);
    }
};

QTEST_GUILESS_MAIN(TestWorkbook)
#include "TestWorkbook.moc"
