#include "model/IniFile.h"
#include "processing/LogSaving.h"
#include "processing/RunRecords.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestRecords : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void logFileStamp_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("stamp");
        QTest::newRow("no leading zeros")
            << QDateTime(QDate(2025, 3, 8), QTime(9, 5)) << QStringLiteral("8-3-2025  9h5");
        QTest::newRow("end of year") << QDateTime(QDate(2025, 12, 31), QTime(23, 59, 59))
                                     << QStringLiteral("31-12-2025  23h59");
        QTest::newRow("midnight") << QDateTime(QDate(2026, 1, 1), QTime(0, 0)) << QStringLiteral("1-1-2026  0h0");
    }
    void logFileStamp()
    {
        QFETCH(QDateTime, when);
        QFETCH(QString, stamp);
        QCOMPARE(LogFileStamp(when), stamp);
    }

    void logKeepsLinesWholeAndTellsItsListener()
    {
        ProcessingLog log;
        int changes = 0;
        log.setListener([&] { ++changes; });
        log.append(QString());
        log.append(QStringLiteral("== 1 : eerste\rtweede"));
        QCOMPARE(log.lines().size(), 2);
        QCOMPARE(log.lines().at(0), QString());
        QCOMPARE(log.lines().at(1), QStringLiteral("== 1 : eerste\rtweede"));
        log.clear();
        QVERIFY(log.lines().isEmpty());
        QCOMPARE(changes, 3);
    }

    void seqCodesInTheirOrder()
    {
        QCOMPARE(SeqCodes(), (QStringList{QStringLiteral("FRST"), QStringLiteral("RCUR"), QStringLiteral("FNAL"),
                                          QStringLiteral("OOFF")}));
    }

    void totalAmountComesFromCents()
    {
        TIncassobatch b;
        b.TotalCents = 500000005; // 5000000.05 euro: a sum of doubles could not hold this exactly
        QCOMPARE(b.TotalAmount(), 5000000.05);
    }

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

    void windows1252RoundTrip()
    {
        QString all;
        for (int b = 0x20; b <= 0xFF; ++b) {
            if (b != 0x81 && b != 0x8D && b != 0x8F && b != 0x90 && b != 0x9D && b != 0x7F)
                all += DecodeWindows1252(QByteArray(1, char(b)));
        }
        QCOMPARE(DecodeWindows1252(EncodeWindows1252(all)), all);
    }
};

QTEST_GUILESS_MAIN(TestRecords)
#include "TestRecords.moc"
