#include "processing/RunChecks.h"
#include "sepa/Pain008.h"
#include "util/TestPaths.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

using namespace Qt::StringLiterals;
using Regels = QList<TIncassoRegel>;
Q_DECLARE_METATYPE(Pain008Header)
Q_DECLARE_METATYPE(TIncassoRegel)
Q_DECLARE_METATYPE(TPostalAddress)

namespace {

// Values as the file builder hands them over for a first collection.
Pain008Header header(const QString &seqTp, int batch, const QString &ctrlSum, const QString &nbOfTxs = u"1"_s)
{
    Pain008Header h;
    h.MsgId = u"Contributie_"_s + seqTp + u'_' + QString::number(batch);
    h.CreDtTm = u"2024-05-06T08:58:24"_s;
    h.NbOfTxs = nbOfTxs;
    h.CtrlSum = ctrlSum;
    h.InitgPtyName = u"Tennisvereniging De Lob"_s;
    h.PmtInfId = u"Contributie_"_s + QString::number(batch);
    h.SeqTp = seqTp;
    h.ReqdColltnDt = u"2024-05-10"_s;
    h.CdtrName = h.InitgPtyName;
    h.CdtrIBAN = u"NL13TEST0123456789"_s;
    h.CdtrBIC = u"INGBNL2A"_s;
    h.CdtrSchmeId = u"NL69ZZZ123456780000"_s;
    return h;
}

TIncassoRegel regel()
{
    TIncassoRegel r;
    r.EndToEndId = u"MND-2019-0420001"_s;
    r.InstdAmt = u"125.00"_s;
    r.MndtId = u"MND-2019-042"_s;
    r.DtOfSgntr = u"2019-03-14"_s;
    r.DbtrAgtBIC = u"NOTPROVIDED"_s;
    r.DbtrNm = u"J. de Vries"_s;
    r.DbtrIBAN = u"NL91ABNA0417164300"_s;
    r.Ustrd = u"Contributie 2024_Lid 1042"_s;
    return r;
}

template <typename T, typename Change> T with(T value, Change change)
{
    change(value);
    return value;
}

QStringList document(const Pain008Header &h, const Regels &regels)
{
    QStringList lines = Pain008HeaderLines(h);
    for (const TIncassoRegel &r : regels)
        AppendPain008TransactionLines(lines, r);
    lines += Pain008ClosingLines();
    return lines;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

class TestPain008 final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Byte-exact documents against files written by hand from the layout tables.
    void documentBytes_data()
    {
        QTest::addColumn<Pain008Header>("header");
        QTest::addColumn<Regels>("regels");
        QTest::addColumn<QString>("expected");

        QTest::newRow("one collection, no BIC column")
            << header(u"FRST"_s, 17, u"125.00"_s) << Regels{regel()} << u"one_notprovided.xml"_s;
        QTest::newRow("empty debtor BIC as NOTPROVIDED")
            << header(u"FRST"_s, 17, u"125.00"_s) << Regels{with(regel(), [](auto &r) { r.DbtrAgtBIC.clear(); })}
            << u"one_notprovided.xml"_s;
        QTest::newRow("BIC and a whole address")
            << header(u"RCUR"_s, 18, u"12.50"_s)
            << Regels{with(regel(),
                           [](auto &r) {
                               r.EndToEndId = u"MND-2020-1170002"_s;
                               r.InstdAmt = u"12.50"_s;
                               r.MndtId = u"MND-2020-117"_s;
                               r.DtOfSgntr = u"2020-01-31"_s;
                               r.DbtrAgtBIC = u"ABNANL2A"_s;
                               r.DbtrNm = u"A. Smit"_s;
                               r.DbtrAdr = {u"Dorpsstraat"_s, u"12"_s, u"1234 AB"_s, u"Ergens"_s, u"NL"_s};
                               r.DbtrIBAN = u"NL20INGB0001234567"_s;
                               r.Ustrd = u"Contributie 2024_Lid 1117"_s;
                           })}
            << u"bic_address.xml"_s;
        QTest::newRow("only postcode and town")
            << header(u"OOFF"_s, 19, u"0.30"_s)
            << Regels{with(regel(),
                           [](auto &r) {
                               r.EndToEndId = u"EENMALIG-80003"_s;
                               r.InstdAmt = u"0.30"_s;
                               r.MndtId = u"EENMALIG-8"_s;
                               r.DtOfSgntr = u"2024-04-30"_s;
                               r.DbtrAgtBIC = u"RABONL2U"_s;
                               r.DbtrNm = u"K. Visser"_s;
                               r.DbtrAdr = {{}, {}, u"9876 ZX"_s, u"Nergens"_s, u"NL"_s};
                               r.DbtrIBAN = u"NL39RABO0300065264"_s;
                               r.Ustrd = u"Contributie 2024_Toernooi"_s;
                           })}
            << u"address2.xml"_s;
        QTest::newRow("empty creditor BIC") << with(header(u"FNAL"_s, 20, u"10.125"_s), [](auto &h) {
            h.CdtrBIC.clear();
        }) << Regels{with(regel(), [](auto &r) {
            r.EndToEndId = u"MND-2019-0420004"_s;
            r.InstdAmt = u"10.125"_s;
            r.Ustrd = u"Contributie 2024_Laatste termijn"_s;
        })} << u"no_creditor_bic.xml"_s;
        QTest::newRow("markup characters escaped, quotes kept") << with(header(u"RCUR"_s, 21, u"7.50"_s), [](auto &h) {
            h.MsgId = u"S&S_RCUR_21"_s;
            h.PmtInfId = u"S&S_21"_s;
            h.InitgPtyName = h.CdtrName = u"Sport & Spel <Noord>"_s;
        }) << Regels{with(regel(), [](auto &r) {
            r.EndToEndId = u"A&B<1>0005"_s;
            r.InstdAmt = u"7.50"_s;
            r.MndtId = u"A&B<1>"_s;
            r.DbtrAgtBIC = u"ABNANL2A"_s;
            r.DbtrNm = u"Bakker & Zn. \"De Molen\" 't Hoekje"_s;
            r.DbtrAdr = {u"Kade <achterom>"_s, u"3"_s, u"1234 AB"_s, u"Ergens"_s, u"NL"_s};
            r.Ustrd = u"Contributie_les > 2 uur & meer"_s;
        })} << u"escaped.xml"_s;
        QTest::newRow("UTF-8") << with(header(u"RCUR"_s, 22, u"5.00"_s), [](auto &h) {
            h.InitgPtyName = h.CdtrName = u"Caf\u00e9 De Z\u00f6\u00eb"_s;
        }) << Regels{with(regel(), [](auto &r) {
            r.EndToEndId = u"MND-66-0006"_s;
            r.InstdAmt = u"5.00"_s;
            r.MndtId = u"MND-66-"_s;
            r.DbtrNm = u"\u00c5. \u00c5ngstr\u00f6m-M\u00fcller"_s;
            r.DbtrAdr = {u"C\u00f4te d'Or"_s, u"1"_s, u"1234 AB"_s, u"Zo\u00eb"_s, u"NL"_s};
            r.Ustrd = u"Bijdrage_\u20ac5 koffie"_s;
        })} << u"utf8.xml"_s;
        QTest::newRow("leading and trailing blanks kept") << with(header(u"RCUR"_s, 23, u"20.00"_s), [](auto &h) {
            h.InitgPtyName = h.CdtrName = u" Tennisvereniging De Lob  "_s;
        }) << Regels{with(regel(), [](auto &r) {
            r.EndToEndId = u"MND-7  0007"_s;
            r.InstdAmt = u"20.00"_s;
            r.MndtId = u"MND-7  "_s;
            r.DbtrAgtBIC = u"ABNANL2A"_s;
            r.DbtrNm = u" P. Jansen  "_s;
            r.DbtrAdr = {u"Laan"_s, u"5 "_s, u"1234 AB"_s, u" Ergens  "_s, u"NL"_s};
            r.Ustrd = u"Contributie_Lid 7   "_s;
        })} << u"trailing_blanks.xml"_s;
        QTest::newRow("three collections in row order")
            << header(u"RCUR"_s, 24, u"145.00"_s, u"3"_s)
            << Regels{with(regel(), [](auto &r) { r.EndToEndId = u"MND-2019-0420008"_s; }),
                      with(regel(),
                           [](auto &r) {
                               r.EndToEndId = u"MND-2020-1170009"_s;
                               r.InstdAmt = u"12.50"_s;
                               r.MndtId = u"MND-2020-117"_s;
                               r.DtOfSgntr = u"2020-01-31"_s;
                               r.DbtrAgtBIC = u"ABNANL2A"_s;
                               r.DbtrNm = u"A. Smit"_s;
                               r.DbtrAdr = {u"Dorpsstraat"_s, u"12"_s, u"1234 AB"_s, u"Wikkeldam"_s, u"NL"_s};
                               r.DbtrIBAN = u"NL20INGB0001234567"_s;
                               r.Ustrd = u"Contributie 2024_Lid 1117"_s;
                           }),
                      with(regel(),
                           [](auto &r) {
                               r.EndToEndId = u"MND-2021-0030010"_s;
                               r.InstdAmt = u"7.50"_s;
                               r.MndtId = u"MND-2021-003"_s;
                               r.DtOfSgntr = u"2021-09-01"_s;
                               r.DbtrAgtBIC.clear();
                               r.DbtrNm = u"B. Mulder"_s;
                               r.DbtrAdr = {u"Kerkpad"_s, u"1"_s, u"4321 CD"_s, u"Elders"_s, u"NL"_s};
                               r.DbtrIBAN = u"NL39RABO0300065264"_s;
                               r.Ustrd = u"Contributie 2024_Lid 1203"_s;
                           })}
            << u"several.xml"_s;
    }

    void documentBytes()
    {
        QFETCH(Pain008Header, header);
        QFETCH(Regels, regels);
        QFETCH(QString, expected);

        const QByteArray want = readAll(testData(u"pain008/"_s + expected));
        QVERIFY2(!want.isEmpty(), qPrintable(expected));
        const QByteArray got = Pain008Bytes(document(header, regels));

        // Line by line first, so that a difference is shown where it is.
        const QList<QByteArray> gotLines = got.split('\n');
        const QList<QByteArray> wantLines = want.split('\n');
        for (qsizetype i = 0; i < std::min(gotLines.size(), wantLines.size()); ++i)
            QVERIFY2(gotLines[i] == wantLines[i],
                     qPrintable(u"line %1: got \"%2\", want \"%3\""_s.arg(i + 1).arg(
                         QString::fromUtf8(gotLines[i].toPercentEncoding(" <>/=\"&;:.-_")),
                         QString::fromUtf8(wantLines[i].toPercentEncoding(" <>/=\"&;:.-_")))));
        QCOMPARE(got, want);
    }

    // The list of one collection equals what is appended for it.
    void transactionLinesMatchAppended_data() { documentBytes_data(); }
    void transactionLinesMatchAppended()
    {
        QFETCH(Pain008Header, header);
        QFETCH(Regels, regels);

        QStringList lines = Pain008HeaderLines(header);
        const qsizetype headerSize = lines.size();
        QStringList separate;
        for (const TIncassoRegel &r : regels) {
            AppendPain008TransactionLines(lines, r);
            separate += Pain008TransactionLines(r);
        }
        QCOMPARE(lines.mid(headerSize), separate);
    }

    // A collection's bytes written straight are those of its lines, whatever its values hold.
    void transactionBytesMatchLines_data()
    {
        QTest::addColumn<TIncassoRegel>("regel");
        QTest::newRow("plain") << regel();
        QTest::newRow("markup and quotes") << with(regel(), [](auto &r) {
            r.DbtrNm = u"Jansen & <Zn> \"de\" 'Oude'"_s;
            r.Ustrd = u"a>b&c<d"_s;
        });
        QTest::newRow("accents, euro sign, a character beyond 16 bits")
            << with(regel(), [](auto &r) { r.DbtrNm = u"Ren\u00e9e M\u00fcller \u20ac \U0001F600 & co"_s; });
        QTest::newRow("half a surrogate pair") << with(regel(), [](auto &r) {
            r.Ustrd = u"voor"_s + QChar(0xD83D) + u"na"_s;
            r.DbtrNm = QString(QChar(0xDE00));
        });
        QTest::newRow("BIC and structured address") << with(regel(), [](auto &r) {
            r.DbtrAgtBIC = u"ABNANL2A"_s;
            r.DbtrAdr = {u"Stra\u00dfe"_s, u"12 & 14"_s, u"1234 AB"_s, u"Den Haag"_s, u"NL"_s};
        });
        QTest::newRow("empty BIC and values") << with(regel(), [](auto &r) {
            r.DbtrAgtBIC.clear();
            r.Ustrd.clear();
        });
    }
    void transactionBytesMatchLines()
    {
        QFETCH(TIncassoRegel, regel);
        QByteArray bytes("kept");
        AppendPain008TransactionBytes(bytes, regel);
        QCOMPARE(bytes, "kept" + Pain008Bytes(Pain008TransactionLines(regel)));
    }

    // Every document written validates against the official schema, and the file holds the bytes.
    void savedDocumentValidates_data() { documentBytes_data(); }
    void savedDocumentValidates()
    {
        QFETCH(Pain008Header, header);
        QFETCH(Regels, regels);

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(u"Incasso_dd_2024-05-10_RCUR_08_17.xml"_s);
        const QStringList lines = document(header, regels);
        QString error;
        QVERIFY2(SavePain008(path, lines, &error), qPrintable(error));
        QCOMPARE(readAll(path), Pain008Bytes(lines));
        const QString problem = checkPain008Document(path);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
    }

    void transactionLineCount_data()
    {
        QTest::addColumn<QString>("bic");
        QTest::addColumn<TPostalAddress>("address");
        QTest::addColumn<int>("count");
        QTest::addColumn<QString>("agentLine"); // the line between <FinInstnId> and </FinInstnId>

        const QString othr = u"\t\t\t\t<Othr>"_s;
        const TPostalAddress none;
        const TPostalAddress town{{}, {}, u"1234 AB"_s, u"Ergens"_s, u"NL"_s};
        const TPostalAddress whole{u"Laan"_s, u"5"_s, u"1234 AB"_s, u"Ergens"_s, u"NL"_s};
        QTest::newRow("NOTPROVIDED") << u"NOTPROVIDED"_s << none << 30 << othr;
        QTest::newRow("empty BIC") << QString() << none << 30 << othr;
        QTest::newRow("BIC") << u"ABNANL2A"_s << none << 28 << u"\t\t\t\t<BICFI>ABNANL2A</BICFI>"_s;
        QTest::newRow("lower-case notprovided is a BIC")
            << u"notprovided"_s << none << 28 << u"\t\t\t\t<BICFI>notprovided</BICFI>"_s;
        QTest::newRow("BIC, postcode and town") << u"ABNANL2A"_s << town << 33 << u"\t\t\t\t<BICFI>ABNANL2A</BICFI>"_s;
        QTest::newRow("NOTPROVIDED, whole address") << u"NOTPROVIDED"_s << whole << 37 << othr;
    }

    void transactionLineCount()
    {
        QFETCH(QString, bic);
        QFETCH(TPostalAddress, address);
        QFETCH(int, count);
        QFETCH(QString, agentLine);

        const QStringList lines = Pain008TransactionLines(with(regel(), [&](auto &r) {
            r.DbtrAgtBIC = bic;
            r.DbtrAdr = address;
        }));
        QCOMPARE(lines.size(), count);
        const qsizetype finInstnId = lines.indexOf(u"\t\t\t<FinInstnId>"_s);
        QVERIFY(finInstnId > 0);
        QCOMPARE(lines.at(finInstnId + 1), agentLine);
    }

    // The placeholder the input screen starts with must not break the file.
    void creditorBicPlaceholderStaysWellFormed()
    {
        const Pain008Header h = with(header(u"RCUR"_s, 17, u"125.00"_s), [](auto &d) { d.CdtrBIC = u"<BIC>"_s; });
        QXmlStreamReader xml(Pain008Bytes(document(h, {regel()})));
        QString bicfi;
        while (!xml.atEnd()) {
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"BICFI")
                bicfi = xml.readElementText();
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(bicfi, u"<BIC>"_s);
    }

    void closingLines()
    {
        QCOMPARE(Pain008ClosingLines(), QStringList({u"</PmtInf>"_s, u"</CstmrDrctDbtInitn>"_s, u"</Document>"_s}));
    }

    void bytes_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QByteArray>("bytes");

        QTest::newRow("no lines") << QStringList() << QByteArray();
        QTest::newRow("empty line") << QStringList{QString()} << QByteArray("\r\n");
        QTest::newRow("tabs, no byte-order mark")
            << QStringList{u"\t\t<Id>"_s, u"x"_s} << QByteArray("\t\t<Id>\r\nx\r\n");
        QTest::newRow("two-byte") << QStringList{u"Zo\u00eb"_s} << QByteArray("Zo\xc3\xab\r\n");
        QTest::newRow("three-byte") << QStringList{u"\u20ac\u20ac\u20ac"_s}
                                    << QByteArray("\xe2\x82\xac\xe2\x82\xac\xe2\x82\xac\r\n");
        QTest::newRow("surrogate pair") << QStringList{u"\U0001F600"_s} << QByteArray("\xf0\x9f\x98\x80\r\n");
        QTest::newRow("lone surrogate at line end")
            << QStringList{QString(QChar(0xd83d)), u"a"_s} << QByteArray("\xef\xbf\xbd\r\na\r\n");
    }

    void bytes()
    {
        QFETCH(QStringList, lines);
        QFETCH(QByteArray, bytes);
        QCOMPARE(Pain008Bytes(lines), bytes);
    }

    // Saving

    void saveIntoMissingFolderLeavesNothing()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(u"ontbreekt/Incasso.xml"_s);
        QString error;
        QVERIFY(!SavePain008(path, document(header(u"RCUR"_s, 17, u"125.00"_s), {regel()}), &error));
        QVERIFY2(
            error.startsWith(u"SEPA bestand "_s + QDir::toNativeSeparators(path) + u" kan niet geschreven worden."_s),
            qPrintable(error));
        QVERIFY(!SavePain008(path, {}, nullptr));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), QStringList());
    }

    void saveOntoFolderFails()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(u"Incasso.xml"_s);
        QVERIFY(QDir(dir.path()).mkdir(u"Incasso.xml"_s));
        QString error;
        QVERIFY(!SavePain008(path, Pain008ClosingLines(), &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(QFileInfo(path).isDir());
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{u"Incasso.xml"_s});
    }

    void saveReplacesExistingFile()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(u"Incasso.xml"_s);
        {
            QFile old(path);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write(QByteArray(100000, 'x')); // longer than the new file: nothing of it may remain
        }
        const QStringList lines = document(header(u"RCUR"_s, 17, u"125.00"_s), {regel()});
        QString error;
        QVERIFY2(SavePain008(path, lines, &error), qPrintable(error));
        QVERIFY(error.isEmpty());
        QCOMPARE(readAll(path), Pain008Bytes(lines));
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{u"Incasso.xml"_s});
    }
};

QTEST_GUILESS_MAIN(TestPain008)
#include "TestPain008.moc"
