#include "model/InputData.h"

#include <QTest>

class TestModel : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void newRecordHoldsInitialValues()
    {
        const TInputData d;
        QCOMPARE(d.InputArray.size(), LayoutFieldCount);
        QVERIFY(std::all_of(d.InputArray.begin(), d.InputArray.end(), [](int c) { return c == 0; }));
        QCOMPARE(d.LogSavePrefix, QStringLiteral("SEPA incasso verwerking "));
        QCOMPARE(d.DefaultSequenceCode, QStringLiteral("RCUR"));
        QVERIFY(!d.HasHeadings);
    }
};

QTEST_GUILESS_MAIN(TestModel)
#include "TestModel.moc"
