#include "model/CellValue.h"
#include "model/IniFile.h"
#include "model/InputData.h"
#include "model/Notice.h"

#include <QTest>

#include <limits>

Q_DECLARE_METATYPE(CellValue)

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

    void requiredLayoutFields()
    {
        QList<int> required;
        for (int f = 0; f < LayoutFieldCount; ++f) {
            if (IsRequiredLayoutField(static_cast<TLayoutField>(f)))
                required << f;
        }
        QCOMPARE(required, (QList<int>{lfNaam, lfBedrag, lfIBAN, lfMandaatId, lfMandaatDatum, lfOmschrijving}));
    }

    void generalNumberText_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << QStringLiteral("0");
        QTest::newRow("whole") << 100.0 << QStringLiteral("100");
        QTest::newRow("no trailing zeros") << 12.5 << QStringLiteral("12,5");
        QTest::newRow("binary noise rounded away") << 0.1 + 0.2 << QStringLiteral("0,3");
        QTest::newRow("cents of millions") << 5000000.05 << QStringLiteral("5000000,05");
        QTest::newRow("negative") << -3.25 << QStringLiteral("-3,25");
        QTest::newRow("smallest fixed") << 0.00001 << QStringLiteral("0,00001");
        QTest::newRow("below fixed") << 0.000001 << QStringLiteral("1E-06");
        QTest::newRow("largest fixed") << 999999999999999.0 << QStringLiteral("999999999999999");
        QTest::newRow("exponent") << 1e15 << QStringLiteral("1E+15");
        QTest::newRow("fifteen digits") << 123456789012345678.0 << QStringLiteral("1,23456789012346E+17");
    }
    void generalNumberText()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(GeneralNumberText(value, QLatin1Char(',')), text);
    }
    // Whole cents take a shorter way; fifteen significant digits ("%.15g") must still be what comes out.
    void generalNumberTextOfCents()
    {
        quint64 state = 88172645463325252ULL;
        for (int i = 0; i < 20000; ++i) {
            state ^= state << 13, state ^= state >> 7, state ^= state << 17;
            const qint64 cents = qint64(state % 100000000000000ULL) / qint64(1 + state % 1000000000ULL);
            const double value = (i % 2 ? -1.0 : 1.0) * double(cents) / 100.0;
            if (value == 0.0)
                continue;
            QCOMPARE(GeneralNumberText(value, QLatin1Char('.')), QString::number(value, 'g', 15));
        }
    }

    void cellText_data()
    {
        QTest::addColumn<CellValue>("cell");
        QTest::addColumn<bool>("delivered");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << CellValue::empty() << true << QString();
        QTest::newRow("text kept") << CellValue::fromText(QStringLiteral(" a ")) << true << QStringLiteral(" a ");
        QTest::newRow("number, no grouping") << CellValue::fromNumber(1234567.5) << true << QStringLiteral("1234567,5");
        QTest::newRow("date") << CellValue::fromDate(45292.75) << true << QStringLiteral("01-01-2024");
        QTest::newRow("true") << CellValue::fromBool(true) << true << QStringLiteral("WAAR");
        QTest::newRow("false") << CellValue::fromBool(false) << true << QStringLiteral("ONWAAR");
        QTest::newRow("error") << CellValue::fromError(QStringLiteral("#N/A")) << false << QStringLiteral("#N/A");
        QTest::newRow("formula without value") << CellValue::formulaWithoutValue() << false << QString();
    }
    void cellText()
    {
        QFETCH(CellValue, cell);
        QFETCH(bool, delivered);
        QFETCH(QString, text);
        QString out;
        QCOMPARE(CellText(cell, out, QLocale(QLocale::Dutch, QLocale::Netherlands)), delivered);
        QCOMPARE(out, text);
    }

    void serialDatesAroundTheEpoch()
    {
        QCOMPARE(DateFromSerial(1.0), QDate(1899, 12, 31));
        QCOMPARE(DateFromSerial(-1.25), QDate(1899, 12, 29)); // the fraction is a time of that day
        QCOMPARE(SerialFromDate(QDate(2024, 1, 1)), 45292.0);
        QVERIFY(!DateFromSerial(std::numeric_limits<double>::quiet_NaN()).isValid());
    }

    // A value echoed in a message is cut after 200 characters, never inside a character.
    void shownValue_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("shown");
        const QString a200(200, u'a');
        QTest::newRow("200 characters") << a200 << a200;
        QTest::newRow("201 characters") << a200 + u'b' << a200 + QStringLiteral("\u2026 (201 tekens)");
        const QString pair = QStringLiteral("\U0001F600");
        QTest::newRow("a pair across the cut")
            << QString(199, u'a') + pair + pair << QString(199, u'a') + QStringLiteral("\u2026 (203 tekens)");
    }
    void shownValue()
    {
        QFETCH(QString, value);
        QFETCH(QString, shown);
        QCOMPARE(ShownValue(value), shown);
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

QTEST_GUILESS_MAIN(TestModel)
#include "TestModel.moc"
