#include "RuleMessages.h"
#include "model/Clock.h"
#include "model/InputData.h"
#include "rules/Verification.h"
#include "util/NoticeRecorder.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

const QString Error = QStringLiteral("Foutmelding: ");

const QString KiesMessage = QStringLiteral("Kies : \r"
                                           "Of (a) default waarde RCUR voor de sequentie code in input\r"
                                           "of (b) Excel kolom voor sequentiecode aangeven in Layout");

const QString LayoutMessage = QStringLiteral("FOUT in de Layout invoer!\r\r"
                                             "Alleen de twee adresregels, de kolommen voor BIC code\r"
                                             "en voor de sequentie code zijn optioneel.\r"
                                             "Alle andere velden moeten een kolomletter krijgen.");

QString folderMessage(const QString &path)
{
    return QStringLiteral("De map: ") + path + QStringLiteral("  is niet gevonden");
}

QString fileMessage(const QString &path)
{
    return QStringLiteral("Het bestand: ") + path + QStringLiteral("  is niet gevonden");
}

bool touch(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly);
}

// Today is Monday 11 March 2024.
const FixedClock Today{QDateTime(QDate(2024, 3, 11), QTime(9, 30))};

// A temporary input folder with a workbook and a target folder, and input
// data that passes every test.
class Workspace final
{
public:
    Workspace()
    {
        QDir(m_dir.path()).mkpath(QStringLiteral("invoer"));
        QDir(m_dir.path()).mkpath(QStringLiteral("uitvoer"));
        touch(path(QStringLiteral("invoer/incasso.xlsx")));

        data.Incassant = QStringLiteral("Stichting De Vrolijke Noot");
        data.IncassoLabel = QStringLiteral("Contributie 2024-1");
        data.Omschrijving = QStringLiteral("Contributie");
        data.InputFolder = path(QStringLiteral("invoer"));
        data.InputFile = QStringLiteral("incasso.xlsx");
        data.TargetFolder = path(QStringLiteral("uitvoer"));
        data.ZZZCode = QStringLiteral("NL69ZZZ123456780000");
        data.IBAN = QStringLiteral("NL13TEST0123456789");
        data.BIC = QStringLiteral("TESTNL2A");
        data.IncassoDate = QStringLiteral("15-03-2024");
        data.DefaultSequenceCode.clear();
        data.InputArray = {1, 2, 3, 4, 5, 6, 7, 8, 0, 9};
        // Values a passing verification must overwrite or keep.
        data.defaultSeqCode = QStringLiteral("OOFF");
    }

    bool ready() const { return m_dir.isValid(); }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Replaces "%1" in a text by the workspace folder.
    QString expand(const QString &text) const { return QString(text).replace(QStringLiteral("%1"), m_dir.path()); }

    // One text field of the input data by its name.
    QString &field(const QString &name)
    {
        if (name == QLatin1String("Incassant"))
            return data.Incassant;
        if (name == QLatin1String("IncassoLabel"))
            return data.IncassoLabel;
        if (name == QLatin1String("Omschrijving"))
            return data.Omschrijving;
        if (name == QLatin1String("InputFolder"))
            return data.InputFolder;
        if (name == QLatin1String("InputFile"))
            return data.InputFile;
        if (name == QLatin1String("TargetFolder"))
            return data.TargetFolder;
        if (name == QLatin1String("ZZZCode"))
            return data.ZZZCode;
        if (name == QLatin1String("IBAN"))
            return data.IBAN;
        if (name == QLatin1String("BIC"))
            return data.BIC;
        if (name == QLatin1String("IncassoDate"))
            return data.IncassoDate;
        qFatal("unknown field");
    }

    TInputData data;

private:
    QTemporaryDir m_dir;
};

} // namespace

class TestVerification final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void placeholdersStopAtIncassant()
    {
        TInputData data;
        NoticeRecorder rec;
        QVERIFY(!VerifyInput(data, Today));
        QCOMPARE(rec.all, QStringList{Error + sepaCharsMessage(data.Incassant, QStringLiteral("<"))});
        QCOMPARE(data.ssAlgOmschr, data.Omschrijving);
        QCOMPARE(data.defaultSeqCode, QString());
        QVERIFY(!data.onlyRCUR);
    }

    // One field spoilt at a time: its own box alone, no later test runs, and
    // the sequence-code mode stays as it was.
    void firstFailureStops_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value"); // %1 is the workspace folder
        QTest::addColumn<QStringList>("boxes");

        QTest::newRow("label") << QStringLiteral("IncassoLabel") << QStringLiteral("A & B")
                               << QStringList{sepaCharsMessage(QStringLiteral("A & B"), QStringLiteral("&"))};
        QTest::newRow("description") << QStringLiteral("Omschrijving") << QStringLiteral("Contributie_2024")
                                     << QStringList{
                                            sepaCharsMessage(QStringLiteral("Contributie_2024"), QStringLiteral("_"))};
        QTest::newRow("input folder") << QStringLiteral("InputFolder") << QStringLiteral("%1/weg")
                                      << QStringList{folderMessage(QStringLiteral("%1/weg"))};
        QTest::newRow("input folder placeholder")
            << QStringLiteral("InputFolder") << QStringLiteral("<map van het Excel incassobestand>")
            << QStringList{folderMessage(QStringLiteral("<map van het Excel incassobestand>"))};
        QTest::newRow("target folder") << QStringLiteral("TargetFolder") << QStringLiteral("%1/weg")
                                       << QStringList{folderMessage(QStringLiteral("%1/weg"))};
        QTest::newRow("workbook") << QStringLiteral("InputFile") << QStringLiteral("ander.xlsx")
                                  << QStringList{fileMessage(QStringLiteral("%1/invoer") + QDir::separator() +
                                                             QStringLiteral("ander.xlsx"))};
        QTest::newRow("creditor identifier")
            << QStringLiteral("ZZZCode") << QStringLiteral("NL68ZZZ123456780000")
            << QStringList{QStringLiteral("ZZZ-code : NL68ZZZ123456780000 is niet correct. Controleer de input.")};
        QTest::newRow("creditor identifier placeholder")
            << QStringLiteral("ZZZCode") << QStringLiteral("<NLxxZZZcode>")
            << QStringList{zzzWarning(), QStringLiteral("FOUT: Ook de ZZZ-code dient met NL te beginnen")};
        QTest::newRow("IBAN") << QStringLiteral("IBAN") << QStringLiteral("NL13TEST0123456798")
                              << QStringList{QStringLiteral("IBAN nummer : NL13TEST0123456798 is niet correct\r"
                                                            "Het controlegetal klopt niet.")};
        QTest::newRow("collection date") << QStringLiteral("IncassoDate") << QStringLiteral("31-02-2024")
                                         << QStringList{QStringLiteral(
                                                "De datum 31-02-2024 is niet correct.\r"
                                                "Geef als input een valide datum in het format dd-mm-yyyy")};
        QTest::newRow("no collection date") << QStringLiteral("IncassoDate") << QString() << QStringList();
        // After the IBAN the creditor's BIC, when there is one.
        for (const QString &bic : {QStringLiteral("RABO"), QStringLiteral("rabonl2u"), QStringLiteral("<BIC>")})
            QTest::newRow(qPrintable(QStringLiteral("BIC ") + bic))
                << QStringLiteral("BIC") << bic
                << QStringList{QStringLiteral("BIC : ") + bic +
                               QStringLiteral(" is geen geldige BIC code.\rEen BIC heeft 8 of 11 tekens, "
                                              "bijvoorbeeld RABONL2U.")};
        // A collection date the bank can execute: after today, on a working day.
        const auto notAfterToday = [](const QString &date) {
            return QStringList{QStringLiteral("De incassodatum ") + date +
                               QStringLiteral(" ligt niet na vandaag.\rKies een latere datum: de bank moet het "
                                              "bestand uiterlijk een werkdag voor de incassodatum ontvangen.")};
        };
        const auto closed = [](const QString &date, const QString &next) {
            return QStringList{QStringLiteral("Op ") + date +
                               QStringLiteral(" voeren de banken geen incasso's uit (weekend of feestdag).\r"
                                              "De eerstvolgende werkdag is ") +
                               next + QLatin1Char('.')};
        };
        QTest::newRow("collection date today")
            << QStringLiteral("IncassoDate") << QStringLiteral("11-03-2024") << notAfterToday(u"11-03-2024"_s);
        QTest::newRow("collection date yesterday")
            << QStringLiteral("IncassoDate") << QStringLiteral("10/03/2024") << notAfterToday(u"10/03/2024"_s);
        QTest::newRow("a two-digit year is long past")
            << QStringLiteral("IncassoDate") << QStringLiteral("15-03-24") << notAfterToday(u"15-03-24"_s);
        QTest::newRow("past and a Sunday: the first reason only")
            << QStringLiteral("IncassoDate") << QStringLiteral("03-03-2024") << notAfterToday(u"03-03-2024"_s);
        QTest::newRow("Saturday") << QStringLiteral("IncassoDate") << QStringLiteral("16-03-2024")
                                  << closed(u"16-03-2024"_s, u"18-03-2024"_s);
        QTest::newRow("Good Friday 2027")
            << QStringLiteral("IncassoDate") << QStringLiteral("26-3-2027") << closed(u"26-3-2027"_s, u"30-03-2027"_s);
        QTest::newRow("26 December") << QStringLiteral("IncassoDate") << QStringLiteral("26-12-2024")
                                     << closed(u"26-12-2024"_s, u"27-12-2024"_s);
    }
    void firstFailureStops()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QStringList, boxes);
        Workspace ws;
        QVERIFY(ws.ready());
        ws.field(field) = ws.expand(value);
        ws.data.InputArray = QList<int>(LayoutFieldCount, 0); // would fail too, were it reached
        NoticeRecorder rec;
        QVERIFY(!VerifyInput(ws.data, Today));
        QStringList expected;
        for (const QString &b : boxes)
            expected << Error + ws.expand(b);
        QCOMPARE(rec.all, expected);
        QCOMPARE(ws.data.ssAlgOmschr, ws.data.Omschrijving);
        QCOMPARE(ws.data.defaultSeqCode, QStringLiteral("OOFF"));
        QVERIFY(!ws.data.onlyRCUR);
    }

    void collectionDateAccepted_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("bic");
        QTest::newRow("tomorrow") << QStringLiteral("12-03-2024") << QStringLiteral("TESTNL2A");
        QTest::newRow("a Friday, with slashes") << QStringLiteral("15/03/2024") << QStringLiteral("ABNANL2AXXX");
        QTest::newRow("Easter Tuesday 2027, no creditor BIC") << QStringLiteral("30-03-2027") << QString();
    }
    void collectionDateAccepted()
    {
        QFETCH(QString, date);
        QFETCH(QString, bic);
        Workspace ws;
        QVERIFY(ws.ready());
        ws.data.IncassoDate = date;
        ws.data.BIC = bic;
        NoticeRecorder rec;
        QVERIFY(VerifyInput(ws.data, Today));
        QVERIFY(rec.isEmpty());
    }

    // The warning for another business code does not stop the verification.
    void businessCodeWarningGoesOn()
    {
        Workspace ws;
        QVERIFY(ws.ready());
        ws.data.ZZZCode = QStringLiteral("NL69ABC123456780000");
        NoticeRecorder rec;
        QVERIFY(VerifyInput(ws.data, Today));
        QCOMPARE(rec.all, QStringList{Error + zzzWarning()});
    }

    void sequenceCodeAndLayout_data()
    {
        QTest::addColumn<int>("seqColumn");
        QTest::addColumn<QString>("defaultCode");
        QTest::addColumn<QList<int>>("unset"); // required fields without a column
        QTest::addColumn<bool>("onlyRCURBefore");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("defaultSeqCode");
        QTest::addColumn<bool>("onlyRCUR");
        QTest::addColumn<QStringList>("boxes");

        const QList<int> none;
        QTest::newRow("no code column, no default")
            << 0 << QString() << none << false << true << QStringLiteral("RCUR") << true << QStringList();
        QTest::newRow("no code column, FRST")
            << 0 << QStringLiteral("FRST") << none << false << true << QStringLiteral("FRST") << true << QStringList();
        QTest::newRow("code column and a default")
            << 9 << QStringLiteral("RCUR") << QList<int>{lfOmschrijving} << true << false << QStringLiteral("OOFF")
            << true << QStringList{KiesMessage};
        QTest::newRow("code column, no default")
            << 9 << QString() << none << true << true << QStringLiteral("OOFF") << false << QStringList();
        QTest::newRow("code column, mandate date missing")
            << 9 << QString() << QList<int>{lfMandaatDatum} << true << false << QStringLiteral("OOFF") << false
            << QStringList{LayoutMessage};
        QTest::newRow("no code column, name missing") << 0 << QString() << QList<int>{lfNaam} << false << false
                                                      << QStringLiteral("RCUR") << true << QStringList{LayoutMessage};
        QTest::newRow("every required field missing")
            << 0 << QString() << QList<int>{lfNaam, lfBedrag, lfIBAN, lfMandaatId, lfMandaatDatum, lfOmschrijving}
            << false << false << QStringLiteral("RCUR") << true << QStringList{LayoutMessage};
    }
    void sequenceCodeAndLayout()
    {
        QFETCH(int, seqColumn);
        QFETCH(QString, defaultCode);
        QFETCH(QList<int>, unset);
        QFETCH(bool, onlyRCURBefore);
        QFETCH(bool, ok);
        QFETCH(QString, defaultSeqCode);
        QFETCH(bool, onlyRCUR);
        QFETCH(QStringList, boxes);
        Workspace ws;
        QVERIFY(ws.ready());
        ws.data.InputArray[lfSeqCode] = seqColumn;
        for (const int f : unset)
            ws.data.InputArray[f] = 0;
        ws.data.DefaultSequenceCode = defaultCode;
        ws.data.onlyRCUR = onlyRCURBefore;
        NoticeRecorder rec;
        QCOMPARE(VerifyInput(ws.data, Today), ok);
        QCOMPARE(ws.data.defaultSeqCode, defaultSeqCode);
        QCOMPARE(ws.data.onlyRCUR, onlyRCUR);
        QStringList expected;
        for (const QString &b : boxes)
            expected << Error + b;
        QCOMPARE(rec.all, expected);
    }

    void optionalColumnsMayBeEmpty()
    {
        Workspace ws;
        QVERIFY(ws.ready());
        for (const TLayoutField f : {lfAdres1, lfAdres2, lfBIC, lfSeqCode})
            ws.data.InputArray[f] = 0;
        NoticeRecorder rec;
        QVERIFY(VerifyInput(ws.data, Today));
        QVERIFY(rec.isEmpty());
    }

    void existence_data()
    {
        QTest::addColumn<QString>("path"); // %1 is the workspace folder
        QTest::addColumn<bool>("folder");
        QTest::addColumn<QString>("fileFault"); // empty: the file check passes

        const QString missing = QStringLiteral("  is niet gevonden");
        const QString noWorkbook = QStringLiteral("  is geen werkboek");
        QTest::newRow("folder") << QStringLiteral("%1/invoer") << true << noWorkbook;
        QTest::newRow("folder with trailing separator") << QStringLiteral("%1/invoer/") << true << noWorkbook;
        QTest::newRow("file") << QStringLiteral("%1/invoer/incasso.xlsx") << false << QString();
        QTest::newRow("link to a folder") << QStringLiteral("%1/map-link") << true << noWorkbook;
        QTest::newRow("link to a file") << QStringLiteral("%1/bestand-link") << false << QString();
        QTest::newRow("dangling link") << QStringLiteral("%1/los-link") << false << missing;
        QTest::newRow("missing") << QStringLiteral("%1/weg") << false << missing;
        QTest::newRow("trailing blank not trimmed") << QStringLiteral("%1/invoer ") << false << missing;
        QTest::newRow("empty") << QString() << false << missing;
        QTest::newRow("pipe") << QStringLiteral("%1/pijp") << false << noWorkbook;
        QTest::newRow("device") << QStringLiteral("/dev/null") << false << noWorkbook;
    }
    void existence()
    {
        QFETCH(QString, path);
        QFETCH(bool, folder);
        QFETCH(QString, fileFault);
        Workspace ws;
        QVERIFY(ws.ready());
        QVERIFY(QFile::link(ws.path(QStringLiteral("invoer")), ws.path(QStringLiteral("map-link"))));
        QVERIFY(QFile::link(ws.path(QStringLiteral("invoer/incasso.xlsx")), ws.path(QStringLiteral("bestand-link"))));
        QVERIFY(QFile::link(ws.path(QStringLiteral("nergens")), ws.path(QStringLiteral("los-link"))));
        QCOMPARE(mkfifo(QFile::encodeName(ws.path(QStringLiteral("pijp"))).constData(), 0600), 0);
        const QString p = ws.expand(path);

        NoticeRecorder rec;
        QCOMPARE(CheckFolderExists(p), folder);
        QCOMPARE(rec.all, folder ? QStringList() : QStringList{Error + folderMessage(p)});
        rec.clear();
        QCOMPARE(CheckFileExists(p), fileFault.isEmpty());
        QCOMPARE(rec.all, fileFault.isEmpty() ? QStringList()
                                              : QStringList{Error + QStringLiteral("Het bestand: ") + p + fileFault});
    }
};

QTEST_GUILESS_MAIN(TestVerification)
#include "TestVerification.moc"
