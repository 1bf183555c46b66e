#include "model/IniFile.h"
#include "processing/RunChecks.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <sys/stat.h>
#include <vector>

namespace {

struct Result
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The command is started with libfaketime's clock set to now: the clock starts
// there and runs on, so "today" is the same on every day the tests run.
Result runBatch(const QStringList &arguments, const QString &folder, const QDateTime &now,
                const QString &program = QStringLiteral(KW_BATCH_EXE), bool merged = false)
{
    QProcess p;
    if (merged)
        p.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LC_ALL"), QStringLiteral("nl_NL.UTF-8"));
    env.insert(QStringLiteral("LANG"), QStringLiteral("nl_NL.UTF-8"));
    env.insert(QStringLiteral("FAKETIME_DONT_FAKE_MONOTONIC"), QStringLiteral("1"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(folder);
    p.start(QStringLiteral("faketime"),
            QStringList{now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), program} + arguments);
    Result r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return r;
    r.exitCode = p.exitCode();
    r.out = p.readAllStandardOutput();
    if (!merged)
        r.err = p.readAllStandardError();
    return r;
}

// The moments of a run: the log's date-time text, the file's creation time and
// the time made in the register.
QByteArray withoutTimes(QByteArray bytes)
{
    static const QRegularExpression dateTime(QStringLiteral("\\d\\d-\\d\\d-\\d{4} \\d\\d:\\d\\d:\\d\\d"));
    static const QRegularExpression created(QStringLiteral("<CreDtTm>[^<]*</CreDtTm>"));
    static const QRegularExpression made(QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d;"),
                                         QRegularExpression::MultilineOption);
    QString text = QString::fromLatin1(bytes);
    text.replace(dateTime, QStringLiteral("<tijd>"))
        .replace(created, QStringLiteral("<CreDtTm/>"))
        .replace(made, QStringLiteral("<tijd>;"));
    return text.toLatin1();
}

// A saved log as the terminal shows it: UTF-8, every line break a line feed.
QByteArray asTerminal(const QByteArray &savedLog)
{
    QString text = DecodeWindows1252(savedLog);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text.toUtf8();
}

int exitFor(const QByteArray &result)
{
    if (result.contains("afgebroken"))
        return 2;
    if (result.contains("fouten") || result.contains("afgekeurd") || result.contains("niet gestart"))
        return 1;
    return 0;
}

QString settingsIn(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("Kwintor2.ini"));
}

// Friday 11 December 2026, for the example club.
const QDateTime ClubDay(QDate(2026, 12, 11), QTime(10, 0));

} // namespace

// kwintor2-batch as a user starts it: the exit status, stdout and stderr,
// the files, the saved log and the settings file afterwards.
class TestBatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("faketime")).isEmpty(),
                 "faketime is missing: scripts/install-deps installs it");
    }

    // Every end-to-end case through the command: the same files and the same
    // settings as the desktop application makes, boxes on stderr, the log on
    // stdout and in the --log file. Only the moments differ.
    void sameAsTheDesktopRun_data()
    {
        QTest::addColumn<QString>("name");
        for (const QString &name : goldenCases()) {
            if (QFile::exists(goldenCase(name) + QStringLiteral("/Kwintor2.ini")))
                QTest::newRow(qPrintable(name)) << name;
        }
    }
    void sameAsTheDesktopRun()
    {
        QFETCH(QString, name);
        QTemporaryDir work;
        QVERIFY(prepareGoldenCase(name, work.path()));
        const QString expected = goldenCase(name) + QStringLiteral("/expected/");
        const QStringList runs = goldenRuns(name);
        for (int i = 0; i < runs.size(); ++i) {
            const QString log = runFile(QStringLiteral("run"), QStringLiteral(".log"), i, runs.size());
            QStringList arguments{QStringLiteral("--instellingen"), QStringLiteral("Kwintor2.ini"),
                                  QStringLiteral("--werkblad"),     QStringLiteral("Leden"),
                                  QStringLiteral("--log"),          log};
            if (runs.at(i) == u"Ja")
                arguments << QStringLiteral("--opnieuw");
            const Result r = runBatch(arguments, work.path(), goldenClock(name));
            const QString result = runFile(QStringLiteral("result"), QStringLiteral(".txt"), i, runs.size());
            QCOMPARE(r.exitCode, exitFor(fileBytes(expected + result)));

            // The command answers the question with --opnieuw, and says so.
            QByteArray boxes =
                fileBytes(expected + runFile(QStringLiteral("boxes"), QStringLiteral(".txt"), i, runs.size()));
            boxes.replace("\rAntwoord: Ja\n", "\rAntwoord: Ja (--opnieuw)\n")
                .replace("\rAntwoord: Nee\n", "\rAntwoord: Nee (met --opnieuw: Ja)\n")
                .replace('\r', '\n');
            QCOMPARE(withoutFolder(r.err, work.path()), boxes);
            const QByteArray savedLog = fileBytes(expected + log);
            QCOMPARE(withoutTimes(withoutFolder(r.out, work.path())), withoutTimes(asTerminal(savedLog)));
            QCOMPARE(withoutTimes(withoutFolder(fileBytes(work.filePath(log)), work.path())), withoutTimes(savedLog));
        }

        // The settings file changed in its counters only, exactly as expected.
        QCOMPARE(fileBytes(work.filePath(QStringLiteral("Kwintor2.ini"))),
                 fileBytes(expected + QStringLiteral("Kwintor2.ini")));
        QCOMPARE(withoutTimes(fileBytes(work.filePath(registerName()))),
                 withoutTimes(fileBytes(expected + registerName())));
        const QMap<QString, QByteArray> files = filesIn(work.filePath(QStringLiteral("doel")));
        QMap<QString, QByteArray> wanted = filesIn(expected);
        for (auto it = wanted.begin(); it != wanted.end();)
            it = it.key().endsWith(QStringLiteral(".xml")) ? std::next(it) : wanted.erase(it);
        QCOMPARE(files.keys(), wanted.keys());
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            QCOMPARE(withoutTimes(it.value()), withoutTimes(wanted.value(it.key())));
        KW_CHECK_PAIN008_FILES(work.filePath(QStringLiteral("doel")));
    }

    // Runs started together on one settings file take turns: no two files share
    // a batch number or a message id, and the counters count every file. A run
    // that waited in vain stops with the message and makes nothing. With
    // --opnieuw, a later turn is not stopped by the register of an earlier one.
    void runsAtOnceTakeTurns()
    {
        QTemporaryDir work;
        QVERIFY(prepareGoldenCase(QStringLiteral("four_codes"), work.path()));
        const QDateTime now = goldenClock(QStringLiteral("four_codes"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LC_ALL"), QStringLiteral("nl_NL.UTF-8"));
        env.insert(QStringLiteral("FAKETIME_DONT_FAKE_MONOTONIC"), QStringLiteral("1"));
        constexpr int runs = 4;
        std::vector<std::unique_ptr<QProcess>> processes;
        for (int i = 0; i < runs; ++i) {
            auto p = std::make_unique<QProcess>();
            p->setProcessEnvironment(env);
            p->setWorkingDirectory(work.path());
            p->start(QStringLiteral("faketime"),
                     {now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")), QStringLiteral(KW_BATCH_EXE),
                      QStringLiteral("--instellingen"), QStringLiteral("Kwintor2.ini"), QStringLiteral("--werkblad"),
                      QStringLiteral("Leden"), QStringLiteral("--opnieuw")});
            processes.push_back(std::move(p));
        }
        int made = 0;
        for (const auto &p : processes) {
            QVERIFY(p->waitForFinished(60000));
            const QByteArray err = p->readAllStandardError();
            if (p->exitCode() == 0) {
                ++made;
                continue;
            }
            QCOMPARE(p->exitCode(), 2);
            QVERIFY2(err.startsWith("Foutmelding: Er loopt al een verwerking met dit instellingenbestand ("), err);
        }
        QVERIFY(made >= 1);
        const QMap<QString, QByteArray> files = filesIn(work.filePath(QStringLiteral("doel")));
        QCOMPARE(files.size(), 4 * made);
        QSet<QByteArray> ids;
        const QRegularExpression id(QStringLiteral("<(MsgId|PmtInfId)>([^<]*)<"));
        for (const QByteArray &xml : files) {
            for (auto it = id.globalMatch(QString::fromUtf8(xml)); it.hasNext();)
                ids.insert(it.next().captured(0).toUtf8());
        }
        QCOMPARE(ids.size(), 2 * files.size());
        const IniFile ini = IniFile::fromBytes(fileBytes(settingsIn(work.path())));
        QCOMPARE(ini.value(QStringLiteral("Counters"), QStringLiteral("Laatste batchnummer")),
                 QString::number(41 + 4 * made));
        QVERIFY(!QFile::exists(settingsIn(work.path()) + QStringLiteral(".lock")));
        KW_CHECK_PAIN008_FILES(work.filePath(QStringLiteral("doel")));
    }

    // On one terminal a box stands after the log lines written before it.
    void boxesBetweenTheirLogLines()
    {
        QTemporaryDir work;
        QVERIFY(prepareGoldenCase(QStringLiteral("four_codes"), work.path()));
        const Result r =
            runBatch({QStringLiteral("--instellingen"), QStringLiteral("Kwintor2.ini"), QStringLiteral("--werkblad"),
                      QStringLiteral("Leden")},
                     work.path(), goldenClock(QStringLiteral("four_codes")), QStringLiteral(KW_BATCH_EXE), true);
        QCOMPARE(r.exitCode, 0);
        const qsizetype row = r.out.indexOf("== 1  Anna de Vries  25.00  Lidmaatschap_jan\n");
        const qsizetype box = r.out.indexOf("Melding: Bestand : \nIncasso_dd_2024-01-31_FRST_08_42.xml\n");
        const qsizetype line = r.out.indexOf("== Bestand : Incasso_dd_2024-01-31_FRST_08_42.xml is aangemaakt\n");
        QVERIFY(row >= 0 && box >= 0 && line >= 0);
        QVERIFY(row < box);
        QVERIFY(box < line);
        // Everything reached the terminal, up to the last empty line.
        QVERIFY(QRegularExpression(QStringLiteral("\\nVerwerking succesvol afgesloten om [^\\n]+\\n\\n$"))
                    .match(QString::fromUtf8(r.out))
                    .hasMatch());
        KW_CHECK_PAIN008_FILES(work.filePath(QStringLiteral("doel")));
    }

    // A verification that fails shows its boxes and nothing else.
    void failedVerification()
    {
        QTemporaryDir work;
        QVERIFY(prepareGoldenCase(QStringLiteral("four_codes"), work.path()));
        const QByteArray before = fileBytes(settingsIn(work.path()));
        IniFile ini = IniFile::fromBytes(before);
        ini.setValue(QStringLiteral("Input"), QStringLiteral("IBAN"), QStringLiteral("NL13TEST0123456788"));
        QFile f(settingsIn(work.path()));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(ini.toBytes());
        f.close();

        const Result r =
            runBatch({QStringLiteral("--instellingen"), QStringLiteral("Kwintor2.ini"), QStringLiteral("--werkblad"),
                      QStringLiteral("Leden"), QStringLiteral("--log"), QStringLiteral("run.log")},
                     work.path(), goldenClock(QStringLiteral("four_codes")));
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(r.err, QByteArray("Foutmelding: IBAN nummer : NL13TEST0123456788 is niet correct\n"
                                   "Het controlegetal klopt niet.\n\n"));
        QVERIFY(QDir(work.filePath(QStringLiteral("doel"))).isEmpty());
    }

    // A pipe given as the workbook ends the run at once with its message; nothing waits for a writer.
    void pipeAsWorkbook()
    {
        QTemporaryDir work;
        QVERIFY(prepareGoldenCase(QStringLiteral("four_codes"), work.path()));
        const QString pipe = work.filePath(QStringLiteral("leden.xlsx"));
        QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        const Result r =
            runBatch({QStringLiteral("--instellingen"), QStringLiteral("Kwintor2.ini"), QStringLiteral("--werkblad"),
                      QStringLiteral("Leden"), QStringLiteral("--werkboek"), pipe},
                     work.path(), goldenClock(QStringLiteral("four_codes")));
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(QString::fromUtf8(r.err),
                 QStringLiteral("Foutmelding: Het bestand: %1  is geen werkboek\n\n").arg(pipe));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("no sheet") << QStringList{QStringLiteral("--instellingen"), QStringLiteral("Kwintor2.ini")}
                                  << QByteArray("kwintor2-batch: geef het werkblad op met --werkblad.\n"
                                                "Zie kwintor2-batch --help.\n");
        QTest::newRow("unknown option") << QStringList{QStringLiteral("--werkblad"), QStringLiteral("Leden"),
                                                       QStringLiteral("--snel")}
                                        << QByteArray("kwintor2-batch: Unknown option 'snel'.\n"
                                                      "Zie kwintor2-batch --help.\n");
        QTest::newRow("loose argument")
            << QStringList{QStringLiteral("--werkblad"), QStringLiteral("Leden"), QStringLiteral("extra")}
            << QByteArray("kwintor2-batch: onbekend argument \"extra\".\nZie kwintor2-batch --help.\n");
        QTest::newRow("no settings file")
            << QStringList{QStringLiteral("--instellingen"), QStringLiteral("weg.ini"), QStringLiteral("--werkblad"),
                           QStringLiteral("Leden")}
            << QByteArray("kwintor2-batch: het instellingenbestand weg.ini bestaat niet.\n");
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, err);
        QTemporaryDir work;
        QVERIFY(prepareGoldenCase(QStringLiteral("four_codes"), work.path()));
        const QByteArray before = fileBytes(settingsIn(work.path()));
        const Result r = runBatch(arguments, work.path(), goldenClock(QStringLiteral("four_codes")));
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(r.err, err);
        QCOMPARE(fileBytes(settingsIn(work.path())), before);
    }

    // Errors that end the run: their own message on stderr, "== FOUT: " and
    // that message as the last log line, exit status 2.
    void errorsThatEndTheRun_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("missing sheet") << QStringList{QStringLiteral("--werkblad"), QStringLiteral("Elders")}
                                       << QStringLiteral("Het werkblad \"Elders\" bestaat niet in werkboek ") << 2;
        QTest::newRow("file cannot be written") << QStringList{QStringLiteral("--werkblad"), QStringLiteral("Leden"),
                                                               QStringLiteral("--doelmap"), QStringLiteral("bezet")}
                                                << QStringLiteral("SEPA bestand ") << 2;
        // After a file was made a 2 would have a script run again and collect twice.
        QTest::newRow("second file cannot be written")
            << QStringList{QStringLiteral("--werkblad"), QStringLiteral("Leden"), QStringLiteral("--doelmap"),
                           QStringLiteral("half")}
            << QStringLiteral("SEPA bestand ") << 1;
    }
    void errorsThatEndTheRun()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        QFETCH(int, exitCode);
        QTemporaryDir work;
        QVERIFY(prepareGoldenCase(QStringLiteral("four_codes"), work.path()));
        // A folder in the way of the first file, or of the second.
        QVERIFY(QDir(work.path()).mkpath(QStringLiteral("bezet/Incasso_dd_2024-01-31_FRST_08_42.xml")));
        QVERIFY(QDir(work.path()).mkpath(QStringLiteral("half/Incasso_dd_2024-01-31_RCUR_08_43.xml")));
        const Result r = runBatch(QStringList{QStringLiteral("--instellingen"), QStringLiteral("Kwintor2.ini"),
                                              QStringLiteral("--log"), QStringLiteral("run.log")} +
                                      arguments,
                                  work.path(), goldenClock(QStringLiteral("four_codes")));
        QCOMPARE(r.exitCode, exitCode);
        QCOMPARE(QFile::exists(work.filePath(QStringLiteral("half/Incasso_dd_2024-01-31_FRST_08_42.xml"))),
                 exitCode == 1);
        QString err = QString::fromUtf8(r.err);
        if (exitCode == 1)
            err = err.mid(err.indexOf(QStringLiteral("Foutmelding: ")));
        QVERIFY2(err.startsWith(QStringLiteral("Foutmelding: ") + message), qPrintable(err));
        QVERIFY(err.endsWith(QStringLiteral("\n\n")));
        QString shown = err.mid(13);
        shown.chop(2);
        QVERIFY2(QString::fromUtf8(r.out).endsWith(QStringLiteral("== FOUT: ") + shown + u'\n'), r.out.constData());
        QVERIFY(
            withoutTimes(fileBytes(work.filePath(QStringLiteral("run.log"))))
                .endsWith(withoutTimes(QByteArray("\r\n== FOUT: ") + shown.replace(u'\n', u'\r').toLatin1() + "\r\n")));
    }

    // What the command refuses before anything is made: a settings file that
    // holds no setting of the program, a log that could not be saved afterwards.
    void refusedBeforeTheRun_data()
    {
        QTest::addColumn<QByteArray>("settings"); // written over Kwintor2.ini; "-": kept
        QTest::addColumn<QString>("log");
        QTest::addColumn<QByteArray>("err");
        const QByteArray noSettings("kwintor2-batch: Het instellingenbestand Kwintor2.ini bevat geen Kwintor2 "
                                    "instellingen.\n");
        QTest::newRow("empty settings") << QByteArray() << QString() << noSettings;
        QTest::newRow("binary settings") << QByteArray("PK\x03\x04\x00\x00\xff\xfe=\x01\n\x80[", 14) << QString()
                                         << noSettings;
        QTest::newRow("another program's settings") << QByteArray("[Input]\nTaal=nl\n") << QString() << noSettings;
        QTest::newRow("log in a missing folder")
            << QByteArray("-") << QStringLiteral("weg/run.log")
            << QByteArray("kwintor2-batch: Het bestand weg/run.log kan niet worden geschreven: niet gevonden (No such "
                          "file or directory)\n");
        QTest::newRow("log in a read-only folder")
            << QByteArray("-") << QStringLiteral("dicht/run.log")
            << QByteArray("kwintor2-batch: Het bestand dicht/run.log kan niet worden geschreven: geen toestemming "
                          "(Permission denied)\n");
        QTest::newRow("log is a folder") << QByteArray("-") << QStringLiteral("doel")
                                         << QByteArray("kwintor2-batch: Het bestand doel kan niet worden geschreven: "
                                                       "het is een map (Is a directory)\n");
    }
    void refusedBeforeTheRun()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QString, log);
        QFETCH(QByteArray, err);
        QTemporaryDir work;
        QVERIFY(prepareGoldenCase(QStringLiteral("four_codes"), work.path()));
        if (settings != "-") {
            QFile f(settingsIn(work.path()));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(settings);
        }
        const QString closed = work.filePath(QStringLiteral("dicht"));
        QVERIFY(QDir().mkpath(closed));
        QFile::setPermissions(closed, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (log.startsWith(u"dicht") && QFileInfo(closed).isWritable())
            QSKIP("root may write in every folder");
        const QByteArray before = fileBytes(settingsIn(work.path()));
        QStringList arguments{QStringLiteral("--instellingen"), QStringLiteral("Kwintor2.ini"),
                              QStringLiteral("--werkblad"), QStringLiteral("Leden")};
        if (!log.isEmpty())
            arguments << QStringLiteral("--log") << log;
        const Result r = runBatch(arguments, work.path(), goldenClock(QStringLiteral("four_codes")));
        QFile::setPermissions(closed, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(r.exitCode, 2);
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(r.err, err);
        QVERIFY(QDir(work.filePath(QStringLiteral("doel")))
                    .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        QCOMPARE(fileBytes(settingsIn(work.path())), before);
        QCOMPARE(QDir(closed).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
    }

    // The example club with this run's workbook, target folder and date:
    // none of them lands in the settings file, only the counters do. A
    // second run stops after the control, as everything was collected with
    // that date; with --opnieuw it numbers on. A control alone writes nothing.
    void exampleClub()
    {
        QTemporaryDir work;
        QDir dir(work.path());
        QVERIFY(dir.mkpath(QStringLiteral("uit")));
        QVERIFY(QFile::copy(QStringLiteral(KW_SOURCE_DIR "/examples/Kwintor2.ini"), settingsIn(work.path())));
        QFile::setPermissions(settingsIn(work.path()), QFile::ReadOwner | QFile::WriteOwner);
        const QString workbook = dir.filePath(QStringLiteral("ledenlijst caf\u00e9.xlsx"));
        QVERIFY(QFile::copy(QStringLiteral(KW_SOURCE_DIR "/examples/Sportclub.xlsx"), workbook));
        const QByteArray before = fileBytes(settingsIn(work.path()));
        const QStringList arguments{QStringLiteral("--instellingen"), settingsIn(work.path()),
                                    QStringLiteral("--werkblad"),     QStringLiteral("Leden"),
                                    QStringLiteral("--werkboek"),     workbook,
                                    QStringLiteral("--doelmap"),      QStringLiteral("uit"),
                                    QStringLiteral("--incassodatum"), QStringLiteral("+5")};

        const Result control =
            runBatch(arguments + QStringList{QStringLiteral("--alleen-controle")}, work.path(), ClubDay);
        QCOMPARE(control.exitCode, 0);
        QVERIFY(control.out.endsWith("== De Excel input is correct. Kies Verwerken.\n\n"));
        QCOMPARE(control.err, QByteArray());
        QVERIFY(QDir(dir.filePath(QStringLiteral("uit"))).isEmpty());
        QCOMPARE(fileBytes(settingsIn(work.path())), before);

        for (int pass = 0; pass < 2; ++pass) {
            if (pass == 1) {
                const QString again = QDir(work.path()).filePath(QStringLiteral("opnieuw.log"));
                const Result r =
                    runBatch(arguments + QStringList{QStringLiteral("--log"), again}, work.path(), ClubDay);
                QCOMPARE(r.exitCode, 1);
                QCOMPARE(r.err, QByteArray("Vraag: Er zijn 25 incasso's die al eerder zijn verwerkt met dezelfde "
                                           "incassodatum.\nWilt u ze toch opnieuw verwerken?\n"
                                           "Antwoord: Nee (met --opnieuw: Ja)\n\n"));
                QVERIFY(r.out.contains("== LET OP : 1 : mandaat SCW-0001 is al ge\xc3\xafncasseerd met incassodatum "
                                       "18-12-2026 (bestand Incasso_dd_2026-12-18_RCUR_08_2.xml)\n"));
                QVERIFY(r.out.endsWith("== LET OP : 25 incasso('s) uit deze tabel zijn al eerder verwerkt met dezelfde "
                                       "incassodatum.\n\n== Verwerking niet gestart: deze incasso's zijn al eerder "
                                       "verwerkt.\n\n"));
                QVERIFY(fileBytes(again).endsWith("verwerkt.\r\n\r\n"));
                QCOMPARE(QDir(dir.filePath(QStringLiteral("uit"))).count(), 2 + 2u);
            }
            const QStringList opnieuw = pass ? QStringList{QStringLiteral("--opnieuw")} : QStringList();
            const Result r =
                runBatch(arguments + opnieuw + QStringList{QStringLiteral("--log"), QStringLiteral("run.log")},
                         work.path(), ClubDay);
            QCOMPARE(r.exitCode, 0);
            QVERIFY(r.out.contains(QByteArray("        " + workbook.toUtf8() + "\n")));
            // The saved log: Windows-1252, CR LF, the line break inside a line kept.
            const QByteArray saved = fileBytes(dir.filePath(QStringLiteral("run.log")));
            QVERIFY(saved.contains(QByteArray("        " + workbook.toLatin1() + "\r\n")));
            QVERIFY(saved.contains("== Bestand : Er zijn geen incasso's met code FNAL in \rdit Excelbestand.\r\n"));
            // +5 on Friday 11 December: the fifth bank working day after it is Friday the 18th.
            const QByteArray asked = pass ? QByteArray("Vraag: Er zijn 25 incasso's die al eerder zijn verwerkt met "
                                                       "dezelfde incassodatum.\nWilt u ze toch opnieuw verwerken?\n"
                                                       "Antwoord: Ja (--opnieuw)\n\n")
                                          : QByteArray();
            QVERIFY(r.err.startsWith(QByteArray(asked + "Melding: Bestand : \nIncasso_dd_2026-12-18_FRST_08_" +
                                                QByteArray::number(2 * pass + 1) + ".xml\nis aangemaakt.\n")));
        }
        // Every file in the register, with every one of its collections.
        const Result listed =
            runBatch({QStringLiteral("--instellingen"), settingsIn(work.path()), QStringLiteral("--register")},
                     work.path(), ClubDay);
        QCOMPARE(listed.exitCode, 0);
        QCOMPARE(listed.err, QByteArray());
        const QList<QByteArray> lines = listed.out.split('\n');
        QCOMPARE(lines.size(), 4 + 1);
        for (int k = 0; k < 4; ++k) {
            const QList<QByteArray> fields = lines.at(k).split('\t');
            QCOMPARE(fields.size(), 6);
            QVERIFY(QRegularExpression(QStringLiteral("^11-12-2026 10:0\\d:\\d\\d$"))
                        .match(QString::fromLatin1(fields.at(0)))
                        .hasMatch());
            const QByteArray code = k % 2 ? "RCUR" : "FRST";
            QCOMPARE(fields.at(1), "Incasso_dd_2026-12-18_" + code + "_08_" + QByteArray::number(k + 1) + ".xml");
            QCOMPARE(fields.at(2), code);
            QCOMPARE(fields.at(3), QByteArray("18-12-2026"));
            QCOMPARE(fields.mid(4), k % 2 ? (QList<QByteArray>{"21", "418.50"}) : (QList<QByteArray>{"4", "100.00"}));
        }
        const QByteArray reg = fileBytes(dir.filePath(QStringLiteral("Kwintor2-register.csv")));
        QVERIFY(reg.startsWith("gemaakt;bestand;msgid;sequentiecode;incassodatum;mandaat;iban;bedrag\n"));
        QCOMPARE(reg.count('\n'), 1 + 2 * 25);
        const QStringList files = QDir(dir.filePath(QStringLiteral("uit"))).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(files, (QStringList{QStringLiteral("Incasso_dd_2026-12-18_FRST_08_1.xml"),
                                     QStringLiteral("Incasso_dd_2026-12-18_FRST_08_3.xml"),
                                     QStringLiteral("Incasso_dd_2026-12-18_RCUR_08_2.xml"),
                                     QStringLiteral("Incasso_dd_2026-12-18_RCUR_08_4.xml")}));

        QByteArray after = fileBytes(settingsIn(work.path()));
        QVERIFY(after.contains("Laatste batchnummer=4\n"));
        QVERIFY(after.contains("Laatste incassonummer=50\n"));
        after.replace("Laatste batchnummer=4\n", "Laatste batchnummer=0\n");
        after.replace("Laatste incassonummer=50\n", "Laatste incassonummer=0\n");
        QCOMPARE(after, before);
        KW_CHECK_PAIN008_FILES(dir.filePath(QStringLiteral("uit")));
    }

    // --incassodatum goes through the verification of the collection date, "+N" too.
    void collectionDateOption_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("Saturday") << QStringLiteral("12-12-2026")
                                  << QByteArray("Foutmelding: Op 12-12-2026 voeren de banken geen incasso's uit "
                                                "(weekend of feestdag).\nDe eerstvolgende werkdag is 14-12-2026.\n\n");
        QTest::newRow("+0 is today") << QStringLiteral("+0")
                                     << QByteArray("Foutmelding: De incassodatum 11-12-2026 ligt niet na vandaag.\n"
                                                   "Kies een latere datum: de bank moet het bestand uiterlijk een "
                                                   "werkdag voor de incassodatum ontvangen.\n\n");
        QTest::newRow("not a number of days")
            << QStringLiteral("+vijf")
            << QByteArray("Foutmelding: De datum +vijf is niet correct.\n"
                          "Geef als input een valide datum in het format dd-mm-yyyy\n\n");
    }
    void collectionDateOption()
    {
        QFETCH(QString, date);
        QFETCH(QByteArray, err);
        QTemporaryDir work;
        QVERIFY(QFile::copy(QStringLiteral(KW_SOURCE_DIR "/examples/Kwintor2.ini"), settingsIn(work.path())));
        QFile::setPermissions(settingsIn(work.path()), QFile::ReadOwner | QFile::WriteOwner);
        const Result r = runBatch({QStringLiteral("--instellingen"), settingsIn(work.path()),
                                   QStringLiteral("--werkblad"), QStringLiteral("Leden"), QStringLiteral("--werkboek"),
                                   QStringLiteral(KW_SOURCE_DIR "/examples/Sportclub.xlsx"),
                                   QStringLiteral("--doelmap"), work.path(), QStringLiteral("--incassodatum"), date},
                                  work.path(), ClubDay);
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(r.err, err);
    }

    // The command next to only the old settings file: the first run takes
    // its counters, and the run after it finds settings and counters again.
    void oldSettingsFileOnly()
    {
        QTemporaryDir work;
        QVERIFY(prepareGoldenCase(QStringLiteral("dravelin"), work.path()));
        const QString program = work.filePath(QStringLiteral("kwintor2-batch"));
        QVERIFY(QFile::copy(QStringLiteral(KW_BATCH_EXE), program));
        const QByteArray old = fileBytes(work.filePath(QStringLiteral("Dravelin.INI")));
        for (int pass = 0; pass < 2; ++pass) {
            const Result r =
                runBatch({QStringLiteral("--werkblad"), QStringLiteral("Leden"), QStringLiteral("--opnieuw")},
                         work.path(), goldenClock(QStringLiteral("dravelin")), program);
            QVERIFY2(r.exitCode == 0, r.err.constData());
            const QString name = QStringLiteral("doel/Incasso_dd_2024-05-10_FRST_08_%1.xml").arg(8 + pass);
            QVERIFY2(QFile::exists(work.filePath(name)), qPrintable(name));
            QVERIFY(fileBytes(work.filePath(name))
                        .contains(pass ? "<EndToEndId>OUD-20304</EndToEndId>" : "<EndToEndId>OUD-20302</EndToEndId>"));
        }
        QCOMPARE(fileBytes(work.filePath(QStringLiteral("Dravelin.INI"))), old);
        const IniFile ini = IniFile::fromBytes(fileBytes(settingsIn(work.path())));
        QCOMPARE(ini.value(QStringLiteral("Counters"), QStringLiteral("Laatste batchnummer")), QStringLiteral("9"));
        QCOMPARE(ini.value(QStringLiteral("Counters"), QStringLiteral("Laatste incassonummer")), QStringLiteral("304"));
        KW_CHECK_PAIN008_FILES(work.filePath(QStringLiteral("doel")));
    }
};

QTEST_GUILESS_MAIN(TestBatch)
#include "TestBatch.moc"
