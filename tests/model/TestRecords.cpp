#include "model/RunRecords.h"

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
};

QTEST_GUILESS_MAIN(TestRecords)
#include "TestRecords.moc"
