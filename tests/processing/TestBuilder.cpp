#include "RunChecks.h"
#include "RunFixture.h"
#include "model/SafeFile.h"
#include "sepa/Builder.h"

#include <QTest>

using namespace Qt::StringLiterals;

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

using Kind = BuildResult::Kind;

// A build into memory; a file made is saved under its name in the target
// folder, so that the file checks can read it.
BuildResult build(RunFixture &f, const TIncassobatch &batch, ProcessingLog &log, TCounters counters = {})
{
    ByteBuffer out;
    const BuildResult built = BouwSEPAfile(batch, f.data, counters, f.service, f.clock, log, out);
    if (built.kind == Kind::Made)
        WriteFileAtomically(f.targetFile(built.fileName), out.bytes());
    return built;
}

// An output that takes so many bytes and then refuses, as a full disk does.
class RefusingOutput final : public ByteOutput
{
public:
    explicit RefusingOutput(qsizetype room) : m_room(room) {}
    bool write(QByteArrayView bytes) override
    {
        m_room -= bytes.size();
        return m_room >= 0;
    }
    QString errorString() const override { return QStringLiteral("schijf vol"); }

private:
    qsizetype m_room;
};
} // namespace

Q_DECLARE_METATYPE(BuildResult::Kind)

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

    // The debtor's address, read from the two address texts as a row holds them.
    void debtorAddress_data()
    {
        QTest::addColumn<QString>("line1");
        QTest::addColumn<QString>("line2");
        QTest::addColumn<QStringList>("parts"); // street, number, postcode, town; none: no address
        QTest::addColumn<QString>("cut");       // the text TruncateInput warned about, with its maximum

        const auto nl = [](const char *street, const char *number, const char *postcode, const char *town) {
            return QStringList{QString::fromUtf8(street), QString::fromUtf8(number), QString::fromUtf8(postcode),
                               QString::fromUtf8(town)};
        };
        QTest::newRow("two lines") << u"Dorpsstraat 12"_s << u"1234 AB Wikkeldam"_s
                                   << nl("Dorpsstraat", "12", "1234 AB", "Wikkeldam") << QString();
        QTest::newRow("postcode in line 1") << u"1234 AB Wikkeldam"_s << u"Dorpsstraat 12"_s
                                            << nl("Dorpsstraat", "12", "1234 AB", "Wikkeldam") << QString();
        QTest::newRow("one line with a comma") << u"Dorpsstraat 12, 1234 AB Wikkeldam"_s << QString()
                                               << nl("Dorpsstraat", "12", "1234 AB", "Wikkeldam") << QString();
        QTest::newRow("postcode without blank")
            << u"Kerkweg 3"_s << u"1234AB Wikkeldam"_s << nl("Kerkweg", "3", "1234 AB", "Wikkeldam") << QString();
        QTest::newRow("lower-case letters")
            << u"Kerkweg 3"_s << u"1234 ab den Ham"_s << nl("Kerkweg", "3", "1234 AB", "den Ham") << QString();
        QTest::newRow("blanks around and between") << u"  Kerkweg  3 "_s << u" 1234 AB   Den Haag  "_s
                                                   << nl("Kerkweg", "3", "1234 AB", "Den Haag") << QString();
        QTest::newRow("number with a word") << u"Lange Gracht 4 bis"_s << u"2311 XA Leiden"_s
                                            << nl("Lange Gracht", "4 bis", "2311 XA", "Leiden") << QString();
        QTest::newRow("number with a letter") << u"Dorpsstraat 12-A"_s << u"1234 AB Wikkeldam"_s
                                              << nl("Dorpsstraat", "12-A", "1234 AB", "Wikkeldam") << QString();
        QTest::newRow("digits in the street") << u"2e Helmersstraat 5 hs"_s << u"1054 DE Amsterdam"_s
                                              << nl("2e Helmersstraat", "5 hs", "1054 DE", "Amsterdam") << QString();
        QTest::newRow("number part longer than 16")
            << u"Weg 12 achter de oude kerk"_s << u"1234 AB Wikkeldam"_s
            << nl("Weg 12 achter de oude kerk", "", "1234 AB", "Wikkeldam") << QString();
        QTest::newRow("street without a number")
            << u"Dorpsplein"_s << u"1234 AB Wikkeldam"_s << nl("Dorpsplein", "", "1234 AB", "Wikkeldam") << QString();
        QTest::newRow("only a town line")
            << QString() << u"1234 AB Wikkeldam"_s << nl("", "", "1234 AB", "Wikkeldam") << QString();
        QTest::newRow("no postcode") << u"Dorpsstraat 12"_s << u"Wikkeldam"_s << QStringList() << QString();
        QTest::newRow("post box") << u"Postbus 12"_s << QString() << QStringList() << QString();
        QTest::newRow("postcode starting with 0")
            << u"Dorpsstraat 12"_s << u"0123 AB Wikkeldam"_s << QStringList() << QString();
        QTest::newRow("postcode without town") << u"Dorpsstraat 12"_s << u"1234 AB"_s << QStringList() << QString();
        QTest::newRow("Belgian postcode") << u"Grote Markt 1"_s << u"1000 Brussel"_s << QStringList() << QString();
        const QString town40 = u"Wikkeldam aan de Oude Rijn bij de Molens"_s;
        QCOMPARE(town40.size(), 40);
        QTest::newRow("40-character town") << u"Dorpsstraat 1"_s << u"1234 AB "_s + town40
                                           << nl("Dorpsstraat", "1", "1234 AB", qPrintable(town40.left(35)))
                                           << town40 + u" is te lang.\rMaximaal 35"_s;
    }
    void debtorAddress()
    {
        QFETCH(QString, line1);
        QFETCH(QString, line2);
        QFETCH(QStringList, parts);
        QFETCH(QString, cut);
        NoticeRecorder notices;
        TPostalAddress want;
        if (!parts.isEmpty())
            want = {parts[0], parts[1], parts[2], parts[3], u"NL"_s};
        // The control's quick test agrees with the reading.
        QCOMPARE(HasPostcodeAndTown(line1, line2), !parts.isEmpty());
        const TPostalAddress got = DebtorAddress(line1, line2);
        QCOMPARE(QStringList({got.StrtNm, got.BldgNb, got.PstCd, got.TwnNm, got.Ctry}),
                 QStringList({want.StrtNm, want.BldgNb, want.PstCd, want.TwnNm, want.Ctry}));
        QCOMPARE(notices.all,
                 cut.isEmpty() ? QStringList()
                               : QStringList{u"Melding: De input : \r"_s + cut + u" characters. Wordt ingekort. "_s});
    }

    // MsgId and PmtInfId keep their batch number; the label gives way, and the
    // warning names the label and what is left for it.
    void identifiersKeepTheBatchNumber_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("msgId");
        QTest::addColumn<QString>("pmtInfId");
        QTest::addColumn<QStringList>("boxes");
        const auto cut = [](const QString &label, int maximum) -> QString {
            return u"Melding: De input : \r"_s + label + u" is te lang.\rMaximaal "_s + QString::number(maximum) +
                   u" characters. Wordt ingekort. "_s;
        };
        QTest::newRow("short label") << u"Contributie mei"_s << u"Contributie mei_FRST_10"_s << u"Contributie mei_10"_s
                                     << QStringList();
        QTest::newRow("25 characters") << u"Contributie december 2026"_s << u"Contributie decem_FRST_10"_s
                                       << u"Contributie december 2026_10"_s
                                       << QStringList{cut(u"Contributie december 2026"_s, 17)};
        const QString label34 = u"Contributie en bijdragen seizoen 27"_s.left(34);
        QTest::newRow("34 characters") << label34 << u"Contributie en bi_FRST_10"_s << label34.left(32) + u"_10"_s
                                       << QStringList{cut(label34, 17), cut(label34, 32)};
    }
    void identifiersKeepTheBatchNumber()
    {
        QFETCH(QString, label);
        QFETCH(QString, msgId);
        QFETCH(QString, pmtInfId);
        QFETCH(QStringList, boxes);
        RunFixture f;
        f.data.IncassoLabel = label;
        QVERIFY(
            f.writeSheet({RunFixture::headings(), RunFixture::member(QStringLiteral("Jan"), 10, QStringLiteral("FRST"),
                                                                     Iban, QStringLiteral("LID-1"))}));
        ProcessingLog log;
        const BuildResult built = build(f, batchOf(QStringLiteral("FRST"), 1, 1000), log, {9, 0});
        QCOMPARE(built.kind, Kind::Made);
        const QByteArray xml = f.readTarget(built.fileName);
        QVERIFY(xml.contains(QByteArray("<MsgId>" + msgId.toUtf8() + "</MsgId>")));
        QVERIFY(xml.contains(QByteArray("<PmtInfId>" + pmtInfId.toUtf8() + "</PmtInfId>")));
        QCOMPARE(f.notices.all, boxes);
        KW_CHECK_PAIN008_FILES(f.data.TargetFolder);
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

    // Stops inside the row phase: no file, the batch number advanced and the
    // collection number as it came (the run stores neither).
    void stopsInTheRows_data()
    {
        QTest::addColumn<QVariant>("amount");
        QTest::addColumn<QVariant>("date");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("amount") << QVariant(QStringLiteral("12 EUR")) << QVariant(QDate(2023, 1, 15)) << Kind::Stopped
                                << QString();
        QTest::newRow("mandate date") << QVariant(10) << QVariant(QStringLiteral("31-02-2023")) << Kind::MandateDate
                                      << QStringLiteral(
                                             "Conversiefout in datum van machtiging in Excel input op regel 3");
    }
    void stopsInTheRows()
    {
        QFETCH(QVariant, amount);
        QFETCH(QVariant, date);
        QFETCH(Kind, kind);
        QFETCH(QString, message);
        RunFixture f;
        QVariantList second =
            RunFixture::member(QStringLiteral("Piet"), 0, QStringLiteral("RCUR"), Iban, QStringLiteral("LID-2"));
        second[3] = amount;
        second[7] = date;
        QVERIFY(f.writeSheet(
            {RunFixture::headings(),
             RunFixture::member(QStringLiteral("Jan"), 10, QStringLiteral("RCUR"), Iban, QStringLiteral("LID-1")),
             second}));
        ProcessingLog log;
        const BuildResult built = build(f, batchOf(QStringLiteral("RCUR"), 2, 2000), log, {4, 40});
        QCOMPARE(built.kind, kind);
        QCOMPARE(built.message, message);
        QVERIFY(f.notices.all.isEmpty()); // the run shows the box
        QVERIFY(built.fileName.isEmpty());
        QCOMPARE(built.counters.BatchVolgnummer, 5);
        QCOMPARE(built.counters.Incassovolgnummer, 40);
        // The first row was logged before the stop.
        QCOMPARE(log.lines(), QStringList{QStringLiteral("== 2  Jan  10.00  Contributie_mei")});
    }

    // What the builder cannot read or write ends the build with the reason,
    // for the run to end with.
    void failures_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<int>("room"); // bytes the output takes; -1 all
        QTest::addColumn<QString>("message");
        QTest::newRow("missing sheet") << QStringLiteral("Elders") << -1
                                       << QStringLiteral("Het werkblad \"Elders\" bestaat niet in werkboek ");
        QTest::newRow("output refuses the header") << QStringLiteral("Leden") << 100 << QStringLiteral("schijf vol");
        QTest::newRow("output refuses a collection") << QStringLiteral("Leden") << 2000 << QStringLiteral("schijf vol");
    }
    void failures()
    {
        QFETCH(QString, sheet);
        QFETCH(int, room);
        QFETCH(QString, message);
        RunFixture f;
        SheetRows rows{RunFixture::headings()};
        for (int i = 0; i < 5; ++i)
            rows << RunFixture::member(QStringLiteral("Lid"), 10, QStringLiteral("RCUR"), Iban, QStringLiteral("L"));
        QVERIFY(f.writeSheet(rows));
        f.data.SelectedSheet = sheet;
        ProcessingLog log;
        ByteBuffer all;
        RefusingOutput refusing(room);
        ByteOutput &out = room < 0 ? static_cast<ByteOutput &>(all) : refusing;
        const BuildResult built =
            BouwSEPAfile(batchOf(QStringLiteral("RCUR"), 5, 5000), f.data, {7, 70}, f.service, f.clock, log, out);
        QCOMPARE(built.kind, Kind::Failed);
        QVERIFY2(built.message.startsWith(message), qPrintable(built.message));
        QCOMPARE(built.counters.BatchVolgnummer, 8);
        QCOMPARE(built.counters.Incassovolgnummer, 70);
        QVERIFY(log.lines().size() < 5);
    }

    // Counters at the top (a hand-edited settings file): the last number is
    // still used, the one after it stops the build instead of wrapping to one
    // the bank has had.
    void countersStopAtTheTop_data()
    {
        QTest::addColumn<int>("batch");
        QTest::addColumn<int>("collection");
        QTest::addColumn<QString>("stop"); // the start of the message; empty: the file is made
        QTest::newRow("last numbers") << MaxCounter - 1 << MaxCounter - 1 << QString();
        QTest::newRow("batch at the top") << MaxCounter << 0 << QStringLiteral("Het batchnummer staat op het hoogste");
        QTest::newRow("collection at the top")
            << 0 << MaxCounter << QStringLiteral("Het incassonummer staat op het hoogste");
    }
    void countersStopAtTheTop()
    {
        QFETCH(int, batch);
        QFETCH(int, collection);
        QFETCH(QString, stop);
        RunFixture f;
        QVERIFY(
            f.writeSheet({RunFixture::headings(), RunFixture::member(QStringLiteral("Jan"), 10, QStringLiteral("RCUR"),
                                                                     Iban, QStringLiteral("LID-1"))}));
        ProcessingLog log;
        const BuildResult built = build(f, batchOf(QStringLiteral("RCUR"), 1, 1000), log, {batch, collection});
        if (!stop.isEmpty()) {
            QCOMPARE(built.kind, Kind::Failed);
            QVERIFY2(built.message.startsWith(stop), qPrintable(built.message));
            QVERIFY(built.counters.BatchVolgnummer <= MaxCounter && built.counters.Incassovolgnummer <= MaxCounter);
            return;
        }
        QCOMPARE(built.kind, Kind::Made);
        QCOMPARE(built.fileName, QStringLiteral("Incasso_dd_2024-05-10_RCUR_08_2147483646.xml"));
        QVERIFY(f.readTarget(built.fileName).contains("<EndToEndId>LID-13646</EndToEndId>"));
        QCOMPARE(built.counters.BatchVolgnummer, MaxCounter);
        QCOMPARE(built.counters.Incassovolgnummer, MaxCounter);
        // The counters came in and go out as values: no settings file was read or made.
        QVERIFY(QDir(f.dir.path()).entryList({QStringLiteral("*.ini"), QStringLiteral("*.INI")}).isEmpty());
        KW_CHECK_PAIN008_FILES(f.data.TargetFolder);
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
        QCOMPARE(build(f, batchOf(QStringLiteral("RCUR"), 2, 2000), log).kind, Kind::Stopped);
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
        QCOMPARE(build(f, batchOf(QStringLiteral("RCUR"), 1, 1000), log).kind, Kind::Made);
        QCOMPARE(log.lines(), QStringList{QStringLiteral("== 2  Jan  10.00  Contributie_mei")});
        KW_CHECK_PAIN008_FILES(f.data.TargetFolder);
    }
};

QTEST_GUILESS_MAIN(TestBuilder)
#include "TestBuilder.moc"
