#include "RunChecks.h"
#include "RunFixture.h"
#include "model/Error.h"
#include "sepa/Builder.h"
#include "util/FileSizeLimit.h"

#include <QTest>

#include <limits>

namespace {
const QString Iban = QStringLiteral("NL91ABNA0417164300");

TIncassobatch batchOf(const QString &code, int count, qint64 cents)
{
    TIncassobatch b;
    b.SeqCode = code;
    b.NoTransactions = count;
    b.TotalCents = cents;
    return b;
}

void writeCounters(int batch, int incasso)
{
    TInputData d;
    d.BatchVolgnummer = batch;
    d.Incassovolgnummer = incasso;
    WriteCounters(d);
}

TInputData storedCounters()
{
    TInputData d;
    ReadCounters(d);
    return d;
}

QStringList hiddenFiles(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden).filter(QRegularExpression(QStringLiteral("^\\.")));
}
} // namespace

class TestBuilder : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands)); }

    void truncateInput_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<QString>("result");
        QTest::addColumn<bool>("warned");
        QTest::newRow("at the limit") << QStringLiteral("ABNANL2A") << 8 << QStringLiteral("ABNANL2A") << false;
        QTest::newRow("over it") << QStringLiteral("ABNANL2AXXX") << 8 << QStringLiteral("ABNANL2A") << true;
        // Blanks at the ends do not count, but stay in the result.
        QTest::newRow("blanks around") << QStringLiteral("  ABNANL2A\t ") << 8 << QStringLiteral("  ABNANL2A\t ")
                                       << false;
        QTest::newRow("cut with its blanks")
            << QStringLiteral("  ABNANL2AX") << 8 << QStringLiteral("  ABNANL") << true;
        QTest::newRow("empty") << QString() << 8 << QString() << false;
    }
    void truncateInput()
    {
        QFETCH(QString, text);
        QFETCH(int, maximum);
        QFETCH(QString, result);
        QFETCH(bool, warned);
        NoticeRecorder notices;
        QCOMPARE(TruncateInput(text, maximum), result);
        const QStringList expected{QStringLiteral("Melding: De input : \r") + text +
                                   QStringLiteral(" is te lang.\rMaximaal ") + QString::number(maximum) +
                                   QStringLiteral(" characters. Wordt ingekort. ")};
        QCOMPARE(notices.all, warned ? expected : QStringList());
    }

    void appendCounter_data()
    {
        QTest::addColumn<int>("counter");
        QTest::addColumn<QString>("id");
        QTest::newRow("7") << 7 << QStringLiteral("LID-10007");
        QTest::newRow("9999") << 9999 << QStringLiteral("LID-19999");
        QTest::newRow("10000") << 10000 << QStringLiteral("LID-10000");
        QTest::newRow("10007") << 10007 << QStringLiteral("LID-10007");
        QTest::newRow("12345") << 12345 << QStringLiteral("LID-12345");
    }
    void appendCounter()
    {
        QFETCH(int, counter);
        QFETCH(QString, id);
        QCOMPARE(AppendCounter(QStringLiteral("LID-1"), counter), id);
    }

    // Stops inside the row phase: no file, and the counters stay as stored,
    // so the next build uses the same batch number.
    void stopsWithoutStoringCounters_data()
    {
        QTest::addColumn<QVariant>("amount");
        QTest::addColumn<QVariant>("date");
        QTest::addColumn<QStringList>("boxes");
        QTest::newRow("amount") << QVariant(QStringLiteral("12 EUR")) << QVariant(QDate(2023, 1, 15)) << QStringList();
        QTest::newRow("mandate date") << QVariant(10) << QVariant(QStringLiteral("31-02-2023"))
                                      << QStringList{QStringLiteral(
                                             "Fout: Conversiefout in datum van machtiging in Excel input op regel 3")};
    }
    void stopsWithoutStoringCounters()
    {
        QFETCH(QVariant, amount);
        QFETCH(QVariant, date);
        QFETCH(QStringList, boxes);
        RunFixture f;
        QVariantList second =
            RunFixture::member(QStringLiteral("Piet"), 0, QStringLiteral("RCUR"), Iban, QStringLiteral("LID-2"));
        second[3] = amount;
        second[7] = date;
        QVERIFY(f.writeSheet(
            {RunFixture::headings(),
             RunFixture::member(QStringLiteral("Jan"), 10, QStringLiteral("RCUR"), Iban, QStringLiteral("LID-1")),
             second}));
        writeCounters(4, 40);
        ProcessingLog log;
        TIncassobatch batch = batchOf(QStringLiteral("RCUR"), 2, 2000);
        QVERIFY(!BouwSEPAfile(batch, f.data, f.service, log));
        QCOMPARE(f.notices.all, boxes);
        QVERIFY(batch.SEPAFileName.isEmpty());
        QVERIFY(QDir(f.data.TargetFolder).isEmpty(QDir::Files | QDir::Hidden));
        QCOMPARE(storedCounters().BatchVolgnummer, 4);
        QCOMPARE(storedCounters().Incassovolgnummer, 40);
        // The first row was logged before the stop.
        QCOMPARE(log.lines(), QStringList{QStringLiteral("== 2  Jan  10.00  Contributie_mei")});
    }

    // Counters at the top of a 32-bit integer (a hand-edited settings file) go on
    // at its bottom, as 32-bit counters do, instead of overflowing.
    void countersWrapAtTheTop()
    {
        RunFixture f;
        QVERIFY(
            f.writeSheet({RunFixture::headings(), RunFixture::member(QStringLiteral("Jan"), 10, QStringLiteral("RCUR"),
                                                                     Iban, QStringLiteral("LID-1"))}));
        constexpr int top = std::numeric_limits<int>::max();
        writeCounters(top, top);
        ProcessingLog log;
        TIncassobatch batch = batchOf(QStringLiteral("RCUR"), 1, 1000);
        QVERIFY(BouwSEPAfile(batch, f.data, f.service, log));
        QCOMPARE(batch.SEPAFileName, QStringLiteral("Incasso_dd_2024-05-10_RCUR_08_-2147483648.xml"));
        QVERIFY(f.readTarget(batch.SEPAFileName).contains("<EndToEndId>LID-13648</EndToEndId>"));
        QCOMPARE(storedCounters().BatchVolgnummer, std::numeric_limits<int>::min());
        QCOMPARE(storedCounters().Incassovolgnummer, std::numeric_limits<int>::min());
    }

    // A workbook changed after the control to amounts whose sum no cents can hold:
    // the collections cannot match the control's sum, so no file.
    void collectionsBeyondCents()
    {
        RunFixture f;
        QVariantList huge =
            RunFixture::member(QStringLiteral("Jan"), 0, QStringLiteral("RCUR"), Iban, QStringLiteral("LID-1"));
        huge[3] = QStringLiteral("90000000000000000");
        QVERIFY(f.writeSheet({RunFixture::headings(), huge, huge}));
        ProcessingLog log;
        TIncassobatch batch = batchOf(QStringLiteral("RCUR"), 2, 2000);
        QVERIFY(!BouwSEPAfile(batch, f.data, f.service, log));
        QVERIFY(QDir(f.data.TargetFolder).isEmpty(QDir::Files | QDir::Hidden));
    }

    // A filter column that is no column reads an empty filter cell, as in the row
    // control, so the build takes exactly the rows the control counted.
    void filterWithoutColumn_data()
    {
        QTest::addColumn<int>("column");
        QTest::newRow("no column") << 0;
        QTest::newRow("negative, from a hand-edited settings file") << -1;
    }
    void filterWithoutColumn()
    {
        QFETCH(int, column);
        RunFixture f;
        QVERIFY(
            f.writeSheet({RunFixture::headings(), RunFixture::member(QStringLiteral("Jan"), 10, QStringLiteral("RCUR"),
                                                                     Iban, QStringLiteral("LID-1"))}));
        f.data.cbFilter = true;
        f.data.intFilterCol = column;
        f.data.strFilterReq.clear();
        ProcessingLog log;
        TIncassobatch batch = batchOf(QStringLiteral("RCUR"), 1, 1000);
        QVERIFY(BouwSEPAfile(batch, f.data, f.service, log));
        QCOMPARE(log.lines(), QStringList{QStringLiteral("== 2  Jan  10.00  Contributie_mei")});
    }

    // The file is written through a temporary file: a write that comes up
    // short raises the error and leaves an older file of that name whole.
    void shortWriteKeepsTheOldFile()
    {
        RunFixture f;
        SheetRows rows{RunFixture::headings()};
        for (int i = 0; i < 20; ++i)
            rows << RunFixture::member(QStringLiteral("Lid"), 10, QStringLiteral("RCUR"), Iban, QStringLiteral("L"));
        QVERIFY(f.writeSheet(rows));
        const QString name = QStringLiteral("Incasso_dd_2024-05-10_RCUR_08_1.xml");
        {
            QFile old(f.targetFile(name));
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("oud");
        }
        ProcessingLog log;
        TIncassobatch batch = batchOf(QStringLiteral("RCUR"), 20, 20000);
        {
            const FileSizeLimit limit(4096); // the settings fit, the file of 20 collections does not
            QVERIFY_THROWS_EXCEPTION(KwError, BouwSEPAfile(batch, f.data, f.service, log));
        }
        QCOMPARE(f.readTarget(name), QByteArray("oud"));
        QVERIFY(QFile::remove(f.targetFile(name)));
        QVERIFY(hiddenFiles(f.data.TargetFolder).isEmpty());
        QVERIFY(batch.SEPAFileName.isEmpty());
        // The counters were stored before the file: its number is not used twice.
        QCOMPARE(storedCounters().BatchVolgnummer, 1);
        QCOMPARE(storedCounters().Incassovolgnummer, 20);

        QVERIFY(BouwSEPAfile(batch, f.data, f.service, log));
        QCOMPARE(batch.SEPAFileName, QStringLiteral("Incasso_dd_2024-05-10_RCUR_08_2.xml"));
        const QByteArray xml = f.readTarget(batch.SEPAFileName);
        QVERIFY(xml.contains("<EndToEndId>L0040</EndToEndId>"));
        KW_CHECK_PAIN008_FILES(f.data.TargetFolder);
    }

    // What the settings file cannot take ends the build with its own message, before any file.
    void settingsFileCannotBeWritten()
    {
        RunFixture f;
        QVERIFY(
            f.writeSheet({RunFixture::headings(), RunFixture::member(QStringLiteral("Jan"), 10, QStringLiteral("RCUR"),
                                                                     Iban, QStringLiteral("LID-1"))}));
        setSettingsFile(f.dir.filePath(QStringLiteral("weg/Kwintor2.ini")));
        ProcessingLog log;
        TIncassobatch batch = batchOf(QStringLiteral("RCUR"), 1, 1000);
        try {
            BouwSEPAfile(batch, f.data, f.service, log);
            QFAIL("no error");
        } catch (const KwError &e) {
            QVERIFY2(e.message().startsWith(
                         QStringLiteral("De volgnummers kunnen niet worden opgeslagen in het instellingenbestand ")),
                     qPrintable(e.message()));
        }
        setSettingsFile(QString());
        QVERIFY(QDir(f.data.TargetFolder).isEmpty(QDir::Files | QDir::Hidden));
    }
};

QTEST_GUILESS_MAIN(TestBuilder)
#include "TestBuilder.moc"
