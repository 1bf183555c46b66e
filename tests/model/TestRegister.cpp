#include "model/Error.h"
#include "model/Register.h"
#include "util/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QByteArray Header = "gemaakt;bestand;msgid;sequentiecode;incassodatum;mandaat;iban;bedrag";

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The files of a register as one text: "file code date count cents" per file.
QString listed(const CollectionRegister &reg)
{
    QStringList out;
    for (const TRegisterSummary &s : reg.files()) {
        out << QStringLiteral("%1 %2 %3 %4 %5")
                   .arg(s.fileName, s.seqCode, s.collectionDate)
                   .arg(s.collections)
                   .arg(s.totalCents);
    }
    return out.join(u'|');
}

TRegisterFile madeFile(const QString &name, const QString &code, const QString &date,
                       const QList<TRegisterCollection> &collections)
{
    return {
        QStringLiteral("2024-05-06T08:58:24"), name, QStringLiteral("Contributie_") + code, code, date, collections};
}
} // namespace

// The register of collections made: what reading takes and refuses, what
// appending leaves, and what the index tells a run.
class TestRegister : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Texts a register may hold: ours, and what a spreadsheet makes of it. Empty
    // "files": nothing; a "damaged" text: the start of the error's second part.
    void reading_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("files");
        QTest::addColumn<QString>("damaged");
        const QByteArray line = "2024-05-06T08:58:24;Incasso_dd_2024-05-10_RCUR_08_2.xml;C_RCUR_2;RCUR;2024-05-10;M-1;"
                                "NL91ABNA0417164300;12.50";
        const QString one = QStringLiteral("Incasso_dd_2024-05-10_RCUR_08_2.xml RCUR 2024-05-10 1 1250");
        QTest::newRow("empty file") << QByteArray() << QString() << QString();
        QTest::newRow("header only") << QByteArray(Header + "\n") << QString() << QString();
        QTest::newRow("one line") << QByteArray(Header + "\n" + line + "\n") << one << QString();
        QTest::newRow("saved by a spreadsheet: BOM, CR LF, quoted, no last line end, blank line")
            << QByteArray(
                   "\xEF\xBB\xBF\"gemaakt\";bestand;msgid;sequentiecode;incassodatum;mandaat;iban;bedrag\r\n\r\n" +
                   line + "\r\n2024-05-06T08:58:24;\"Incasso;\"\"x\"\"\";\"a\r\nb\";FRST;2024-05-10;M-2;;7")
            << one + QStringLiteral("|Incasso;\"x\" FRST 2024-05-10 1 700") << QString();
        QTest::newRow("another header") << QByteArray("gemaakt,bestand\n" + line + "\n") << QString()
                                        << QStringLiteral("regel 1 is niet de kopregel ") + QString::fromLatin1(Header);
        QTest::newRow("only a BOM") << QByteArray("\xEF\xBB\xBF") << QString() << QStringLiteral("regel 1 is niet");
        QTest::newRow("a field short") << QByteArray(Header + "\n" + line + "\n" + line.left(line.lastIndexOf(';')))
                                       << QString() << QStringLiteral("regel 3 heeft 7 velden in plaats van 8.");
        QTest::newRow("a field more") << QByteArray(Header + "\n" + line + ";x\n") << QString()
                                      << QStringLiteral("regel 2 heeft 9 velden in plaats van 8.");
        QTest::newRow("quote not closed")
            << QByteArray(Header + "\n" + line + "\n\"2024;x\n" + line + "\n") << QString()
            << QStringLiteral("regel 3 heeft een aanhalingsteken dat niet wordt gesloten.");
        QTest::newRow("text after a closing quote")
            << QByteArray(Header + "\n\"2024\"x;" + line.mid(line.indexOf(';') + 1) + "\n") << QString()
            << QStringLiteral("regel 2 heeft tekst na het aanhalingsteken");
        QTest::newRow("no date") << QByteArray(Header + "\n" + QByteArray(line).replace(";2024-05-10;", ";2024-02-30;"))
                                 << QString()
                                 << QStringLiteral("regel 2 heeft geen geldige incassodatum (jjjj-mm-dd): 2024-02-30.");
        QTest::newRow("no code") << QByteArray(Header + "\n" + QByteArray(line).replace(";RCUR;", ";rcur;"))
                                 << QString() << QStringLiteral("regel 2 heeft geen geldige sequentiecode: rcur.");
        QTest::newRow("no amount") << QByteArray(Header + "\n" + QByteArray(line).replace(";12.50", ";12,50"))
                                   << QString() << QStringLiteral("regel 2 heeft geen geldig bedrag: 12,50.");
    }
    void reading()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, files);
        QFETCH(QString, damaged);
        QTemporaryDir dir;
        const QString path = dir.filePath(RegisterFileName());
        QVERIFY(writeBytes(path, bytes));
        const CollectionRegister reg(path);
        try {
            QCOMPARE(listed(reg), files);
            QVERIFY2(damaged.isEmpty(), "read a damaged register");
        } catch (const KwError &e) {
            const QString start = QStringLiteral("Het register ") + path + QStringLiteral(" is beschadigd: ");
            QVERIFY2(!damaged.isEmpty() && e.message().startsWith(start + damaged), qPrintable(e.message()));
            QVERIFY(e.message().contains(QStringLiteral("\rHet register wordt niet gewijzigd.")));
        }
        QCOMPARE(readBytes(path), bytes);
    }

    // A new register gets the header, later files only their lines; fields
    // with ";" or a quote are quoted, and everything reads back.
    void appendAndReadBack()
    {
        QTemporaryDir dir;
        const CollectionRegister reg(dir.filePath(RegisterFileName()));
        QCOMPARE(listed(reg), QString()); // missing: empty, and not made by reading
        QVERIFY(!QFile::exists(reg.path()));
        reg.append(madeFile(QStringLiteral("Incasso_dd_2024-05-10_FRST_08_1.xml"), QStringLiteral("FRST"),
                            QStringLiteral("2024-05-10"),
                            {{QStringLiteral("M-1"), QStringLiteral("NL91ABNA0417164300"), QStringLiteral("25.00")},
                             {QStringLiteral("M-2"), QStringLiteral("NL13TEST0123456789"), QStringLiteral("0.10")}}));
        TRegisterFile odd =
            madeFile(QStringLiteral("Incasso_dd_2024-05-10_RCUR_08_2.xml"), QStringLiteral("RCUR"),
                     QStringLiteral("2024-05-10"), {{QStringLiteral("M;3"), {}, QStringLiteral(".00")}});
        odd.msgId = QStringLiteral("Club \"De Wikkel\";mei");
        reg.append(odd);
        QCOMPARE(readBytes(reg.path()),
                 Header +
                     "\n"
                     "2024-05-06T08:58:24;Incasso_dd_2024-05-10_FRST_08_1.xml;Contributie_FRST;FRST;2024-05-10;M-1;"
                     "NL91ABNA0417164300;25.00\n"
                     "2024-05-06T08:58:24;Incasso_dd_2024-05-10_FRST_08_1.xml;Contributie_FRST;FRST;2024-05-10;M-2;"
                     "NL13TEST0123456789;0.10\n"
                     "2024-05-06T08:58:24;Incasso_dd_2024-05-10_RCUR_08_2.xml;\"Club \"\"De Wikkel\"\";mei\";RCUR;"
                     "2024-05-10;\"M;3\";;.00\n");
        QCOMPARE(listed(reg), QStringLiteral("Incasso_dd_2024-05-10_FRST_08_1.xml FRST 2024-05-10 2 2510|"
                                             "Incasso_dd_2024-05-10_RCUR_08_2.xml RCUR 2024-05-10 1 0"));
        TMandateHistory history;
        QVERIFY(reg.index(QDate(2024, 5, 10)).find(QStringLiteral("M;3"), history));
        QCOMPARE(history.sameDateFile, QStringLiteral("Incasso_dd_2024-05-10_RCUR_08_2.xml"));
    }

    // A last line that another program left without its line end does not
    // run into the first new one.
    void appendAfterALineWithoutItsEnd()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(RegisterFileName());
        const QByteArray old =
            Header + "\r\n2024-04-05T10:01:02;Incasso_dd_2024-04-10_RCUR_08_6.xml;x;RCUR;2024-04-10;M-1;NL;25.00";
        QVERIFY(writeBytes(path, old));
        const CollectionRegister reg(path);
        reg.append(madeFile(QStringLiteral("Incasso_dd_2024-05-10_RCUR_08_7.xml"), QStringLiteral("RCUR"),
                            QStringLiteral("2024-05-10"), {{QStringLiteral("M-1"), {}, QStringLiteral("25.00")}}));
        QVERIFY(
            readBytes(path).startsWith(QByteArray(old + "\n2024-05-06T08:58:24;Incasso_dd_2024-05-10_RCUR_08_7.xml;")));
        QCOMPARE(reg.files().size(), 2);
    }

    // A disk that takes only part of the lines: the register stays as it was,
    // with no half line at its end; a register that is no file is not written.
    void appendThatFails()
    {
        QTemporaryDir dir;
        const CollectionRegister reg(dir.filePath(RegisterFileName()));
        const TRegisterFile first =
            madeFile(QStringLiteral("Incasso_dd_2024-05-10_RCUR_08_1.xml"), QStringLiteral("RCUR"),
                     QStringLiteral("2024-05-10"), {{QStringLiteral("M-1"), {}, QStringLiteral("25.00")}});
        reg.append(first);
        const QByteArray before = readBytes(reg.path());
        TRegisterFile big = first;
        for (int i = 0; i < 100; ++i)
            big.collections << TRegisterCollection{QStringLiteral("M-%1").arg(i), {}, QStringLiteral("1.00")};
        {
            const FileSizeLimit limit(before.size() + 1000);
            QVERIFY_THROWS_EXCEPTION(KwError, reg.append(big));
        }
        QCOMPARE(readBytes(reg.path()), before);

        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("map")));
        const CollectionRegister folder(dir.filePath(QStringLiteral("map")));
        try {
            folder.append(first);
            QFAIL("appended to a folder");
        } catch (const KwError &e) {
            QVERIFY2(e.message().startsWith(QStringLiteral("Het register ") + folder.path() +
                                            QStringLiteral(" kan niet worden bijgewerkt: ")),
                     qPrintable(e.message()));
        }
        QVERIFY_THROWS_EXCEPTION(KwError, folder.index(QDate(2024, 5, 10)));
    }

    // What a run with one collection date learns of each mandate: its file
    // of that date, the last earlier line by date (a correction made later for
    // an earlier date does not reopen a closed mandate), nothing of later dates;
    // and the highest batch number of all.
    void index()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(RegisterFileName());
        const auto lineOf = [](const char *file, const char *code, const char *date,
                               const char *mandate) -> QByteArray {
            return QByteArray("2024-01-01T10:00:00;") + file + ";id;" + code + ';' + date + ';' + mandate +
                   ";NL;1.00\n";
        };
        QByteArray bytes = Header + '\n';
        bytes += lineOf("Incasso_dd_2024-03-11_RCUR_08_3.xml", "RCUR", "2024-03-11", "A");
        bytes += lineOf("Incasso_dd_2024-04-10_FNAL_08_4.xml", "FNAL", "2024-04-10", "A");
        bytes += lineOf("Incasso_dd_2024-03-12_RCUR_08_5.xml", "RCUR", "2024-03-12", "A");
        bytes += lineOf("Incasso_dd_2024-05-10_FRST_08_6.xml", "FRST", "2024-05-10", "B");
        bytes += lineOf("Incasso_dd_2024-05-10_FRST_08_8.xml", "FRST", "2024-05-10", "B");
        bytes += lineOf("Incasso_dd_2024-06-10_FNAL_08_12.xml", "FNAL", "2024-06-10", "C");
        bytes += lineOf("eigen naam.xml", "OOFF", "2024-06-10", "C");
        QVERIFY(writeBytes(path, bytes));

        const RegisterIndex index = CollectionRegister(path).index(QDate(2024, 5, 10));
        QCOMPARE(index.lines(), 7);
        QCOMPARE(index.highestBatchNumber(), 12);
        TMandateHistory a;
        QVERIFY(index.find(QStringLiteral("A"), a));
        QVERIFY(a.sameDateFile.isEmpty());
        QVERIFY(a.collectedBefore);
        QCOMPARE(a.lastCode, QStringLiteral("FNAL"));
        QCOMPARE(a.lastDate, QDate(2024, 4, 10));
        TMandateHistory b;
        QVERIFY(index.find(QStringLiteral("B"), b));
        QCOMPARE(b.sameDateFile, QStringLiteral("Incasso_dd_2024-05-10_FRST_08_8.xml"));
        QVERIFY(!b.collectedBefore);
        TMandateHistory c;
        QVERIFY(!index.find(QStringLiteral("C"), c));
        QVERIFY(!index.find(QStringLiteral("a"), c));
    }

    // Records that run over the pieces the register is read in, every field quoted.
    void largeQuotedRegister()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(RegisterFileName());
        QByteArray bytes = Header + '\n';
        constexpr int Lines = 30000;
        for (int i = 0; i < Lines; ++i) {
            bytes += "\"2024-01-01T10:00:00\";\"Incasso_dd_2024-04-10_RCUR_08_" + QByteArray::number(i % 97) +
                     ".xml\";\"" + QByteArray(i % 13, 'x') + "\r\n\";\"RCUR\";\"2024-04-10\";\"M;" +
                     QByteArray::number(i) + "\";\"NL\";\"1.00\"\n";
        }
        QVERIFY(bytes.size() > 3 * (1 << 20));
        QVERIFY(writeBytes(path, bytes));
        const RegisterIndex index = CollectionRegister(path).index(QDate(2024, 5, 10));
        QCOMPARE(index.lines(), Lines);
        QCOMPARE(index.highestBatchNumber(), 96);
        TMandateHistory history;
        for (int i : {0, 1, 9999, 10486, Lines - 1}) {
            QVERIFY(index.find(QStringLiteral("M;%1").arg(i), history));
            QCOMPARE(history.lastCode, QStringLiteral("RCUR"));
        }
    }
};

QTEST_GUILESS_MAIN(TestRegister)
#include "TestRegister.moc"
