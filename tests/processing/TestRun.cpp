#include "RunFixture.h"
#include "control/RowControl.h"
#include "processing/ProcessingRun.h"
#include "sepa/Builder.h"
#include "util/TestPaths.h"

#include <QRegularExpression>
#include <QTest>

namespace {
const QString Iban1 = QStringLiteral("NL91ABNA0417164300");
const QString Iban2 = QStringLiteral("NL13TEST0123456789");

// The number of transactions and the sum of their amounts, read back from a file.
struct FileTotals
{
    int headerCount = -1;
    QString headerSum;
    int transactions = 0;
    qint64 cents = 0;
};

FileTotals readBack(const QByteArray &xml)
{
    FileTotals t;
    const QString text = QString::fromUtf8(xml);
    const auto first = [&](const QString &tag) {
        const QRegularExpression re(QStringLiteral("<%1>([^<]*)</%1>").arg(tag));
        return re.match(text).captured(1);
    };
    t.headerCount = first(QStringLiteral("NbOfTxs")).toInt();
    t.headerSum = first(QStringLiteral("CtrlSum"));
    const QRegularExpression amount(QStringLiteral("<InstdAmt Ccy=\"EUR\">(\\d*)\\.(\\d\\d)</InstdAmt>"));
    for (auto it = amount.globalMatch(text); it.hasNext();) {
        const auto m = it.next();
        ++t.transactions;
        t.cents += m.captured(1).toLongLong() * 100 + m.captured(2).toLongLong();
    }
    return t;
}

qint64 sumCents(const QString &ctrlSum)
{
    const QStringList parts = ctrlSum.split(QLatin1Char('.'));
    return parts.value(0).toLongLong() * 100 + parts.value(1).toLongLong();
}
} // namespace

class TestRun : public QObject
{
    Q_OBJECT

    static void checkFile(RunFixture &f, const QString &name, int count)
    {
        const QString path = f.targetFile(name);
        QVERIFY2(QFile::exists(path), qPrintable(path));
        const FileTotals t = readBack(f.readTarget(name));
        QCOMPARE(t.headerCount, count);
        QCOMPARE(t.transactions, count);
        QCOMPARE(sumCents(t.headerSum), t.cents);
        if (!pain008Schema().isEmpty()) {
            QString out;
            QVERIFY2(validatePain008(path, &out), qPrintable(out));
        }
    }

private Q_SLOTS:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands)); }

    void wholeRunWithTwoCodes()
    {
        RunFixture f;
        QVERIFY(f.writeSheet({RunFixture::headings(),
                              RunFixture::member(QStringLiteral("Jan Jansen"), 12.5, QStringLiteral("FRST"), Iban1,
                                                 QStringLiteral("LID-001")),
                              RunFixture::member(QStringLiteral("Piet Pieters"), 25, QStringLiteral("RCUR"), Iban2,
                                                 QStringLiteral("LID-002")),
                              RunFixture::member(QStringLiteral("Klaas Klaassen"), 0.1, QStringLiteral("RCUR"), Iban1,
                                                 QStringLiteral("LID-003"))}));
        ProcessingRun run(f.data, f.service);
        QCOMPARE(run.show(), RunOutcome::Passed);
        QVERIFY(run.verwerkenOffered());
        QCOMPARE(run.verwerken(), RunOutcome::Passed);
        checkFile(f, QStringLiteral("Incasso_dd_2024-05-10_FRST_08_1.xml"), 1);
        checkFile(f, QStringLiteral("Incasso_dd_2024-05-10_RCUR_08_2.xml"), 2);
    }
};

QTEST_GUILESS_MAIN(TestRun)
#include "TestRun.moc"
