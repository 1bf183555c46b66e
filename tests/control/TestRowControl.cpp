#include "control/RowControl.h"
#include "model/Error.h"
#include "processing/RunFixture.h"
#include "util/TestPaths.h"

#include <QTest>

Q_DECLARE_METATYPE(CellValue)

namespace {
const QString Iban = QStringLiteral("NL91ABNA0417164300");

enum Column
{
    A = 0,
    B,
    C,
    D,
    E,
    F,
    G,
    H,
    I,
    J,
    K
};

QVariantList row(const QString &name = QStringLiteral("Jan Jansen"), const QVariant &amount = 10,
                 const QString &code = QStringLiteral("RCUR"))
{
    QVariantList r = RunFixture::member(name, 0, code, Iban, QStringLiteral("LID-1"));
    r[D] = amount;
    return r;
}

QVariantList with(QVariantList r, int column, const QVariant &value)
{
    r[column] = value;
    return r;
}

struct Control
{
    bool ok = false;
    QStringList log;
    TIncassobatches batches;

    // The control's own lines: what follows the start line, up to the end.
    QStringList lines() const { return log.mid(1); }
    qint64 cents(int k) const { return batches[k].TotalCents; }
    int count(int k) const { return batches[k].NoTransactions; }
};

// Rows that keep the standard mandate are members of their own: each gets a mandate id of its own.
Control control(RunFixture &f, SheetRows rows)
{
    Control c;
    for (qsizetype r = 0; r < rows.size(); ++r) {
        if (rows[r].size() > G && rows[r][G] == QStringLiteral("LID-1"))
            rows[r][G] = QString(QStringLiteral("LID-") + QString::number(r));
    }
    if (!f.writeSheet(rows))
        return c;
    ProcessingLog log;
    c.ok = CheckInputRows(f.data.SelectedWorkbook, f.data.SelectedSheet, f.data, f.service, f.clock, log, c.batches);
    c.log = log.lines();
    return c;
}

QString rowLine(int n, const QString &text)
{
    return QStringLiteral("== ") + QString::number(n) + QStringLiteral(" : ") + text;
}

const QString InvalidCode = QStringLiteral("Ongeldige sequentiecode (FRST, RCUR, FNAL of OOFF) : ");
const QString NoAddress =
    QStringLiteral("== LET OP : %1 : geen postcode en plaats gevonden in het adres; het adres wordt niet meegestuurd");
} // namespace

class TestRowControl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands)); }

    // Only names, addresses, mandates and the combined description have a
    // limit; the limit itself still passes.
    void lengthLimits_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("length");
        QTest::addColumn<int>("maximum"); // 0: no fault expected
        QTest::newRow("name 70") << int(A) << 70 << 0;
        QTest::newRow("name 71") << int(A) << 71 << 70;
        QTest::newRow("address 1 at 50") << int(B) << 50 << 0;
        QTest::newRow("address 1 at 51") << int(B) << 51 << 50;
        QTest::newRow("address 2 at 51") << int(C) << 51 << 50;
        QTest::newRow("mandate 30") << int(G) << 30 << 0;
        QTest::newRow("mandate 31") << int(G) << 31 << 30;
        // "Contributie" + " " + the cell: 12 + 128 = 140.
        QTest::newRow("description to 140") << int(J) << 128 << 0;
        QTest::newRow("description to 141") << int(J) << 129 << 140;
    }
    void lengthLimits()
    {
        QFETCH(int, column);
        QFETCH(int, length);
        QFETCH(int, maximum);
        RunFixture f;
        const QString text = QString(length, QLatin1Char('x'));
        const Control c = control(f, {RunFixture::headings(), with(row(), column, text)});
        QCOMPARE(c.ok, maximum == 0);
        if (maximum == 0) {
            const QStringList expected =
                column == B ? QStringList{NoAddress.arg(1), QString()} : QStringList{QString()};
            QCOMPARE(c.lines(), expected);
            return;
        }
        const QString value = column == J ? QStringLiteral("Contributie ") + text : text;
        QStringList expected{rowLine(1, QStringLiteral("De input : ") + value +
                                            QStringLiteral(" is te lang. \rMaximaal ") + QString::number(maximum) +
                                            QStringLiteral(" characters."))};
        if (column == B || column == C)
            expected << NoAddress.arg(1);
        QCOMPARE(c.lines(), expected + QStringList{QString()});
        QVERIFY(f.notices.isEmpty());
    }

    // The sum is kept in cents: ten times 0.10 is exactly 1.00, and a text
    // amount is read as the amount check reads it, never by the regional
    // settings (where "1.5" would be fifteen or nothing).
    // A long cell is named in its faults by its first 200 characters and its
    // length: the box and the two log lines that echo it stay short.
    void longValueIsEchoedCut()
    {
        RunFixture f;
        const QString text = QStringLiteral("&") + QString(29999, u'x');
        const Control c = control(f, {RunFixture::headings(), with(row(), J, text)});
        QVERIFY(!c.ok);
        const QString shown = QStringLiteral("&") + QString(199, u'x') + QStringLiteral("\u2026 (30000 tekens)");
        QCOMPARE(c.lines().mid(0, 2),
                 (QStringList{rowLine(1, QStringLiteral("ongeoorloofd teken in ") + shown),
                              rowLine(1, QStringLiteral("De input : Contributie &") + QString(187, u'x') +
                                             QStringLiteral("\u2026 (30012 tekens) is te lang. \rMaximaal 140 "
                                                            "characters."))}));
        QCOMPARE(f.notices.errors.size(), 1);
        QVERIFY(f.notices.errors.first().startsWith(QStringLiteral("FOUT in : ") + shown +
                                                    QStringLiteral(" .Het teken - & - is niet toegestaan")));
        QVERIFY(c.log.join(QString()).size() < 2000);
    }

    void sumsAreExactCents()
    {
        RunFixture f;
        SheetRows rows{RunFixture::headings()};
        for (int i = 0; i < 10; ++i)
            rows << row(QStringLiteral("Lid"), 0.1, QStringLiteral("FRST"));
        rows << row(QStringLiteral("Punt"), QStringLiteral("1.5"), QStringLiteral("FNAL"))
             << row(QStringLiteral("Komma"), QStringLiteral(" 1,5 "), QStringLiteral("FNAL"))
             << row(QStringLiteral("Geen decimalen"), QStringLiteral("7"), QStringLiteral("FNAL"))
             << row(QStringLiteral("Drijvend"), 0.1 + 0.2, QStringLiteral("OOFF"))
             << row(QStringLiteral("Groot"), 12345678.9, QStringLiteral("OOFF"));
        const Control c = control(f, rows);
        QVERIFY2(c.ok, qPrintable(c.log.join(u'\n')));
        QCOMPARE(c.count(0), 10);
        QCOMPARE(c.cents(0), qint64(100));
        QCOMPARE(c.count(1), 0);
        QCOMPARE(c.cents(1), qint64(0));
        QCOMPARE(c.count(2), 3);
        QCOMPARE(c.cents(2), qint64(150 + 150 + 700));
        QCOMPARE(c.count(3), 2);
        QCOMPARE(c.cents(3), qint64(30 + 1234567890));
    }

    void cellAmountCents_data()
    {
        QTest::addColumn<CellValue>("cell");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<qint64>("cents");
        QTest::newRow("empty") << CellValue::empty() << true << qint64(0);
        QTest::newRow("number") << CellValue::fromNumber(12.5) << true << qint64(1250);
        QTest::newRow("number with float noise") << CellValue::fromNumber(0.1 + 0.2) << true << qint64(30);
        QTest::newRow("text with comma") << CellValue::fromText(QStringLiteral("7,25")) << true << qint64(725);
        QTest::newRow("text with point") << CellValue::fromText(QStringLiteral("7.25")) << true << qint64(725);
        QTest::newRow("text with blanks") << CellValue::fromText(QStringLiteral(" 10 ")) << true << qint64(1000);
        QTest::newRow("text without euros") << CellValue::fromText(QStringLiteral(",5")) << true << qint64(50);
        QTest::newRow("thousands point") << CellValue::fromText(QStringLiteral("1.234,56")) << false << qint64(0);
        QTest::newRow("three decimals") << CellValue::fromNumber(12.345) << false << qint64(0);
        QTest::newRow("negative") << CellValue::fromNumber(-5) << false << qint64(0);
        QTest::newRow("word") << CellValue::fromText(QStringLiteral("tien")) << false << qint64(0);
        QTest::newRow("date") << CellValue::fromDate(45000) << false << qint64(0);
        QTest::newRow("truth value") << CellValue::fromBool(true) << false << qint64(0);
        QTest::newRow("error") << CellValue::fromError(QStringLiteral("#N/A")) << false << qint64(0);
    }
    void cellAmountCents()
    {
        QFETCH(CellValue, cell);
        QFETCH(bool, readable);
        QFETCH(qint64, cents);
        qint64 out = -1;
        QCOMPARE(CellAmountCents(cell, out), readable);
        if (readable)
            QCOMPARE(out, cents);
    }

    // An empty or zero amount passes the amount check but is no collection.
    void missingAmount_data()
    {
        QTest::addColumn<QVariant>("amount");
        QTest::addColumn<bool>("fault");
        QTest::newRow("empty cell") << QVariant() << true;
        QTest::newRow("number 0") << QVariant(0) << true;
        QTest::newRow("text 0,00") << QVariant(QStringLiteral("0,00")) << true;
        QTest::newRow("only a point") << QVariant(QStringLiteral(".")) << true;
        QTest::newRow("one cent") << QVariant(QStringLiteral("0,01")) << false;
    }
    void missingAmount()
    {
        QFETCH(QVariant, amount);
        QFETCH(bool, fault);
        RunFixture f;
        const Control c = control(f, {RunFixture::headings(), with(row(), D, amount)});
        QCOMPARE(c.ok, !fault);
        const QStringList expected =
            fault ? QStringList{rowLine(1, QStringLiteral("Bedrag ontbreekt of is 0")), QString()}
                  : QStringList{QString()};
        QCOMPARE(c.lines(), expected);
        QCOMPARE(c.count(1), 1); // counted like any row that reaches the count
    }

    // Amounts that each fit in cents but whose sum would not: the one that does
    // not fit is not readable, and the sum stays what it was.
    void sumBeyondCents()
    {
        RunFixture f;
        const QString huge = QStringLiteral("90000000000000000");
        const Control c = control(f, {RunFixture::headings(), with(row(), D, huge), with(row(), D, huge)});
        QVERIFY(!c.ok);
        const QString tooHigh = QStringLiteral("Bedrag is te hoog : ") + huge;
        QCOMPARE(c.lines(), (QStringList{rowLine(1, tooHigh), rowLine(2, tooHigh),
                                         rowLine(2, QStringLiteral("Bedrag is niet leesbaar. Corrigeer")), QString()}));
        QCOMPARE(c.count(1), 2);
        QCOMPARE(c.cents(1), qint64(9000000000000000000));
    }

    // What a bank would refuse: one cell changed in an ordinary row. The collection date is 10-05-2024.
    void bankFaults_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("line"); // empty: no fault
        QTest::newRow("no mandate id") << int(G) << QVariant() << rowLine(1, QStringLiteral("Mandaat code ontbreekt"));
        QTest::newRow("mandate id of blanks")
            << int(G) << QVariant(QStringLiteral("   ")) << rowLine(1, QStringLiteral("Mandaat code ontbreekt"));
        QTest::newRow("BIC of a bank code only")
            << int(F) << QVariant(QStringLiteral("RABO")) << rowLine(1, QStringLiteral("BIC code is onjuist : RABO"));
        QTest::newRow("BIC in lower case") << int(F) << QVariant(QStringLiteral("rabonl2u"))
                                           << rowLine(1, QStringLiteral("BIC code is onjuist : rabonl2u"));
        QTest::newRow("BIC of 11") << int(F) << QVariant(QStringLiteral("RABONL2UXXX")) << QString();
        QTest::newRow("BIC with blanks around") << int(F) << QVariant(QStringLiteral(" RABONL2U ")) << QString();
        QTest::newRow("signed after the collection date")
            << int(H) << QVariant(QDate(2024, 5, 11))
            << rowLine(1, QStringLiteral("Datum van de machtiging : 11-05-2024 ligt na de incassodatum"));
        QTest::newRow("signed after, as a text")
            << int(H) << QVariant(QStringLiteral("1/6/2024"))
            << rowLine(1, QStringLiteral("Datum van de machtiging : 1/6/2024 ligt na de incassodatum"));
        QTest::newRow("signed on the collection date") << int(H) << QVariant(QDate(2024, 5, 10)) << QString();
        QTest::newRow("the highest amount") << int(D) << QVariant(999999999.99) << QString();
        QTest::newRow("a cent more") << int(D) << QVariant(QStringLiteral("1000000000,00"))
                                     << rowLine(1, QStringLiteral("Bedrag is te hoog : 1000000000,00"));
        QTest::newRow("10^12 euro") << int(D) << QVariant(1e12)
                                    << rowLine(1, QStringLiteral("Bedrag is te hoog : 1000000000000"));
    }
    void bankFaults()
    {
        QFETCH(int, column);
        QFETCH(QVariant, value);
        QFETCH(QString, line);
        RunFixture f;
        const Control c = control(f, {RunFixture::headings(), with(row(), column, value)});
        QCOMPARE(c.ok, line.isEmpty());
        const QStringList expected = line.isEmpty() ? QStringList{QString()} : QStringList{line, QString()};
        QCOMPARE(c.lines(), expected);
        QVERIFY(f.notices.isEmpty());
    }

    // The new faults stand each after their step; the address warning after
    // all of a row's lines, and only for rows that are checked.
    void bankFaultsInOrder()
    {
        RunFixture f;
        f.data.cbFilter = true;
        f.data.strFilterReq = QStringLiteral("ja");
        f.data.intFilterCol = K + 1;
        QVariantList all = row(QStringLiteral("Alles Fout"), QStringLiteral("1000000000"));
        all[B] = QStringLiteral("Dorpsstraat 12");
        all[E] = QStringLiteral("NL91ABNA0417164301");
        all[F] = QStringLiteral("RABO");
        all[G] = QString();
        all[H] = QDate(2024, 6, 1);
        all[J] = QString(129, QLatin1Char('t'));
        QVariantList address = with(row(), C, QStringLiteral("Wikkeldam"));
        QVariantList leftOut = with(with(row(), B, QStringLiteral("Nergens")), K, QStringLiteral("nee"));
        QVariantList blank = with(with(row(), A, QString()), B, QStringLiteral("Nergens"));
        const Control c = control(f, {RunFixture::headings(), all, address, leftOut, blank});
        QVERIFY(!c.ok);
        QCOMPARE(
            c.lines().mid(0, 8),
            (QStringList{rowLine(1, QStringLiteral("De input : Contributie ") + all[J].toString() +
                                        QStringLiteral(" is te lang. \rMaximaal 140 characters.")),
                         rowLine(1, QStringLiteral("Mandaat code ontbreekt")),
                         rowLine(1, QStringLiteral("IBAN rekening nummer is onjuist : NL91ABNA0417164301")),
                         rowLine(1, QStringLiteral("BIC code is onjuist : RABO")),
                         rowLine(1, QStringLiteral("Datum van de machtiging : 01-06-2024 ligt na de incassodatum")),
                         rowLine(1, QStringLiteral("Bedrag is te hoog : 1000000000")), NoAddress.arg(1),
                         NoAddress.arg(2)}));
        QCOMPARE(c.lines().at(8), QStringLiteral("== LET OP : Er wordt/worden 1 regel(s) met sequentiecode RCUR "
                                                 "geselecteerd voor verwerking."));
        QCOMPARE(c.lines().at(9), QString());
        QCOMPARE(f.notices.errors.size(), 1); // the IBAN's own box
    }

    // A table checked on two threads tells what one thread tells, boxes and lines
    // in one order: faults on both sides of the split, a mandate met again past
    // it, a stop at an unreadable cell in the second half.
    void twoThreadsTellAsOne()
    {
        RunFixture f;
        SheetRows rows{RunFixture::headings()};
        for (int n = 1; n <= 101; ++n) {
            QVariantList r = row(QStringLiteral("Lid %1").arg(n), 10 + n % 7, SeqCodes().at(n % 4));
            r[G] = QStringLiteral("M-%1").arg(n);
            if (n % 9 == 0)
                r[E] = QStringLiteral("NL91ABNA0417164301"); // a box and a line
            if (n % 13 == 0)
                r[H] = QStringLiteral("geen datum");
            if (n % 17 == 0)
                r[A] = QString();
            if (n % 11 == 0)
                r[B] = QStringLiteral("Nergens");
            if (n == 3 || n == 61)
                r[I] = QStringLiteral("RCUR");
            if (n == 60 || n == 61)
                r[G] = QStringLiteral("M-3"); // once with another IBAN, once the same twice
            if (n == 60)
                r[E] = QStringLiteral("NL13TEST0123456789");
            rows << r;
        }
        QVERIFY(f.writeSheet(rows));

        const auto told = [&f](const QString &workbook, int threadRows) {
            RowsForTwoThreads = threadRows;
            f.notices.clear();
            QStringList all;
            ProcessingLog log;
            log.setListener([&] {
                for (const QString &box : std::as_const(f.notices.all))
                    all << QStringLiteral("box ") + box;
                f.notices.clear();
                all << log.lines().constLast();
            });
            TIncassobatches batches;
            const bool ok = CheckInputRows(workbook, f.data.SelectedSheet, f.data, f.service, f.clock, log, batches);
            all << f.notices.all << QString::number(ok);
            for (const TIncassobatch &b : batches)
                all << QStringLiteral("%1 %2 %3").arg(b.SeqCode).arg(b.NoTransactions).arg(b.TotalCents);
            RowsForTwoThreads = 2000;
            return all;
        };
        const QStringList one = told(f.data.SelectedWorkbook, 1000000);
        QCOMPARE(told(f.data.SelectedWorkbook, 2), one);
        QVERIFY(one.contains(rowLine(60, QStringLiteral("mandaat M-3 staat ook in regel 3 met een ander IBAN"))));
        QVERIFY(one.contains(QStringLiteral("== LET OP : 61 : mandaat M-3 staat ook in regel 3; de debiteur wordt "
                                            "twee keer geïncasseerd")));
        QVERIFY(one.filter(QStringLiteral("box Foutmelding: IBAN")).size() > 5);

        f.data.InputArray = {1, 0, 0, 4, 5, 6, 7, 8, 9, 10};
        const QString unreadable = testData(QStringLiteral("run/unreadable_cell/leden.xlsx"));
        const QStringList stopped = told(unreadable, 1000000);
        QCOMPARE(told(unreadable, 2), stopped);
        QVERIFY(stopped.contains(rowLine(3, QStringLiteral("onleesbare inhoud in kolom D\rVerwerking afgebroken"))));
    }

    // With a code column an empty code cell is a fault, whatever default an
    // earlier verification left: the file builder takes no such row.
    void emptyCodeCell_data()
    {
        QTest::addColumn<QString>("defaultSeqCode");
        QTest::newRow("no default") << QString();
        QTest::newRow("default from an earlier check") << QStringLiteral("RCUR");
    }
    void emptyCodeCell()
    {
        QFETCH(QString, defaultSeqCode);
        RunFixture f;
        f.data.defaultSeqCode = defaultSeqCode;
        const Control c = control(f, {RunFixture::headings(), with(row(), I, QString()), with(row(), I, QVariant())});
        QVERIFY(!c.ok);
        QCOMPARE(c.lines(), (QStringList{rowLine(1, InvalidCode), rowLine(2, InvalidCode), QString()}));
        for (int k = 0; k < 4; ++k)
            QCOMPARE(c.count(k), 0);
    }

    // Without a code column every row takes the default, which is tested like a cell.
    void defaultCode_data()
    {
        QTest::addColumn<QString>("defaultSeqCode");
        QTest::addColumn<int>("counted"); // index of the code, -1 for none
        QTest::newRow("OOFF") << QStringLiteral("OOFF") << 3;
        QTest::newRow("lower case") << QStringLiteral("frst") << -1;
        QTest::newRow("empty") << QString() << -1;
    }
    void defaultCode()
    {
        QFETCH(QString, defaultSeqCode);
        QFETCH(int, counted);
        RunFixture f;
        f.data.InputArray[lfSeqCode] = 0;
        f.data.defaultSeqCode = defaultSeqCode;
        const Control c = control(f, {RunFixture::headings(), with(row(), I, QStringLiteral("FRST")), row()});
        QCOMPARE(c.ok, counted >= 0);
        for (int k = 0; k < 4; ++k)
            QCOMPARE(c.count(k), k == counted ? 2 : 0);
        if (counted < 0) {
            QCOMPARE(c.lines(), (QStringList{rowLine(1, InvalidCode + defaultSeqCode),
                                             rowLine(2, InvalidCode + defaultSeqCode), QString()}));
        }
    }

    // Rows the filter leaves out are counted under their own code cell only.
    void filteredRows_data()
    {
        QTest::addColumn<bool>("codeColumn");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("code column")
            << true
            << QStringList{
                   QStringLiteral(
                       "== LET OP : Er wordt/worden 2 regel(s) met sequentiecode RCUR geselecteerd voor verwerking."),
                   QStringLiteral(
                       "== LET OP : Er wordt/worden 1 regel(s) met sequentiecode OOFF geselecteerd voor verwerking."),
                   QString()};
        QTest::newRow("no code column") << false << QStringList{QString()};
    }
    void filteredRows()
    {
        QFETCH(bool, codeColumn);
        QFETCH(QStringList, expected);
        RunFixture f;
        f.data.cbFilter = true;
        f.data.strFilterReq = QStringLiteral("ja");
        f.data.intFilterCol = K + 1;
        if (!codeColumn) {
            f.data.InputArray[lfSeqCode] = 0;
            f.data.defaultSeqCode = QStringLiteral("RCUR");
        }
        const Control c = control(f, {RunFixture::headings(), with(row(), K, QStringLiteral(" ja ")),
                                      with(row(), K, QStringLiteral("JA")), with(row(), K, QVariant()),
                                      with(with(row(), K, QStringLiteral("nee")), I, QStringLiteral("OOFF")),
                                      with(with(row(), K, QStringLiteral("nee")), I, QStringLiteral("ooff")),
                                      with(with(row(), K, QStringLiteral("nee")), I, QStringLiteral("RCU"))});
        QVERIFY(c.ok);
        QCOMPARE(c.lines(), expected);
        QCOMPARE(c.count(1), 1);
        QCOMPARE(c.cents(1), qint64(1000));
        QCOMPARE(c.count(3), 0);
    }

    // A filter without a column (the layout screen only warns) reads an empty filter cell for
    // every row instead of failing on a column that does not exist.
    void filterWithoutColumn()
    {
        RunFixture f;
        f.data.cbFilter = true;
        f.data.intFilterCol = 0;
        f.data.strFilterReq = QStringLiteral("ja");
        Control c = control(f, {RunFixture::headings(), row()});
        QVERIFY(c.ok);
        QCOMPARE(c.count(1), 0);
        f.data.strFilterReq.clear();
        c = control(f, {RunFixture::headings(), row()});
        QVERIFY(c.ok);
        QCOMPARE(c.count(1), 1);
    }

    // The blank-row lines and the test for at least one collection.
    void blankRows_data()
    {
        QTest::addColumn<bool>("headings");
        QTest::addColumn<SheetRows>("rows");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("log");
        const QString none = QStringLiteral("== Geen enkele incasso!! Controleer het Excel werkboek/werkblad!!");
        const auto blankLines = [](int blanks, int possible) {
            return QStringList{QString(),
                               QStringLiteral("== LET OP : Er is/zijn ") + QString::number(blanks) +
                                   QStringLiteral(" blanco regel(s) gevonden in het inputbestand,"),
                               QStringLiteral("   deze worden genegeerd."), QString(),
                               QStringLiteral("== Er kunnen : ") + QString::number(possible) +
                                   QStringLiteral(" incasso s aangemaakt worden.")};
        };
        QTest::newRow("empty sheet with headings")
            << true << SheetRows{} << true
            << QStringList{QStringLiteral("== Start van de controle van : 0 inputregels."), QString()};
        QTest::newRow("empty sheet without headings")
            << false << SheetRows{} << false
            << QStringList{QStringLiteral("== Start van de controle van : 1 inputregels.")} + blankLines(1, 0) +
                   QStringList{none};
        QTest::newRow("one blank between three")
            << true << SheetRows{RunFixture::headings(), row(), row(), QVariantList{}, row()} << true
            << QStringList{QStringLiteral("== Start van de controle van : 4 inputregels.")} + blankLines(1, 3);
        QTest::newRow("only blank names")
            << false << SheetRows{with(row(), A, QStringLiteral("  ")), with(row(), A, QStringLiteral("\t"))} << false
            << QStringList{QStringLiteral("== Start van de controle van : 2 inputregels.")} + blankLines(2, 0) +
                   QStringList{none};
    }
    void blankRows()
    {
        QFETCH(bool, headings);
        QFETCH(SheetRows, rows);
        QFETCH(bool, ok);
        QFETCH(QStringList, log);
        RunFixture f;
        f.data.HasHeadings = headings;
        const Control c = control(f, rows);
        QCOMPARE(c.ok, ok);
        QCOMPARE(c.log, log);
        QVERIFY(f.notices.isEmpty());
    }

    // A row whose name holds only blanks is read and checked for characters
    // before it counts as blank.
    void blankNameRowIsCheckedForCharacters()
    {
        RunFixture f;
        const Control c = control(f, {RunFixture::headings(), row(),
                                      with(with(row(), A, QStringLiteral("   ")), B, QStringLiteral("Kerkweg 3 & 4"))});
        QVERIFY(!c.ok);
        QCOMPARE(c.lines().first(2),
                 (QStringList{rowLine(2, QStringLiteral("ongeoorloofd teken in Kerkweg 3 & 4")), QString()}));
        QCOMPARE(c.lines().at(2),
                 QStringLiteral("== LET OP : Er is/zijn 1 blanco regel(s) gevonden in het inputbestand,"));
        QCOMPARE(f.notices.errors.size(), 1);
        QVERIFY(f.notices.errors.first().startsWith(QStringLiteral("FOUT in : Kerkweg 3 & 4 .Het teken - & -")));
        QCOMPARE(c.count(1), 1);
    }

    // Every control that runs to its end refills the four records; one that
    // stops at an unreadable cell leaves them as they were.
    void records()
    {
        RunFixture f;
        TIncassobatches batches;
        for (TIncassobatch &b : batches) {
            b.SeqCode = QStringLiteral("oud");
            b.NoTransactions = 9;
            b.TotalCents = 9;
            b.SEPAFileName = QStringLiteral("oud.xml");
        }
        ProcessingLog log;
        QVERIFY(f.writeSheet({RunFixture::headings(), row(), with(row(), I, QStringLiteral("OOFF"))}));
        QVERIFY(
            CheckInputRows(f.data.SelectedWorkbook, f.data.SelectedSheet, f.data, f.service, f.clock, log, batches));
        for (int k = 0; k < 4; ++k) {
            QCOMPARE(batches[k].SeqCode, SeqCodes().at(k));
            QCOMPARE(batches[k].SeqCodeNo, k + 1);
            QCOMPARE(batches[k].NoTransactions, k == 1 || k == 3 ? 1 : 0);
            QCOMPARE(batches[k].TotalCents, qint64(k == 1 || k == 3 ? 1000 : 0));
            QVERIFY(batches[k].SEPAFileName.isEmpty());
        }
        QCOMPARE(batches[4].SEPAFileName, QStringLiteral("oud.xml")); // the totals row is the run's

        // A formula saved without its result in the amount column.
        const TIncassobatches before = batches;
        f.data.InputArray = {1, 0, 0, 4, 5, 6, 7, 8, 9, 10};
        QVERIFY(!CheckInputRows(testData(QStringLiteral("run/unreadable_cell/leden.xlsx")), QStringLiteral("Leden"),
                                f.data, f.service, f.clock, log, batches));
        QCOMPARE(log.lines().constLast(),
                 rowLine(3, QStringLiteral("onleesbare inhoud in kolom D\rVerwerking afgebroken")));
        for (int k = 0; k < 5; ++k) {
            QCOMPARE(batches[k].NoTransactions, before[k].NoTransactions);
            QCOMPARE(batches[k].TotalCents, before[k].TotalCents);
        }
    }

    // What the control cannot open ends it with the reader's own message.
    void missingSheetOrWorkbook()
    {
        RunFixture f;
        QVERIFY(f.writeSheet({RunFixture::headings(), row()}));
        ProcessingLog log;
        TIncassobatches batches;
        QVERIFY_THROWS_EXCEPTION(KwError, CheckInputRows(f.data.SelectedWorkbook, QStringLiteral("Elders"), f.data,
                                                         f.service, f.clock, log, batches));
        QVERIFY_THROWS_EXCEPTION(KwError,
                                 CheckInputRows(f.dir.filePath(QStringLiteral("weg.xlsx")), QStringLiteral("Leden"),
                                                f.data, f.service, f.clock, log, batches));
        QVERIFY(log.lines().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestRowControl)
#include "TestRowControl.moc"
