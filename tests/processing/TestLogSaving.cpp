#include "RunChecks.h"
#include "processing/LogSaving.h"
#include "util/FileSizeLimit.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestLogSaving : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void composedLogName_data()
    {
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("ext");
        QTest::addColumn<QString>("name");
        QTest::newRow("first start") << QStringLiteral("SEPA_log_") << QStringLiteral("log")
                                     << QStringLiteral("SEPA_log__8-3-2025  9h5.log");
        QTest::newRow("empty extension") << QStringLiteral("P") << QString() << QStringLiteral("P_8-3-2025  9h5.");
    }
    void composedLogName()
    {
        QFETCH(QString, prefix);
        QFETCH(QString, ext);
        QFETCH(QString, name);
        QCOMPARE(composeFileName(prefix, QStringLiteral("8-3-2025  9h5"), ext), name);
    }

    void savedLogBytes()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("log.txt"));
        QVERIFY(SaveProcessingLog(
            path, {QStringLiteral("== Start"), QString(), QStringLiteral("a\rb \u20ac \u00eb \u0142")}, nullptr));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        // Windows-1252 without byte-order mark; a character outside it becomes "?".
        QCOMPARE(f.readAll(), QByteArray("== Start\r\n\r\na\rb \x80 \xeb ?\r\n"));
    }

    void savedLogIntoMissingFolderFails()
    {
        QTemporaryDir dir;
        QString error;
        QVERIFY(!SaveProcessingLog(dir.filePath(QStringLiteral("weg/log.txt")), {QStringLiteral("x")}, &error));
        QVERIFY(error.contains(QStringLiteral("weg/log.txt")));
    }

    // A saved log replaces an older one only when every byte was written.
    void logSavedWholeOrNotAtAll()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("SEPA_log__6-5-2024  8h58.log"));
        QVERIFY(SaveProcessingLog(path, {QStringLiteral("oud")}, nullptr));
        const QStringList lines(200, QStringLiteral("== 1 : De input : een lange regel\rMaximaal 70 characters."));
        QString error;
        {
            const FileSizeLimit limit(1024);
            QVERIFY(!SaveProcessingLog(path, lines, &error));
        }
        QVERIFY(error.contains(path));
        QCOMPARE(fileBytes(path), QByteArray("oud\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        QVERIFY(SaveProcessingLog(path, lines, &error));
        QCOMPARE(fileBytes(path).size(), 200 * (lines.first().size() + 2));
    }
};

QTEST_GUILESS_MAIN(TestLogSaving)
#include "TestLogSaving.moc"
