#include "RunChecks.h"
#include "model/Clock.h"
#include "model/Settings.h"
#include "processing/LogSaving.h"
#include "processing/ProcessingRun.h"
#include "rules/Verification.h"
#include "util/NoticeRecorder.h"
#include "workbook/WorkbookService.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

QString outcomeName(RunOutcome outcome)
{
    switch (outcome) {
    case RunOutcome::Passed:
        return QStringLiteral("geslaagd");
    case RunOutcome::Failed:
        return QStringLiteral("fouten");
    case RunOutcome::Aborted:
        return QStringLiteral("afgebroken");
    case RunOutcome::Declined:
        return QStringLiteral("niet gestart");
    }
    return QString();
}

// The working folder is where the settings name the workbook and target
// folder, so the log holds the same relative paths on every machine.
class CurrentFolder
{
public:
    explicit CurrentFolder(const QString &path) : m_old(QDir::currentPath()) { QDir::setCurrent(path); }
    ~CurrentFolder() { QDir::setCurrent(m_old); }

private:
    QString m_old;
};

} // namespace

// Each case of tests/data/run through the whole run as the desktop application
// does it (verification, processing screen, the question, "Verwerken", saving
// the log), once or as often as its runs.txt says, with the clock and the
// regional settings fixed; every file it leaves must equal the expected one
// byte for byte.
class TestGolden : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands)); }

    void run_data()
    {
        QTest::addColumn<QString>("name");
        const QStringList cases = goldenCases();
        QVERIFY(cases.size() >= 7);
        for (const QString &name : cases)
            QTest::newRow(qPrintable(name)) << name;
    }
    void run()
    {
        QFETCH(QString, name);
        QTemporaryDir work;
        QVERIFY(prepareGoldenCase(name, work.path()));
        const CurrentFolder current(work.path());
        const FixedClock clock(goldenClock(name));
        QVERIFY(clock.now().isValid());
        const SettingsStore settings = SettingsStore::inFolder(work.path());

        QMap<QString, QByteArray> actual;
        const QStringList runs = goldenRuns(name);
        for (int i = 0; i < runs.size(); ++i) {
            const QString logName = runFile(QStringLiteral("run"), QStringLiteral(".log"), i, runs.size());
            NoticeRecorder boxes;
            if (runs.at(i) == u"Ja")
                boxes.answers << true;
            TInputData data;
            QVERIFY(settings.LoadSettings(data));
            QString result;
            if (VerifyInput(data, clock)) {
                data.SelectedWorkbook = JoinPath(data.InputFolder, data.InputFile);
                data.SelectedSheet = QStringLiteral("Leden");
                WorkbookService service;
                ProcessingRun run(data, settings, clock, service);
                const RunOutcome shown = run.show();
                result += QStringLiteral("controle: ") + outcomeName(shown) + QLatin1Char('\n');
                if (run.verwerkenOffered()) {
                    const RunOutcome processed = run.verwerken();
                    result += QStringLiteral("verwerking: ") + outcomeName(processed) + QLatin1Char('\n');
                    QVERIFY(!run.verwerkenOffered());
                }
                // One parse of the workbook serves the control and every file (none when the register stopped the run).
                QVERIFY(service.sheetReads() <= 1);
                QString error;
                QVERIFY2(SaveProcessingLog(logName, run.log().lines(), &error), qPrintable(error));
            } else {
                result += QStringLiteral("invoer afgekeurd\n");
            }
            QVERIFY2(runs.at(i) != u"-" || boxes.questions.isEmpty(), "a question where none may come");
            actual.insert(runFile(QStringLiteral("result"), QStringLiteral(".txt"), i, runs.size()), result.toUtf8());
            QByteArray shown;
            for (const QString &box : boxes.all)
                shown += box.toUtf8() + "\n\n";
            actual.insert(runFile(QStringLiteral("boxes"), QStringLiteral(".txt"), i, runs.size()),
                          withoutFolder(shown, work.path()));
            if (QFile::exists(logName))
                actual.insert(logName, withoutFolder(fileBytes(logName), work.path()));
        }
        const QMap<QString, QByteArray> written = filesIn(QStringLiteral("doel"));
        for (auto it = written.cbegin(); it != written.cend(); ++it)
            actual.insert(it.key(), it.value());
        for (const QString &ini : QDir().entryList({QStringLiteral("*.ini"), QStringLiteral("*.INI")}, QDir::Files))
            actual.insert(ini, fileBytes(ini));
        if (QFile::exists(registerName()))
            actual.insert(registerName(), fileBytes(registerName()));

        const QMap<QString, QByteArray> expected = filesIn(goldenCase(name) + QStringLiteral("/expected"));
        bool same = actual.keys() == expected.keys();
        for (auto it = expected.cbegin(); same && it != expected.cend(); ++it)
            same = actual.value(it.key()) == it.value();
        if (!same) {
            // Keep what the run made beside the expected files, to compare them.
            QDir().mkpath(QStringLiteral("actual"));
            for (auto it = actual.cbegin(); it != actual.cend(); ++it) {
                QFile f(QStringLiteral("actual/") + it.key());
                if (f.open(QIODevice::WriteOnly))
                    f.write(it.value());
            }
            work.setAutoRemove(false);
            qWarning("%s: what the run made is in %s", qPrintable(name),
                     qPrintable(work.filePath(QStringLiteral("actual"))));
        }
        QCOMPARE(actual.keys(), expected.keys());
        for (auto it = expected.cbegin(); it != expected.cend(); ++it)
            QVERIFY2(actual.value(it.key()) == it.value(),
                     qPrintable(it.key() + QStringLiteral(" differs; see ") + work.filePath(QStringLiteral("actual"))));

        KW_CHECK_PAIN008_FILES(QStringLiteral("doel"));
    }
};

QTEST_GUILESS_MAIN(TestGolden)
#include "TestGolden.moc"
