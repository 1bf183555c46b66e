#include "model/Error.h"
#include "util/TestPaths.h"
#include "util/XlsBuilders.h"
#include "workbook/xls/CompoundFile.h"
#include "workbook/xls/XlsReader.h"

#include <QDate>
#include <QFile>
#include <QTest>
#include <QtEndian>

#include <cmath>

Q_DECLARE_METATYPE(CellValue)

namespace {

QString fixture(const QString &name)
{
    return testData(QStringLiteral("xls/") + name);
}

QByteArray fixtureBytes(const QString &name)
{
    QFile file(fixture(name));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture");
    return file.readAll();
}

double serial(int y, int m, int d, double hours = 0)
{
    return SerialFromDate(QDate(y, m, d)) + hours / 24.0;
}

const XlsSheet *sheetNamed(const XlsBook &book, const QString &name)
{
    for (const XlsSheet &sheet : book.sheets) {
        if (sheet.name == name)
            return &sheet;
    }
    return nullptr;
}

CellValue cellAt(const XlsSheet &sheet, int row, int col)
{
    for (const XlsCell &cell : sheet.cells) {
        if (cell.row == row && cell.col == col)
            return cell.value;
    }
    return {};
}

// The reader's message for a call, or an empty text when it did not throw.
template <typename F> QString errorOf(F &&read)
{
    try {
        read();
    } catch (const KwError &e) {
        return e.message();
    }
    return {};
}

QString damagedMessage(const QString &path, const QString &fault)
{
    return QStringLiteral("Het werkboek %1 is beschadigd en kan niet worden gelezen (%2). Open het in Excel en sla "
                          "het opnieuw op, of vraag om een nieuw exemplaar.")
        .arg(path, fault);
}

const QString Crafted = QStringLiteral("crafted.xls");

QByteArray wrap(const QByteArray &workbookStream)
{
    return BuildCompoundFile({{QStringLiteral("Workbook"), workbookStream}});
}

// The cell values of a whole book as text, to compare books at a glance.
QString describe(const XlsBook &book)
{
    QString out;
    for (const XlsSheet &sheet : book.sheets) {
        out += sheet.name + (sheet.hidden ? QStringLiteral(" (verborgen)\n") : QStringLiteral("\n"));
        for (const XlsCell &c : sheet.cells) {
            out += QStringLiteral("%1,%2 %3 %4 %5\n")
                       .arg(c.row)
                       .arg(c.col)
                       .arg(int(c.value.kind))
                       .arg(c.value.number, 0, 'g', 17)
                       .arg(c.value.text);
        }
    }
    return out;
}

// The workbook stream of a real file, to be packed anew in crafted containers.
QByteArray xlwtStream()
{
    static const QByteArray stream =
        CompoundFile(fixtureBytes(QStringLiteral("xlwt.xls")), Crafted).stream(QStringLiteral("Workbook"));
    return stream;
}

QByteArray sst(const QByteArray &body)
{
    return Biff::record(0x00FC, body);
}

QByteArray labelSst(quint16 row, quint16 col, quint32 index)
{
    return Biff::record(0x00FD, Biff::cell(row, col) + Biff::u32(index));
}

QByteArray number(quint16 row, quint16 col, double v)
{
    return Biff::record(0x0203, Biff::cell(row, col) + Biff::f64(v));
}

QByteArray utf16(const QString &s)
{
    QByteArray b;
    for (QChar c : s)
        b += Biff::u16(c.unicode());
    return b;
}

const QByteArray StringResult = QByteArray("\x00\x00\x00\x00\x00\x00\xFF\xFF", 8);
const QByteArray EmptyTextResult = QByteArray("\x03\x00\x00\x00\x00\x00\xFF\xFF", 8);

} // namespace

class TestXls final : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsCells_data();
    void readsCells();
    void listsSheets_data();
    void listsSheets();
    void leavesEmptyRowsOut();
    void readsCraftedRecords_data();
    void readsCraftedRecords();
    void readsOtherContainerLayouts_data();
    void readsOtherContainerLayouts();
    void rejectsBrokenFiles_data();
    void rejectsBrokenFiles();
    void rejectsDamagedContainers_data();
    void rejectsDamagedContainers();
    void rejectsDamagedRecords_data();
    void rejectsDamagedRecords();
    void survivesDamageAnywhere();
};

void TestXls::readsCells_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<CellValue>("expected");

    const QString lang1 = [] {
        QString s;
        for (int i = 0; i < 2500; ++i)
            s += QChar(u'a' + i % 26);
        return s;
    }();
    const QString euros = QString(3000, QChar(0x20AC)) + QStringLiteral("einde");
    const QString name = QStringLiteral("Zo\u00eb \u00c9mile \u20ac Caf\u00e9");
    const QString lastLine = QStringLiteral("Regel 399 \u00eb");

    // Both writers: the same table through xlwt (no results for formulas) and LibreOffice.
    for (const QString &file : {QStringLiteral("xlwt.xls"), QStringLiteral("libreoffice.xls")}) {
        const QString s = QStringLiteral("Incasso");
        auto row = [&](const char *what, int r, int c, const CellValue &v) {
            QTest::addRow("%s %s", qPrintable(file), what) << file << s << r << c << v;
        };
        row("text", 2, 1, CellValue::fromText(QStringLiteral("Jan Jansen")));
        row("amount", 2, 2, CellValue::fromNumber(12.5));
        row("date dd-mm-yyyy", 2, 4, CellValue::fromDate(serial(2024, 3, 15)));
        row("date d/m/yy", 2, 5, CellValue::fromDate(serial(2023, 12, 31)));
        row("date d mmmm yyyy", 2, 6, CellValue::fromDate(serial(2024, 2, 29)));
        row("date and time", 2, 7, CellValue::fromDate(serial(2024, 3, 15, 13.75)));
        row("time only is a number", 2, 8, CellValue::fromNumber(0.5));
        row("date as text", 2, 9, CellValue::fromText(QStringLiteral("15-03-2024")));
        row("fifteen digits", 2, 10, CellValue::fromNumber(123456789012345.0));
        row("non-ASCII text", 3, 1, CellValue::fromText(name));
        row("many decimals", 3, 2, CellValue::fromNumber(file.startsWith(u'x') ? 1234567.89 : 1234567.891234));
        row("date 1999", 3, 4, CellValue::fromDate(serial(1999, 12, 31)));
        row("binary fraction", 3, 10, CellValue::fromNumber(0.1 + 0.2));
        row("negative", 6, 2, CellValue::fromNumber(-7.25));
        row("large", 6, 10, CellValue::fromNumber(9.87654321012345e20));
        row("lone text far below", file.startsWith(u'x') ? 5000 : 3000, 1,
            CellValue::fromText(QStringLiteral("einde")));
        QTest::addRow("%s long string", qPrintable(file))
            << file << QStringLiteral("Lang") << 1 << 1 << CellValue::fromText(lang1);
        QTest::addRow("%s two-byte string across CONTINUE", qPrintable(file))
            << file << QStringLiteral("Lang") << 7 << 1 << CellValue::fromText(euros);
        QTest::addRow("%s string after the long ones", qPrintable(file))
            << file << QStringLiteral("Lang") << 400 << 1 << CellValue::fromText(lastLine);
        QTest::addRow("%s hidden sheet", qPrintable(file))
            << file << QStringLiteral("Verborgen") << 1 << 1 << CellValue::fromText(QStringLiteral("geheim"));
    }

    const QString x = QStringLiteral("xlwt.xls");
    const QString s = QStringLiteral("Incasso");
    QTest::newRow("xlwt true") << x << s << 2 << 11 << CellValue::fromBool(true);
    QTest::newRow("xlwt false") << x << s << 3 << 11 << CellValue::fromBool(false);
    QTest::newRow("xlwt error cell") << x << s << 2 << 12 << CellValue::fromError(QStringLiteral("#DIV/0!"));
    QTest::newRow("xlwt formula, no result") << x << s << 2 << 13 << CellValue::formulaWithoutValue();
    QTest::newRow("xlwt text formula, no result") << x << s << 3 << 13 << CellValue::formulaWithoutValue();
    QTest::newRow("xlwt built-in date format 14") << x << s << 3 << 5 << CellValue::fromDate(serial(2000, 1, 1));
    QTest::newRow("xlwt elapsed time is a number") << x << s << 3 << 8 << CellValue::fromNumber(1.75);
    QTest::newRow("xlwt quoted d is no date") << x << s << 6 << 12 << CellValue::fromNumber(3);
    QTest::newRow("xlwt MULRK first") << x << s << 7 << 2 << CellValue::fromNumber(1);
    QTest::newRow("xlwt MULRK fraction") << x << s << 7 << 3 << CellValue::fromNumber(2.5);
    QTest::newRow("xlwt MULRK negative") << x << s << 7 << 4 << CellValue::fromNumber(-4);
    QTest::newRow("xlwt MULRK last") << x << s << 7 << 6 << CellValue::fromNumber(100000);
    QTest::newRow("xlwt date beside numbers") << x << s << 7 << 7 << CellValue::fromDate(serial(2024, 12, 24));
    const char *const codes[] = {"#NULL!", "#DIV/0!", "#VALUE!", "#REF!", "#NAME?", "#NUM!", "#N/A"};
    for (int c = 0; c < 7; ++c) {
        QTest::addRow("xlwt error %s", codes[c])
            << x << s << 8 << c + 1 << CellValue::fromError(QString::fromLatin1(codes[c]));
    }

    const QString l = QStringLiteral("libreoffice.xls");
    QTest::newRow("lo true constant is 1") << l << s << 2 << 11 << CellValue::fromNumber(1);
    QTest::newRow("lo formula number") << l << s << 2 << 12 << CellValue::fromNumber(25);
    QTest::newRow("lo formula text") << l << s << 2 << 13 << CellValue::fromText(QStringLiteral("Jan Jansen!"));
    QTest::newRow("lo formula true") << l << s << 2 << 14 << CellValue::fromBool(true);
    QTest::newRow("lo formula false") << l << s << 3 << 14 << CellValue::fromBool(false);
    QTest::newRow("lo formula #DIV/0!") << l << s << 2 << 15 << CellValue::fromError(QStringLiteral("#DIV/0!"));
    QTest::newRow("lo formula #N/A") << l << s << 3 << 15 << CellValue::fromError(QStringLiteral("#N/A"));
    QTest::newRow("lo formula #VALUE!") << l << s << 6 << 15 << CellValue::fromError(QStringLiteral("#VALUE!"));
    QTest::newRow("lo formula fraction") << l << s << 3 << 12 << CellValue::fromNumber(1234.567891234);
    QTest::newRow("lo formula empty text from IF") << l << s << 3 << 13 << CellValue::fromText(QString());
    QTest::newRow("lo formula \"\"") << l << s << 6 << 14 << CellValue::fromText(QString());
    QTest::newRow("lo formula text across CONTINUE")
        << l << s << 6 << 13 << CellValue::fromText(QStringLiteral("ab").repeated(5000));

    // 1904 workbooks: dates come out as serials of the 1900 system.
    for (const QString &file : {QStringLiteral("xlwt-1904.xls"), QStringLiteral("libreoffice-1904.xls")}) {
        const QString d = QStringLiteral("Data");
        QTest::addRow("%s date", qPrintable(file)) << file << d << 1 << 1 << CellValue::fromDate(serial(2024, 3, 15));
        QTest::addRow("%s date and time", qPrintable(file))
            << file << d << 1 << 2 << CellValue::fromDate(serial(1904, 1, 2, 6));
        QTest::addRow("%s number unshifted", qPrintable(file)) << file << d << 1 << 3 << CellValue::fromNumber(42);
    }
    QTest::newRow("lo 1904 formula date") << QStringLiteral("libreoffice-1904.xls") << QStringLiteral("Data") << 1 << 4
                                          << CellValue::fromDate(serial(2024, 3, 16));
}

void TestXls::readsCells()
{
    QFETCH(QString, file);
    QFETCH(QString, sheet);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(CellValue, expected);

    // Each fixture is parsed once for all its rows.
    static QHash<QString, XlsBook> books;
    if (!books.contains(file)) {
        const QString error = errorOf([&] { books.insert(file, ReadXlsFile(fixture(file))); });
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }
    const XlsSheet *found = sheetNamed(books[file], sheet);
    QVERIFY(found);
    const CellValue actual = cellAt(*found, row, col);
    QCOMPARE(int(actual.kind), int(expected.kind));
    QCOMPARE(actual.text, expected.text);
    QVERIFY2(std::abs(actual.number - expected.number) <= 1e-9 * std::max(1.0, std::abs(expected.number)),
             qPrintable(QString::number(actual.number, 'g', 17)));
}

void TestXls::listsSheets_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QList<bool>>("hidden");

    QTest::newRow("xlwt") << fixtureBytes(QStringLiteral("xlwt.xls"))
                          << QStringList{QStringLiteral("Incasso"), QStringLiteral("Lang"), QStringLiteral("Verborgen"),
                                         QStringLiteral("Leeg")}
                          << QList<bool>{false, false, true, false};
    QTest::newRow("libreoffice") << fixtureBytes(QStringLiteral("libreoffice.xls"))
                                 << QStringList{QStringLiteral("Incasso"), QStringLiteral("Lang"),
                                                QStringLiteral("Verborgen")}
                                 << QList<bool>{false, false, true};
    // LibreOffice keeps a workbook this small in the mini stream.
    QTest::newRow("libreoffice small") << fixtureBytes(QStringLiteral("libreoffice-1904.xls"))
                                       << QStringList{QStringLiteral("Data")} << QList<bool>{false};
    const Biff::Sheet chart{QStringLiteral("Grafiek"), QByteArray(), 2, 0x0020};
    const Biff::Sheet sheet{QStringLiteral("Blad1"), number(0, 0, 1)};
    QTest::newRow("chart sheet left out")
        << wrap(Biff::workbook({}, {chart, sheet})) << QStringList{QStringLiteral("Blad1")} << QList<bool>{false};
}

void TestXls::listsSheets()
{
    QFETCH(QByteArray, data);
    QFETCH(QStringList, names);
    QFETCH(QList<bool>, hidden);

    const XlsBook book = ReadXlsData(data, Crafted);
    QStringList actualNames;
    QList<bool> actualHidden;
    for (const XlsSheet &sheet : book.sheets) {
        actualNames << sheet.name;
        actualHidden << sheet.hidden;
    }
    QCOMPARE(actualNames, names);
    QCOMPARE(actualHidden, hidden);
}

void TestXls::leavesEmptyRowsOut()
{
    // Empty rows between the table and a stray value far below hold no cells;
    // the last row with a value is the stray one.
    for (const QString &file : {QStringLiteral("xlwt.xls"), QStringLiteral("libreoffice.xls")}) {
        const XlsBook book = ReadXlsFile(fixture(file));
        const XlsSheet *sheet = sheetNamed(book, QStringLiteral("Incasso"));
        QVERIFY(sheet);
        int last = 0;
        for (const XlsCell &cell : sheet->cells) {
            QVERIFY2(cell.row != 4 && cell.row != 5, qPrintable(file));
            QVERIFY2(!cell.value.isEmpty(), qPrintable(file));
            last = std::max(last, cell.row);
        }
        QCOMPARE(last, file.startsWith(u'x') ? 5000 : 3000);
    }
}

void TestXls::readsCraftedRecords_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<CellValue>("expected");

    using namespace Biff;
    auto book = [](const QByteArray &globals, const QByteArray &cells) {
        return workbook(globals, {{QStringLiteral("Blad1"), cells}});
    };

    // A string that goes on in two CONTINUE records: its characters switch from
    // one byte to two at the first, its formatting runs and phonetic data are
    // split at the second, which has no option byte.
    const QByteArray split = sst(u32(2) + u32(2) + u16(10) + QByteArray(1, '\x0C') + u16(1) + u32(6) + "abcd") +
                             record(0x003C, QByteArray(1, '\x01') + utf16(QStringLiteral("ef\u20acghi")) + u16(0)) +
                             record(0x003C, u16(0) + QByteArray(6, 'x') + u16(3) + QByteArray(1, '\0') + "xyz");
    const QByteArray twoStrings = labelSst(0, 0, 0) + labelSst(0, 1, 1);
    QTest::newRow("shared string across CONTINUE")
        << book(split, twoStrings) << 1 << 1 << CellValue::fromText(QStringLiteral("abcdef\u20acghi"));
    QTest::newRow("shared string after the split")
        << book(split, twoStrings) << 1 << 2 << CellValue::fromText(QStringLiteral("xyz"));

    const QByteArray label = record(0x0204, cell(0, 0) + u16(3) + QByteArray(1, '\0') +
                                                "\x9A\xE8"
                                                "a");
    QTest::newRow("one-byte text in code page 1250")
        << book(record(0x0042, u16(1250)), label) << 1 << 1 << CellValue::fromText(QStringLiteral("\u0161\u010Da"));
    const QByteArray euro = record(0x0204, cell(0, 0) + u16(2) + QByteArray(1, '\0') + "\x80\xE9");
    QTest::newRow("one-byte text, Windows-1252 by default")
        << book({}, euro) << 1 << 1 << CellValue::fromText(QStringLiteral("\u20AC\u00E9"));

    // A formula's text result follows in a STRING record, after a shared
    // formula record, going on in a CONTINUE with two-byte characters.
    const QByteArray textResult = formula(0, 0, StringResult) + record(0x04BC, QByteArray(10, '\0')) +
                                  record(0x0207, u16(6) + QByteArray(1, '\0') + "abc") +
                                  record(0x003C, QByteArray(1, '\x01') + utf16(QStringLiteral("d\u00e9\u20ac")));
    QTest::newRow("formula text across CONTINUE")
        << book({}, textResult) << 1 << 1 << CellValue::fromText(QStringLiteral("abcd\u00e9\u20ac"));
    const QByteArray noString = formula(0, 0, StringResult) + number(0, 1, 5);
    QTest::newRow("formula text without STRING") << book({}, noString) << 1 << 1 << CellValue::formulaWithoutValue();
    QTest::newRow("cell after formula without STRING") << book({}, noString) << 1 << 2 << CellValue::fromNumber(5);

    // "Empty text" is a result only from a program that calculates.
    const QByteArray emptyText = formula(0, 0, EmptyTextResult);
    QTest::newRow("empty text from a calculating writer")
        << book(record(0x01C1, u32(0x1C1) + u32(100000)), emptyText) << 1 << 1 << CellValue::fromText(QString());
    QTest::newRow("empty text beside a calculated number")
        << book({}, emptyText + formula(1, 0, f64(2))) << 1 << 1 << CellValue::fromText(QString());
    QTest::newRow("empty text from a writer that does not calculate")
        << book({}, emptyText) << 1 << 1 << CellValue::formulaWithoutValue();

    // An embedded chart nests its own BOF ... EOF inside the worksheet.
    const QByteArray chart = number(0, 0, 1) + bof(0x0020) + number(5, 5, 99) + eof() + number(1, 0, 2);
    QTest::newRow("cell after embedded chart") << book({}, chart) << 2 << 1 << CellValue::fromNumber(2);
    QTest::newRow("chart's own records ignored") << book({}, chart) << 6 << 6 << CellValue::empty();

    // RK numbers: integer, integer times 100, high half of a double.
    const QByteArray rk = record(0x027E, cell(0, 0) + u32((quint32(-3) << 2) | 2)) +
                          record(0x027E, cell(0, 1) + u32((1234u << 2) | 3)) +
                          record(0x027E, cell(0, 2) + u32(0x3FF80000)); // 1.5
    QTest::newRow("RK integer") << book({}, rk) << 1 << 1 << CellValue::fromNumber(-3);
    QTest::newRow("RK times 100") << book({}, rk) << 1 << 2 << CellValue::fromNumber(12.34);
    QTest::newRow("RK double") << book({}, rk) << 1 << 3 << CellValue::fromNumber(1.5);

    // Dates before 1 March 1900: the 1900 system counts a 29 February 1900 that
    // never was, the automation date does not, as in the .xlsx reader.
    QByteArray xfs; // 16 XF records, the last one (the cells' 15) with built-in date format 14
    for (int i = 0; i < 16; ++i)
        xfs += record(0x00E0, u16(0) + u16(i == 15 ? 14 : 0) + QByteArray(16, '\0'));
    const QByteArray early = number(0, 0, 1) + number(0, 1, 59) + number(0, 2, 61);
    QTest::newRow("date 1 January 1900") << book(xfs, early) << 1 << 1 << CellValue::fromDate(2);
    QTest::newRow("date 28 February 1900") << book(xfs, early) << 1 << 2 << CellValue::fromDate(60);
    QTest::newRow("date 1 March 1900") << book(xfs, early) << 1 << 3 << CellValue::fromDate(61);
}

void TestXls::readsCraftedRecords()
{
    QFETCH(QByteArray, stream);
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(CellValue, expected);

    const XlsBook book = ReadXlsData(wrap(stream), Crafted);
    QCOMPARE(book.sheets.size(), 1);
    const CellValue actual = cellAt(book.sheets.first(), row, col);
    QCOMPARE(int(actual.kind), int(expected.kind));
    QCOMPARE(actual.text, expected.text);
    QCOMPARE(actual.number, expected.number);
}

void TestXls::readsOtherContainerLayouts_data()
{
    QTest::addColumn<QByteArray>("data");

    const QByteArray stream = xlwtStream();
    QTest::newRow("4096-byte sectors") << BuildCompoundFile({{QStringLiteral("Workbook"), stream}}, 12);
    // Over 109 FAT sectors: the rest are listed in DIFAT sectors.
    QTest::newRow("extra DIFAT sectors") << BuildCompoundFile(
        {{QStringLiteral("Opvulling"), QByteArray(7'400'000, '\0')}, {QStringLiteral("Workbook"), stream}});
    QTest::newRow("stream name in other case") << BuildCompoundFile({{QStringLiteral("WORKBOOK"), stream}});
    QTest::newRow("Excel 97 records under the old name") << BuildCompoundFile({{QStringLiteral("Book"), stream}});
}

void TestXls::readsOtherContainerLayouts()
{
    QFETCH(QByteArray, data);

    static const QString original = describe(ReadXlsFile(fixture(QStringLiteral("xlwt.xls"))));
    QCOMPARE(describe(ReadXlsData(data, Crafted)), original);
}

void TestXls::rejectsBrokenFiles_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("message");

    const QString again = QStringLiteral("Open het in Excel en sla het opnieuw op, of vraag om een nieuw exemplaar.");
    auto add = [](const char *tag, const QString &path, const QString &message) {
        QTest::newRow(tag) << path << message.arg(path);
    };
    add("missing", fixture(QStringLiteral("broken/bestaat-niet.xls")),
        QStringLiteral("Het werkboek %1 bestaat niet. Controleer de map en de naam van het bestand."));
    add("empty", fixture(QStringLiteral("broken/leeg.xls")),
        QStringLiteral("Het werkboek %1 is leeg (0 bytes). ") + again);
    add("csv text", fixture(QStringLiteral("broken/tekst.xls")),
        QStringLiteral(
            "Het bestand %1 heeft de extensie .xls, maar is een tekst- of webpaginabestand en geen echt Excel "
            "werkboek. Open het in Excel, sla het op als .xlsx en probeer het opnieuw."));
    add("web page", fixture(QStringLiteral("broken/webpagina.xls")),
        QStringLiteral(
            "Het bestand %1 heeft de extensie .xls, maar is een tekst- of webpaginabestand en geen echt Excel "
            "werkboek. Open het in Excel, sla het op als .xlsx en probeer het opnieuw."));
    add("xlsx", fixture(QStringLiteral("broken/xlsx-met-xls-naam.xls")),
        QStringLiteral(
            "Het bestand %1 heeft de extensie .xls, maar is een .xlsx werkboek. Geef het bestand de extensie "
            ".xlsx en probeer het opnieuw."));
    add("excel 95", fixture(QStringLiteral("broken/excel95.xls")),
        QStringLiteral("Het werkboek %1 is in een oud Excel formaat (Excel 5/95) opgeslagen en wordt niet ondersteund. "
                       "Sla het op als .xlsx en probeer het opnieuw."));
    add("cut off", fixture(QStringLiteral("broken/afgebroken.xls")),
        QStringLiteral("Het werkboek %1 is onvolledig: het bestand houdt op voordat alle gegevens gelezen zijn. "
                       "Misschien is het niet helemaal gekopieerd of gedownload. ") +
            again);
    add("folder", fixture(QStringLiteral("broken")), QStringLiteral("Het bestand: %1  is geen werkboek"));
    add("device", QStringLiteral("/dev/null"), QStringLiteral("Het bestand: %1  is geen werkboek"));
}

void TestXls::rejectsBrokenFiles()
{
    QFETCH(QString, file);
    QFETCH(QString, message);

    QCOMPARE(errorOf([&] { ReadXlsFile(file); }), message);
}

void TestXls::rejectsDamagedContainers_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("message");

    const QByteArray stream = xlwtStream();
    const QString name = QStringLiteral("Workbook");
    auto damaged = [&](const char *tag, const std::function<void(CfbLayout &)> &damage, const char *fault) {
        QTest::newRow(tag) << BuildCompoundFile({{name, stream}}, 9, damage)
                           << damagedMessage(Crafted, QString::fromUtf8(fault));
    };
    damaged(
        "chain loops", [](CfbLayout &l) { l.fat[l.streamStarts[0] + 5] = l.streamStarts[0]; },
        "een sectorketen loopt in een kring");
    damaged(
        "chain ends early", [](CfbLayout &l) { l.fat[l.streamStarts[0] + 5] = 0xFFFFFFFE; },
        "een sectorketen breekt te vroeg af");
    damaged(
        "chain points past the FAT", [](CfbLayout &l) { l.fat[l.streamStarts[0]] = 0x00FFFFF0; },
        "een sectorketen wijst buiten de toewijzingstabel");
    damaged(
        "directory chain loops", [](CfbLayout &l) { l.fat[l.directoryStart] = l.directoryStart; },
        "een sectorketen loopt in een kring");
    damaged(
        "directory tree loops", [](CfbLayout &l) { qToLittleEndian<quint32>(1, l.directory.data() + 128 + 0x48); },
        "de inhoudsopgave loopt in een kring");
    damaged(
        "no root entry", [](CfbLayout &l) { l.directory[0x42] = 1; }, "de hoofdmap ontbreekt in de inhoudsopgave");
    damaged(
        "stream larger than the file",
        [](CfbLayout &l) { qToLittleEndian<quint32>(0x7FFFFFFF, l.directory.data() + 128 + 0x78); },
        "de stroom 'Workbook' is groter dan het bestand");

    QByteArray odd = BuildCompoundFile({{name, stream}});
    odd[0x1E] = 10;
    QTest::newRow("sector size") << odd << damagedMessage(Crafted, QStringLiteral("onbekende sectorgrootte in de kop"));
    QTest::newRow("Excel 4 worksheet")
        << QByteArray("\x09\x04\x06\x00\x00\x00\x10\x00\x00\x00\x0A\x00\x00\x00", 14)
        << QStringLiteral("Het werkboek crafted.xls is in een oud Excel formaat (Excel 2/3/4) opgeslagen en wordt niet "
                          "ondersteund. Sla het op als .xlsx en probeer het opnieuw.");
    QTest::newRow("Unicode text")
        << QByteArray("\xFF\xFE"
                      "N\0"
                      "a\0"
                      "a\0"
                      "m\0",
                      10)
        << QStringLiteral("Het bestand crafted.xls heeft de extensie .xls, maar is een tekst- of webpaginabestand en "
                          "geen echt Excel werkboek. Open het in Excel, sla het op als .xlsx en probeer het opnieuw.");
    QTest::newRow("password-protected xlsx")
        << BuildCompoundFile({{QStringLiteral("EncryptionInfo"), QByteArray(200, 'i')},
                              {QStringLiteral("EncryptedPackage"), QByteArray(5000, 'p')}})
        << QStringLiteral("Het werkboek crafted.xls is met een wachtwoord beveiligd en kan daarom niet worden "
                          "gelezen. Open het in Excel, verwijder het wachtwoord, sla het op en probeer het opnieuw.");
    QTest::newRow("no workbook stream")
        << BuildCompoundFile({{QStringLiteral("WordDocument"), stream}})
        << QStringLiteral("Het bestand crafted.xls is geen Excel werkboek: het is een Office-bestand zonder "
                          "werkbladen, misschien een Word- of PowerPoint-document. Kies het juiste werkboek.");
}

void TestXls::rejectsDamagedContainers()
{
    QFETCH(QByteArray, data);
    QFETCH(QString, message);

    QCOMPARE(errorOf([&] { ReadXlsData(data, Crafted); }), message);
}

void TestXls::rejectsDamagedRecords_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QString>("message");

    using namespace Biff;
    const QByteArray cell = labelSst(0, 0, 0);
    QTest::newRow("password")
        << workbook(record(0x002F, QByteArray(54, '\0')), {{QStringLiteral("Blad1"), cell}})
        << QStringLiteral("Het werkboek crafted.xls is met een wachtwoord beveiligd en kan daarom niet worden "
                          "gelezen. Open het in Excel, verwijder het wachtwoord, sla het op en probeer het opnieuw.");
    QTest::newRow("Excel 5 records in the Workbook stream")
        << (bof(0x0005, 0x0500) + eof())
        << QStringLiteral("Het werkboek crafted.xls is in een oud Excel formaat (Excel 5/95) opgeslagen en wordt niet "
                          "ondersteund. Sla het op als .xlsx en probeer het opnieuw.");
    QTest::newRow("no BOF") << eof()
                            << damagedMessage(Crafted,
                                              QStringLiteral("de werkboekgegevens beginnen niet met een werkboekkop"));
    QTest::newRow("shared string missing")
        << workbook(sst(u32(1) + u32(1) + u16(1) + QByteArray(1, '\0') + "a"),
                    {{QStringLiteral("Blad1"), labelSst(0, 0, 1)}})
        << damagedMessage(Crafted, QStringLiteral("een tekstcel verwijst naar een tekst die niet bestaat"));
    QTest::newRow("shared string cut off")
        << workbook(sst(u32(1) + u32(1) + u16(10) + QByteArray(1, '\0') + "abc"), {{QStringLiteral("Blad1"), cell}})
        << damagedMessage(Crafted, QStringLiteral("een tekst loopt voorbij het einde van zijn record"));

    QByteArray many;
    for (int r = 0; r < 300; ++r)
        many += number(quint16(r), 0, r);
    QTest::newRow("record cut off") << workbook({}, {{QStringLiteral("Blad1"), many}}).chopped(10)
                                    << damagedMessage(
                                           Crafted,
                                           QStringLiteral("de werkboekgegevens houden midden in een record op"));
    const auto sheet = [](const QByteArray &records) { return QList<Sheet>{{QStringLiteral("Blad1"), records}}; };
    QTest::newRow("cell beyond column IV")
        << workbook({}, sheet(number(0, 256, 1)))
        << damagedMessage(Crafted, QStringLiteral("het werkblad 'Blad1' heeft een cel voorbij kolom IV (IW1)"));
    QTest::newRow("cell in column 65536")
        << workbook({}, sheet(number(4, 65535, 1)))
        << damagedMessage(Crafted, QStringLiteral("het werkblad 'Blad1' heeft een cel voorbij kolom IV (CRXP5)"));
    QByteArray rks = Biff::cell(2, 250).left(4);
    for (int i = 0; i < 10; ++i)
        rks += u16(15) + u32(2 | (quint32(i) << 2));
    QTest::newRow("numbers running past column IV")
        << workbook({}, sheet(record(0x00BD, rks + u16(259))))
        << damagedMessage(Crafted, QStringLiteral("het werkblad 'Blad1' heeft een cel voorbij kolom IV (IW3)"));
    QByteArray eofLength = workbook({}, sheet(number(0, 0, 1)));
    qToLittleEndian<quint16>(4, eofLength.data() + eofLength.size() - 2);
    QTest::newRow("end record running on")
        << eofLength
        << damagedMessage(Crafted,
                          QStringLiteral("het eindrecord op positie %1 is niet leeg").arg(eofLength.size() - 4));
    const QByteArray longText(40000, 'x');
    QTest::newRow("shared text beyond 32,767 characters")
        << workbook(sst(u32(1) + u32(1) + u16(40000) + QByteArray(1, '\0') + longText), sheet(labelSst(6, 1, 0)))
        << damagedMessage(Crafted,
                          QStringLiteral("het werkblad 'Blad1' cel B7 bevat een tekst van meer dan 32.767 tekens"));
    QTest::newRow("text beyond 32,767 characters")
        << workbook({}, sheet(record(0x0204, Biff::cell(0, 0) + u16(40000) + QByteArray(1, '\0') + longText)))
        << damagedMessage(Crafted,
                          QStringLiteral("het werkblad 'Blad1' cel A1 bevat een tekst van meer dan 32.767 tekens"));

    QByteArray misplaced = workbook({}, {{QStringLiteral("Blad1"), many}});
    qToLittleEndian<quint32>(quint32(misplaced.size() + 100), misplaced.data() + misplaced.indexOf("\x85\x00", 0) + 4);
    QTest::newRow("sheet outside the stream")
        << misplaced << damagedMessage(Crafted, QStringLiteral("het werkblad 'Blad1' ligt buiten de werkboekgegevens"));
}

void TestXls::rejectsDamagedRecords()
{
    QFETCH(QByteArray, stream);
    QFETCH(QString, message);

    QCOMPARE(errorOf([&] { ReadXlsData(wrap(stream), Crafted); }), message);
}

void TestXls::survivesDamageAnywhere()
{
    // Cut off or overwrite each byte of small real files (one keeps its
    // workbook in the mini stream), and every 61st byte of a larger one: the
    // reader must return or throw KwError, never crash or hang.
    int rejected = 0;
    int read = 0;
    auto attempt = [&](const QByteArray &data) {
        try {
            ReadXlsData(data, Crafted);
            ++read;
        } catch (const KwError &e) {
            QVERIFY(e.message().contains(Crafted));
            ++rejected;
        }
    };
    const std::pair<const char *, int> files[] = {{"xlwt-1904.xls", 1}, {"libreoffice-1904.xls", 1}, {"xlwt.xls", 61}};
    for (const auto &[name, step] : files) {
        const QByteArray good = fixtureBytes(QString::fromLatin1(name));
        for (qsizetype at = 0; at < good.size(); at += step) {
            attempt(good.left(at));
            for (const char pattern : {'\xFF', '\x01', '\x80'}) {
                QByteArray bad = good;
                bad[at] = char(bad[at] ^ pattern);
                attempt(bad);
            }
        }
    }
    QVERIFY(rejected > 1000);
    QVERIFY(read > 1000);
}

QTEST_GUILESS_MAIN(TestXls)
#include "TestXls.moc"
