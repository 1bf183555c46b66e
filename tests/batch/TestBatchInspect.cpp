#include "util/TestPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

struct Run
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs kwintor2-batch in a Dutch regional setting.
Run batch(const QStringList &args)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("nl_NL.UTF-8"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KW_BATCH_EXE), args);
    if (!p.waitForFinished(60000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QString fixture(const QString &name)
{
    return testData(QStringLiteral("workbook/") + name);
}

} // namespace

class TestBatchInspect : public QObject
{
    Q_OBJECT
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QCOMPARE(mkfifo(QFile::encodeName(m_dir.filePath(QStringLiteral("pijp.xlsx"))).constData(), 0600), 0);
    }

    void listsWorksheets()
    {
        const Run r = batch({"--werkboek", fixture("libreoffice.xlsx"), "--werkbladen"});
        QCOMPARE(r.err, QString());
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QStringLiteral("Datums\nWaarden\nTabel\nVerborgen\nLeeg\n"));
    }

    void showsTheCells_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QString>("expected");
        QTest::newRow("table with a stray value")
            << "libreoffice.xlsx"
            << "Tabel"
            << "100\nA1\ttekst\tNaam\nB1\ttekst\tBedrag\nA2\ttekst\tJansen\nB2\tgetal\t10\n"
               "A5\ttekst\tPietersen\nB5\tgetal\t20\nB100\ttekst\tverdwaald\n";
        QTest::newRow("empty sheet") << "libreoffice.xlsx"
                                     << "Leeg"
                                     << "1\n";
        QTest::newRow("formulas without value, escaped line break")
            << "openpyxl.xlsx"
            << "Incasso"
            << "4\nA1\ttekst\tNaam\nB1\ttekst\tBedrag\nC1\ttekst\tMachtiging\nD1\ttekst\tTotaal\n"
               "A2\ttekst\tJansen\nB2\tgetal\t12,5\nC2\tdatum\t10-05-2024\nD2\tfout\tformule zonder waarde\n"
               "A3\ttekst\tPietersen\nB3\tgetal\t7\nC3\tdatum\t02-01-2023\nD3\tfout\tformule zonder waarde\n"
               "A4\ttekst\tRegel\\reinde\nC4\ttekst\t10-05-2024\nD4\twaarheid\tWAAR\n";
    }
    void showsTheCells()
    {
        QFETCH(QString, file);
        QFETCH(QString, sheet);
        QFETCH(QString, expected);
        const Run r = batch({"--werkboek", fixture(file), "--werkblad", sheet, "--toon"});
        QCOMPARE(r.err, QString());
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, expected);
    }

    void showsErrorCodes()
    {
        const Run r = batch({"--werkboek", fixture("libreoffice.xlsx"), "--werkblad", "Waarden", "--toon"});
        QCOMPARE(r.exitCode, 0);
        for (const char *line : {"B7\twaarheid\tWAAR", "B8\twaarheid\tONWAAR", "B9\tfout\t#DIV/0!", "B10\tfout\t#N/A",
                                 "B11\tfout\t#VALUE!", "B14\ttekst\t"})
            QVERIFY2(r.out.split(QLatin1Char('\n')).contains(QString::fromUtf8(line)), line);
    }

    void failsWithStatusTwo_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message"); // the start of stderr
        const QString lo = fixture("libreoffice.xlsx");
        const QString missing = QDir::toNativeSeparators(fixture("bestaat-niet.xlsx"));
        QTest::newRow("list without workbook")
            << QStringList{"--werkbladen"} << "kwintor2-batch: geef het werkboek op met --werkboek.";
        QTest::newRow("show without workbook")
            << QStringList{"--werkblad", "Tabel", "--toon"} << "kwintor2-batch: geef het werkboek op met --werkboek.";
        QTest::newRow("two commands") << QStringList{"--werkboek", lo, "--werkbladen", "--toon"}
                                      << "kwintor2-batch: kies --werkbladen of --toon.";
        QTest::newRow("show without sheet") << QStringList{"--werkboek", lo, "--toon"}
                                            << "kwintor2-batch: geef bij --toon het werkblad op met --werkblad.";
        QTest::newRow("unknown option") << QStringList{"--werkboek", lo, "--verwerk"} << "kwintor2-batch: ";
        QTest::newRow("stray argument") << QStringList{"--werkboek", lo, "--werkbladen", "extra"}
                                        << "kwintor2-batch: onbekend argument \"extra\".";
        QTest::newRow("missing workbook") << QStringList{"--werkboek", fixture("bestaat-niet.xlsx"), "--werkbladen"}
                                          << QStringLiteral("Het bestand %1 bestaat niet.\n").arg(missing);
        // Nothing is read from what is no regular file: a pipe or /dev/zero would never end.
        const QString pipe = m_dir.filePath(QStringLiteral("pijp.xlsx"));
        for (const QString &path : {pipe, QStringLiteral("/dev/zero"), m_dir.path()}) {
            const QString message = QStringLiteral("Het bestand: %1  is geen werkboek\n").arg(path);
            QTest::addRow("list %s", qPrintable(QFileInfo(path).fileName()))
                << QStringList{"--werkboek", path, "--werkbladen"} << message;
            QTest::addRow("show %s", qPrintable(QFileInfo(path).fileName()))
                << QStringList{"--werkboek", path, "--werkblad", "Blad1", "--toon"} << message;
        }
        QTest::newRow("missing sheet") << QStringList{"--werkboek", lo, "--werkblad", "Blad9", "--toon"}
                                       << QStringLiteral("Het werkblad \"Blad9\" bestaat niet in werkboek %1.\n")
                                              .arg(QDir::toNativeSeparators(lo));
    }
    void failsWithStatusTwo()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        const Run r = batch(args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.startsWith(message), qPrintable(r.err));
        QCOMPARE(r.out, QString());
    }

    void helpListsTheOptions()
    {
        const Run r = batch({"--help"});
        QCOMPARE(r.exitCode, 0);
        for (const char *option : {"--werkboek <bestand>", "--werkblad <naam>", "--werkbladen", "--toon"})
            QVERIFY2(r.out.contains(QLatin1String(option)), option);
    }
};

QTEST_GUILESS_MAIN(TestBatchInspect)
#include "TestBatchInspect.moc"
