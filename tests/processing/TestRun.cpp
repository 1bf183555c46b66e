#include "RunChecks.h"
#include "RunFixture.h"
#include "processing/ProcessingRun.h"
#include "util/FileSizeLimit.h"

#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTest>

#include <thread>
#include <unistd.h>

namespace {
const QString Iban1 = QStringLiteral("NL91ABNA0417164300");
const QString Iban2 = QStringLiteral("NL13TEST0123456789");
const QString Stamp = QStringLiteral("06-05-2024 08:58:24");

QVariantList member(const QString &name, double amount, const QString &code, const QString &mandate)
{
    return RunFixture::member(name, amount, code, name.size() % 2 ? Iban1 : Iban2, mandate);
}

// Two FRST collections and one RCUR.
SheetRows club()
{
    return {RunFixture::headings(),
            member(QStringLiteral("Jan Jansen"), 12.5, QStringLiteral("FRST"), QStringLiteral("A-1")),
            member(QStringLiteral("Piet Pieters"), 25, QStringLiteral("RCUR"), QStringLiteral("A-2")),
            member(QStringLiteral("Klaas Klaassen"), 0.1, QStringLiteral("FRST"), QStringLiteral("A-3"))};
}

// The id of a process that has ended.
qint64 deadProcessId()
{
    QProcess p;
    p.start(QStringLiteral("true"), {});
    if (!p.waitForStarted())
        return 0;
    const qint64 pid = p.processId();
    p.waitForFinished();
    return pid;
}

QString endToEndIds(const QByteArray &xml)
{
    QStringList ids;
    const QRegularExpression re(QStringLiteral("<EndToEndId>([^<]*)</EndToEndId>"));
    for (auto it = re.globalMatch(QString::fromUtf8(xml)); it.hasNext();)
        ids << it.next().captured(1);
    return ids.join(u' ');
}

} // namespace

class TestRun : public QObject
{
    Q_OBJECT

    static void checkFile(RunFixture &f, const QString &name, int count)
    {
        QVERIFY2(QFile::exists(f.targetFile(name)), qPrintable(name));
        const QByteArray xml = f.readTarget(name);
        QVERIFY(xml.contains(QByteArray("<NbOfTxs>" + QByteArray::number(count) + "</NbOfTxs>")));
    }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands)); }

    // Batch and collection numbers go on from file to file and from run to
    // run (the second collects again, answered "Ja"); one parse of the workbook serves both runs.
    void countersContinueOverRuns()
    {
        RunFixture f;
        QVERIFY(f.writeSheet(club()));
        f.notices.answers << true;
        for (int pass = 0; pass < 2; ++pass) {
            ProcessingRun run(f.data, f.settings, f.clock, f.service);
            QCOMPARE(run.show(), RunOutcome::Passed);
            QCOMPARE(run.verwerken(), RunOutcome::Passed);
            QCOMPARE(f.notices.questions.size(), pass);
        }
        const QString first = QStringLiteral("Incasso_dd_2024-05-10_FRST_08_");
        const QString recurring = QStringLiteral("Incasso_dd_2024-05-10_RCUR_08_");
        QCOMPARE(endToEndIds(f.readTarget(first + QStringLiteral("1.xml"))), QStringLiteral("A-10001 A-30002"));
        QCOMPARE(endToEndIds(f.readTarget(recurring + QStringLiteral("2.xml"))), QStringLiteral("A-20003"));
        QCOMPARE(endToEndIds(f.readTarget(first + QStringLiteral("3.xml"))), QStringLiteral("A-10004 A-30005"));
        QCOMPARE(endToEndIds(f.readTarget(recurring + QStringLiteral("4.xml"))), QStringLiteral("A-20006"));
        checkFile(f, first + QStringLiteral("3.xml"), 2);
        checkFile(f, recurring + QStringLiteral("4.xml"), 1);
        QCOMPARE(QDir(f.data.TargetFolder).count(), 4 + 2u);
        const TCounters stored = f.settings.ReadCounters();
        QCOMPARE(stored.BatchVolgnummer, 4);
        QCOMPARE(stored.Incassovolgnummer, 6);
        QCOMPARE(f.service.sheetReads(), 1);
        KW_CHECK_PAIN008_FILES(f.data.TargetFolder);
    }

    // A settings file restored from a backup never repeats a batch number the
    // register holds, even when another run added to the register while this
    // run's screen was waiting: numbering goes on after the register's highest.
    void registerKeepsBatchNumbersUnique()
    {
        RunFixture f;
        QVERIFY(f.writeSheet(club()));
        f.notices.answers << true << true;
        ProcessingRun first(f.data, f.settings, f.clock, f.service);
        QCOMPARE(first.show(), RunOutcome::Passed);
        QCOMPARE(first.verwerken(), RunOutcome::Passed);
        ProcessingRun waiting(f.data, f.settings, f.clock, f.service);
        QCOMPARE(waiting.show(), RunOutcome::Passed);
        ProcessingRun between(f.data, f.settings, f.clock, f.service);
        QCOMPARE(between.show(), RunOutcome::Passed);
        QCOMPARE(between.verwerken(), RunOutcome::Passed);
        f.settings.WriteCounters({0, 0});

        QCOMPARE(waiting.verwerken(), RunOutcome::Passed);
        QVERIFY(waiting.log().lines().contains(
            QStringLiteral("== LET OP : Het laatste batchnummer in het instellingenbestand (0) is lager dan het "
                           "hoogste in het register (4); de nummering gaat verder na 4.")));
        checkFile(f, QStringLiteral("Incasso_dd_2024-05-10_FRST_08_5.xml"), 2);
        checkFile(f, QStringLiteral("Incasso_dd_2024-05-10_RCUR_08_6.xml"), 1);
        QCOMPARE(QDir(f.data.TargetFolder).count(), 6 + 2u);
        QCOMPARE(f.settings.ReadCounters().BatchVolgnummer, 6);
        KW_CHECK_PAIN008_FILES(f.data.TargetFolder);
    }

    // Files built ahead on a second thread: the same files, and the boxes of the
    // cut texts between the same log lines, as when each is built in its turn.
    void filesBuiltAheadTellAsInTurn()
    {
        QStringList problems; // of the schema
        const auto runWith = [&problems](bool ahead) {
            BuildFilesAhead = ahead;
            RunFixture f;
            SheetRows rows{RunFixture::headings()};
            for (int n = 1; n <= 24; ++n) {
                QVariantList r =
                    member(QStringLiteral("Lid %1").arg(n), n, SeqCodes().at(n % 4), QStringLiteral("M-%1").arg(n));
                // A town longer than the file takes: the control lets it through, the builder cuts it.
                r[1] = QStringLiteral("Dorpsstraat %1").arg(n);
                r[2] = n % 5 == 0 ? QStringLiteral("1234 AB Sint-Michielsgestel-aan-de-Dommel-%1-oost").arg(n)
                                  : QStringLiteral("1234 AB Boxtel");
                rows << r;
            }
            QStringList told;
            if (!f.writeSheet(rows))
                return told;
            ProcessingRun run(f.data, f.settings, f.clock, f.service);
            run.log().setListener([&] {
                for (const QString &box : std::as_const(f.notices.all))
                    told << QStringLiteral("box ") + box;
                f.notices.clear();
                if (!run.log().lines().isEmpty())
                    told << run.log().lines().constLast();
            });
            if (run.show() == RunOutcome::Passed)
                told << QString::number(int(run.verwerken()));
            told << f.notices.all;
            for (const QString &name : QDir(f.data.TargetFolder).entryList(QDir::Files | QDir::Hidden))
                told << name << QString::fromUtf8(f.readTarget(name));
            if (const QString problem = checkPain008Files(f.data.TargetFolder); !problem.isEmpty())
                problems << problem;
            for (QString &line : told)
                line.replace(f.dir.path(), QStringLiteral("MAP"));
            BuildFilesAhead = true;
            return told;
        };
        const QStringList inTurn = runWith(false);
        QCOMPARE(runWith(true), inTurn);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
        QCOMPARE(inTurn.filter(QStringLiteral("box Melding: De input : ")).size(), 4);
        QCOMPARE(inTurn.filter(QRegularExpression(QStringLiteral("^Incasso_dd_.*\\.xml$"))).size(), 4);
    }

    // A build that fails is reported as such, the other codes are still
    // built (the next one with the batch number the failed one did not keep),
    // the totals count what was made, and "Verwerken" is gone.
    void failedBuildIsNotReportedAsMade()
    {
        RunFixture f;
        QVERIFY(f.writeSheet(club()));
        ProcessingRun run(f.data, f.settings, f.clock, f.service);
        QCOMPARE(run.show(), RunOutcome::Passed);
        // The workbook is changed while the screen waits: the FRST build meets a bad date.
        SheetRows changed = club();
        changed[1][7] = QStringLiteral("31-02-2023");
        QTest::qWait(10); // a later modification time, so the file is read again
        QVERIFY(f.writeSheet(changed));
        f.notices.clear();

        QCOMPARE(run.verwerken(), RunOutcome::Failed);
        QVERIFY(!run.verwerkenOffered());
        QVERIFY(run.processed());
        const QString notMade = QStringLiteral("== FOUT: Het bestand met code FRST is NIET aangemaakt.");
        QCOMPARE(
            f.notices.all.mid(0, 3),
            (QStringList{QStringLiteral("Fout: Conversiefout in datum van machtiging in Excel input op regel 2"),
                         QStringLiteral("Melding: ") + notMade,
                         QStringLiteral("Melding: Bestand : \rIncasso_dd_2024-05-10_RCUR_08_1.xml\ris aangemaakt.\r"
                                        "1 incasso's met een bedrag van 25.00 euro.")}));
        const QStringList log = run.log().lines();
        QVERIFY(log.contains(notMade));
        QVERIFY(!log.contains(QStringLiteral("== Bestand : Incasso_dd_2024-05-10_FRST_08_1.xml is aangemaakt")));
        QCOMPARE(log.mid(log.size() - 5),
                 (QStringList{QStringLiteral("== Totaal : 1 incasso's."), QStringLiteral("== Totaal bedrag : 25 euro."),
                              QString(), QStringLiteral("Verwerking afgesloten met fouten om ") + Stamp, QString()}));
        QCOMPARE(run.incassobatches()[0].SEPAFileName, QString());
        QCOMPARE(run.incassobatches()[4].NoTransactions, 1);
        QCOMPARE(run.incassobatches()[4].TotalCents, qint64(2500));
        QCOMPARE(QDir(f.data.TargetFolder).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Incasso_dd_2024-05-10_RCUR_08_1.xml")});
        checkFile(f, QStringLiteral("Incasso_dd_2024-05-10_RCUR_08_1.xml"), 1);
        KW_CHECK_PAIN008_FILES(f.data.TargetFolder);
    }

    // Rows added to the workbook after the control must not reach a file
    // whose count and sum came from the control.
    void changedWorkbookNeverGivesWrongTotals()
    {
        RunFixture f;
        QVERIFY(f.writeSheet(club()));
        ProcessingRun run(f.data, f.settings, f.clock, f.service);
        QCOMPARE(run.show(), RunOutcome::Passed);
        SheetRows changed = club();
        changed << member(QStringLiteral("Nieuw Lid"), 40, QStringLiteral("RCUR"), QStringLiteral("A-4"));
        QTest::qWait(10);
        QVERIFY(f.writeSheet(changed));

        QCOMPARE(run.verwerken(), RunOutcome::Failed);
        QVERIFY(run.log().lines().contains(QStringLiteral("== FOUT: Het bestand met code RCUR is NIET aangemaakt.")));
        QVERIFY(!QFile::exists(f.targetFile(QStringLiteral("Incasso_dd_2024-05-10_RCUR_08_2.xml"))));
        checkFile(f, QStringLiteral("Incasso_dd_2024-05-10_FRST_08_1.xml"), 2);
        const TCounters stored = f.settings.ReadCounters();
        QCOMPARE(stored.BatchVolgnummer, 1);
        QCOMPARE(stored.Incassovolgnummer, 2);
        KW_CHECK_PAIN008_FILES(f.data.TargetFolder);
    }

    // An error that ends the run is shown in the error box with its own
    // message, and the log ends with that message. "Verwerken" stays offered
    // only while no file has been made.
    void errorsThatEndTheRun_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<bool>("atShow");
        QTest::addColumn<QString>("message"); // the start of it
        QTest::addColumn<bool>("offered");
        QTest::newRow("missing sheet") << QStringLiteral("sheet") << true
                                       << QStringLiteral("Het werkblad \"Elders\" bestaat niet in werkboek ") << false;
        QTest::newRow("no workbook") << QStringLiteral("garbage") << true << QString() << false;
        QTest::newRow("target folder gone")
            << QStringLiteral("target") << false << QStringLiteral("SEPA bestand ") << true;
        QTest::newRow("settings cannot be written")
            << QStringLiteral("settings") << false << QStringLiteral("De volgnummers kunnen niet worden opgeslagen")
            << true;
        QTest::newRow("settings folder gone")
            << QStringLiteral("folder") << false << QStringLiteral("Het instellingenbestand ") << true;
        QTest::newRow("second file cannot be written")
            << QStringLiteral("second") << false << QStringLiteral("SEPA bestand ") << false;
    }
    void errorsThatEndTheRun()
    {
        QFETCH(QString, what);
        QFETCH(bool, atShow);
        QFETCH(QString, message);
        QFETCH(bool, offered);
        RunFixture f;
        QVERIFY(f.writeSheet(club()));
        if (what == u"sheet")
            f.data.SelectedSheet = QStringLiteral("Elders");
        if (what == u"garbage") {
            QFile file(f.data.SelectedWorkbook);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("geen werkboek");
        }
        ProcessingRun run(f.data, f.settings, f.clock, f.service);
        RunOutcome outcome = run.show();
        if (!atShow) {
            QCOMPARE(outcome, RunOutcome::Passed);
            if (what == u"target")
                QVERIFY(QDir(f.data.TargetFolder).removeRecursively());
            if (what == u"folder")
                f.settings = SettingsStore::ofFile(f.dir.filePath(QStringLiteral("weg/Kwintor2.ini")));
            if (what == u"second")
                QVERIFY(QDir(f.data.TargetFolder).mkdir(QStringLiteral("Incasso_dd_2024-05-10_RCUR_08_2.xml")));
            f.notices.clear();
            if (what == u"settings") {
                // A settings file that the counters cannot be written into, beside a lock that fits.
                QFile ini(f.dir.filePath(QStringLiteral("Kwintor2.ini")));
                QVERIFY(ini.open(QIODevice::WriteOnly));
                ini.write("; " + QByteArray(5000, 'x') + "\n");
                ini.close();
                const FileSizeLimit limit(4096);
                outcome = run.verwerken();
            } else {
                outcome = run.verwerken();
            }
        }
        // Counters that cannot be stored leave no file behind either.
        if (what == u"settings" || what == u"folder")
            QVERIFY(QDir(f.data.TargetFolder).isEmpty(QDir::Files | QDir::Hidden));
        QCOMPARE(outcome, RunOutcome::Aborted);
        QCOMPARE(f.notices.errors.size(), 1);
        const QString shown = f.notices.errors.first();
        QVERIFY2(shown.startsWith(message) && !shown.isEmpty(), qPrintable(shown));
        QCOMPARE(run.log().lines().constLast(), QStringLiteral("== FOUT: ") + shown);
        QCOMPARE(run.verwerkenOffered(), offered);
        QCOMPARE(run.processed(), what == u"second");
        if (what == u"second")
            checkFile(f, QStringLiteral("Incasso_dd_2024-05-10_FRST_08_1.xml"), 2);

        // Whatever a screen still offers: a code whose file was made is never built again.
        const QStringList made = QDir(f.data.TargetFolder).entryList(QDir::Files);
        const qsizetype lines = run.log().lines().size();
        if (!offered) {
            QCOMPARE(run.verwerken(), RunOutcome::Failed);
            QCOMPARE(run.log().lines().size(), lines);
            QCOMPARE(QDir(f.data.TargetFolder).entryList(QDir::Files), made);
        }
        KW_CHECK_PAIN008_FILES(f.data.TargetFolder);
    }

    // The run saves each file through a temporary file, after storing the
    // counters: a write that comes up short ends the run with the error,
    // leaves an older file of that name whole and no temporary file behind,
    // and the next run does not use the stored numbers again.
    void shortWriteKeepsTheOldFile()
    {
        RunFixture f;
        SheetRows rows{RunFixture::headings()};
        for (int i = 0; i < 20; ++i)
            rows << member(QStringLiteral("Lid"), 10, QStringLiteral("RCUR"), QStringLiteral("L"));
        QVERIFY(f.writeSheet(rows));
        const QString name = QStringLiteral("Incasso_dd_2024-05-10_RCUR_08_1.xml");
        {
            QFile old(f.targetFile(name));
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("oud");
        }
        ProcessingRun run(f.data, f.settings, f.clock, f.service);
        QCOMPARE(run.show(), RunOutcome::Passed);
        {
            const FileSizeLimit limit(4096); // the settings fit, the file of 20 collections does not
            QCOMPARE(run.verwerken(), RunOutcome::Aborted);
        }
        QVERIFY2(f.notices.errors.constLast().startsWith(QStringLiteral("SEPA bestand ")),
                 qPrintable(f.notices.errors.constLast()));
        QCOMPARE(f.readTarget(name), QByteArray("oud"));
        QCOMPARE(QDir(f.data.TargetFolder).entryList(QDir::Files | QDir::Hidden), QStringList{name});
        QVERIFY(run.incassobatches()[1].SEPAFileName.isEmpty());
        const TCounters stored = f.settings.ReadCounters();
        QCOMPARE(stored.BatchVolgnummer, 1);
        QCOMPARE(stored.Incassovolgnummer, 20);

        QVERIFY(QFile::remove(f.targetFile(name)));
        QCOMPARE(run.verwerken(), RunOutcome::Passed);
        QCOMPARE(run.incassobatches()[1].SEPAFileName, QStringLiteral("Incasso_dd_2024-05-10_RCUR_08_2.xml"));
        QVERIFY(f.readTarget(run.incassobatches()[1].SEPAFileName).contains("<EndToEndId>L0040</EndToEndId>"));
        KW_CHECK_PAIN008_FILES(f.data.TargetFolder);
    }

    // One run at a time per settings file. A run that finds the lock held waits
    // for it; held on, it stops with the message before anything is made, and
    // "Verwerken" stays for a later try. A lock left by a program that is gone
    // (or one without its holder, from a power cut) is taken over.
    void secondRunWaitsOrStops_data()
    {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<bool>("stops");
        QTest::newRow("held on") << QStringLiteral("running") << true;
        QTest::newRow("released while waiting") << QStringLiteral("released") << false;
        QTest::newRow("left by a dead process") << QStringLiteral("dead") << false;
        QTest::newRow("empty, a minute old") << QStringLiteral("empty") << false;
    }
    void secondRunWaitsOrStops()
    {
        QFETCH(QString, holder);
        QFETCH(bool, stops);
        RunFixture f;
        QVERIFY(f.writeSheet(club()));
        f.settings.setLockWait(holder == u"released" ? 10000 : 200);
        const QString lockPath = f.settings.LockFilePath();
        QCOMPARE(lockPath, f.dir.filePath(QStringLiteral("Kwintor2.ini.lock")));
        QLockFile other(lockPath);
        if (holder == u"running" || holder == u"released") {
            QVERIFY(other.tryLock(0));
        } else {
            QFile file(lockPath);
            QVERIFY(file.open(QIODevice::WriteOnly));
            if (holder == u"dead")
                file.write(QByteArray::number(deadProcessId()) + "\nkwintor2-batch\n" +
                           QSysInfo::machineHostName().toUtf8() + "\n");
            if (holder == u"empty")
                QVERIFY(file.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
            file.close();
        }
        std::thread release;
        if (holder == u"released")
            release = std::thread([&other] {
                std::this_thread::sleep_for(std::chrono::milliseconds(300));
                other.unlock();
            });

        ProcessingRun run(f.data, f.settings, f.clock, f.service);
        QCOMPARE(run.show(), RunOutcome::Passed);
        f.notices.clear();
        const RunOutcome outcome = run.verwerken();
        if (release.joinable())
            release.join();
        if (!stops) {
            QCOMPARE(outcome, RunOutcome::Passed);
            QCOMPARE(f.settings.ReadCounters().BatchVolgnummer, 2);
            QVERIFY(!QFile::exists(lockPath));
            return;
        }
        const QString message = QStringLiteral("Er loopt al een verwerking met dit instellingenbestand (") +
                                f.dir.filePath(QStringLiteral("Kwintor2.ini")) +
                                QStringLiteral("). Probeer het later opnieuw.");
        QCOMPARE(outcome, RunOutcome::Aborted);
        QCOMPARE(f.notices.all, QStringList{QStringLiteral("Foutmelding: ") + message});
        QCOMPARE(run.log().lines().constLast(), QStringLiteral("== FOUT: ") + message);
        QVERIFY(QDir(f.data.TargetFolder).isEmpty(QDir::Files | QDir::Hidden));
        QVERIFY(!QFile::exists(f.dir.filePath(QStringLiteral("Kwintor2.ini"))));
        QVERIFY(run.verwerkenOffered());

        other.unlock();
        QCOMPARE(run.verwerken(), RunOutcome::Passed);
        QCOMPARE(QDir(f.data.TargetFolder).entryList(QDir::Files).size(), 2);
    }

    // Temporary files that a killed run left in the target folder go when the
    // next run starts; those of a running program or another computer, and
    // files that only look alike, stay.
    void leftoverTempFilesAreRemoved()
    {
        RunFixture f;
        QVERIFY(f.writeSheet(club()));
        QString host = QSysInfo::machineHostName();
        host.remove(QRegularExpression(QStringLiteral("[^A-Za-z0-9-]")));
        host.truncate(24);
        const QString name = QStringLiteral(".Incasso_dd_2024-05-10_RCUR_08_7.xml");
        const QString dead = name + QStringLiteral(".kw%1@%2.a1B2c3").arg(deadProcessId()).arg(host);
        const QStringList kept{
            name + QStringLiteral(".kw%1@%2.a1B2c3").arg(::getpid()).arg(host),
            name + QStringLiteral(".kw%1@ergens-anders.a1B2c3").arg(deadProcessId()),
            name + QStringLiteral(".backup"),
            name.mid(1) + QStringLiteral(".kw%1@%2.a1B2c3").arg(deadProcessId()).arg(host),
        };
        for (const QString &file : kept + QStringList{dead}) {
            QFile out(f.targetFile(file));
            QVERIFY(out.open(QIODevice::WriteOnly));
        }
        ProcessingRun run(f.data, f.settings, f.clock, f.service);
        QCOMPARE(run.show(), RunOutcome::Passed);
        QCOMPARE(run.verwerken(), RunOutcome::Passed);
        QVERIFY(run.log().lines().contains(QStringLiteral("== LET OP : Er is/zijn 1 tijdelijk(e) bestand(en) van een "
                                                          "afgebroken verwerking uit de doelmap verwijderd.")));
        QStringList expected = kept + QStringList{QStringLiteral("Incasso_dd_2024-05-10_FRST_08_1.xml"),
                                                  QStringLiteral("Incasso_dd_2024-05-10_RCUR_08_2.xml")};
        expected.sort();
        QCOMPARE(QDir(f.data.TargetFolder).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
    }

    // The register's lines are on disk before a file takes its name. When it cannot
    // take it (a folder of that name: that stops root too, unlike a read-only folder),
    // the run ends with the error and no file, the register holds the collections,
    // and the next run with the same date warns and asks before collecting them.
    void registerBeforeTheFileName()
    {
        RunFixture f;
        QVERIFY(f.writeSheet(club()));
        const QString frst = QStringLiteral("Incasso_dd_2024-05-10_FRST_08_1.xml");
        QVERIFY(QDir(f.data.TargetFolder).mkdir(frst));
        {
            ProcessingRun run(f.data, f.settings, f.clock, f.service);
            QCOMPARE(run.show(), RunOutcome::Passed);
            QCOMPARE(run.verwerken(), RunOutcome::Aborted);
            QVERIFY(run.log().lines().constLast().startsWith(QStringLiteral("== FOUT: SEPA bestand ")));
        }
        QVERIFY(QDir(f.data.TargetFolder).entryList(QDir::Files | QDir::Hidden).isEmpty());
        QCOMPARE(fileBytes(f.settings.RegisterPath()),
                 QByteArray("gemaakt;bestand;msgid;sequentiecode;incassodatum;mandaat;iban;bedrag\n"
                            "2024-05-06T08:58:24;Incasso_dd_2024-05-10_FRST_08_1.xml;Contributie mei_FRST_1;FRST;"
                            "2024-05-10;A-1;NL13TEST0123456789;12.50\n"
                            "2024-05-06T08:58:24;Incasso_dd_2024-05-10_FRST_08_1.xml;Contributie mei_FRST_1;FRST;"
                            "2024-05-10;A-3;NL13TEST0123456789;0.10\n"));

        QVERIFY(QDir(f.data.TargetFolder).rmdir(frst));
        f.notices.clear();
        ProcessingRun again(f.data, f.settings, f.clock, f.service);
        QCOMPARE(again.show(), RunOutcome::Declined);
        QVERIFY(!again.verwerkenOffered());
        QVERIFY(again.log().lines().contains(QStringLiteral("== LET OP : 1 : mandaat A-1 is al geïncasseerd met "
                                                            "incassodatum 10-05-2024 (bestand ") +
                                             frst + QLatin1Char(')')));
        QCOMPARE(f.notices.questions, QStringList{QStringLiteral("Er zijn 2 incasso's die al eerder zijn verwerkt met "
                                                                 "dezelfde incassodatum.\rWilt u ze toch opnieuw "
                                                                 "verwerken?")});
        QCOMPARE(again.verwerken(), RunOutcome::Failed); // "Nee" offers nothing to process
        QVERIFY(QDir(f.data.TargetFolder).isEmpty());
    }

    // The three states of the screen over two showings.
    void screenStates()
    {
        RunFixture f;
        SheetRows bad = club();
        bad[2][4] = QStringLiteral("NL13TEST0123456788");
        QVERIFY(f.writeSheet(bad));
        ProcessingRun run(f.data, f.settings, f.clock, f.service);
        QCOMPARE(run.show(), RunOutcome::Failed);
        QVERIFY(!run.verwerkenOffered());
        QCOMPARE(run.log().lines().mid(run.log().lines().size() - 3),
                 (QStringList{QString(), QStringLiteral("== Corrigeer de fouten in de input en herhaal de bewerking."),
                              QString()}));

        QTest::qWait(10);
        QVERIFY(f.writeSheet(club()));
        QCOMPARE(run.show(), RunOutcome::Passed);
        QCOMPARE(run.ReturnCode, ScreenAction::Shown);
        QVERIFY(run.verwerkenOffered());
        QVERIFY(!run.processed());
        QCOMPARE(run.log().lines().first(), QStringLiteral("== Kwintor: Log van de verwerking op ") + Stamp);
        QCOMPARE(run.verwerken(), RunOutcome::Passed);
        QCOMPARE(run.ReturnCode, ScreenAction::Verwerken);
        QVERIFY(!run.verwerkenOffered());
        QVERIFY(run.processed());

        f.notices.answers << true; // the same collections again
        QCOMPARE(run.show(), RunOutcome::Passed);
        QCOMPARE(run.log().lines().first(), QStringLiteral("== Kwintor: Log van de verwerking op ") + Stamp);
        QVERIFY(run.verwerkenOffered());
        QVERIFY(run.processed()); // "Afsluiten" stays
        QCOMPARE(run.logFileStamp(), QStringLiteral("6-5-2024  8h58"));
        KW_CHECK_PAIN008_FILES(f.data.TargetFolder);
    }

    // After a run in which only RCUR had collections.
    void summaryGrid()
    {
        RunFixture f;
        QVERIFY(f.writeSheet({RunFixture::headings(),
                              member(QStringLiteral("Jan"), 1234.5, QStringLiteral("RCUR"), QStringLiteral("A-1"))}));
        ProcessingRun run(f.data, f.settings, f.clock, f.service);
        QCOMPARE(run.show(), RunOutcome::Passed);
        QCOMPARE(run.verwerken(), RunOutcome::Passed);
        const QString none = QStringLiteral("0");
        const QString zero = QStringLiteral("0.00");
        QCOMPARE(
            SummaryGridRows(run.incassobatches()),
            (QList<QStringList>{
                {QStringLiteral("FRST"), QString(), none, zero},
                {QStringLiteral("RCUR"), QStringLiteral("Incasso_dd_2024-05-10_RCUR_08_1.xml"), QStringLiteral("1"),
                 QStringLiteral("1234.50")},
                {QStringLiteral("FNAL"), QString(), none, zero},
                {QStringLiteral("OOFF"), QString(), none, zero},
                {QStringLiteral("Totaal"), QStringLiteral(" = = ="), QStringLiteral("1"), QStringLiteral("1234.50")},
            }));
        KW_CHECK_PAIN008_FILES(f.data.TargetFolder);
    }
};

QTEST_GUILESS_MAIN(TestRun)
#include "TestRun.moc"
