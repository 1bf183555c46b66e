#include "RuleMessages.h"
#include "model/CellValue.h"
#include "model/Clock.h"
#include "rules/AccountRules.h"
#include "rules/DateAmountRules.h"
#include "rules/TextRules.h"
#include "util/NoticeRecorder.h"

#include <QDate>
#include <QLocale>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

constexpr int IntMax = std::numeric_limits<int>::max();

// The default locale for one scope.
class ScopedLocale final
{
public:
    explicit ScopedLocale(const QLocale &locale) : m_saved(QLocale()) { QLocale::setDefault(locale); }
    ~ScopedLocale() { QLocale::setDefault(m_saved); }

private:
    QLocale m_saved;
};

const QString Error = QStringLiteral("Foutmelding: ");

QStringList errorBoxes(const QStringList &texts)
{
    QStringList boxes;
    for (const QString &t : texts)
        boxes << Error + t;
    return boxes;
}

QString ibanBadChars(const QString &iban)
{
    return QStringLiteral("IBAN nummer : ") + iban +
           QStringLiteral(" bevat foute tekens;\rGeoorloofd zijn 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");
}

QString ibanLength(const QString &iban)
{
    return QStringLiteral("IBAN : ") + iban + QStringLiteral(" is fout. IBAN moet 18 tekens lang zijn");
}

QString ibanCheckDigits(const QString &iban)
{
    return QStringLiteral("IBAN nummer : ") + iban + QStringLiteral(" is niet correct\rHet controlegetal klopt niet.");
}

QString zzzNotCorrect(const QString &code)
{
    return QStringLiteral("ZZZ-code : ") + code + QStringLiteral(" is niet correct. Controleer de input.");
}

QString dateTextMessage(const QString &text)
{
    return QStringLiteral("De datum ") + text +
           QStringLiteral(" is niet correct.\rGeef als input een valide datum in het format dd-mm-yyyy");
}

const QDateTime Mid2024(QDate(2024, 6, 1), QTime(12, 0));

} // namespace

class TestRules final : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Text rules

    void checkSEPAChars_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("bad"); // empty when the text passes

        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("whole set") << SEPAChars << QString();
        QTest::newRow("everyday signs") << QStringLiteral("O'Brien (3), 12+? ja") << QString();
        QTest::newRow("ampersand") << QStringLiteral("Jansen & Zn") << QStringLiteral("&");
        QTest::newRow("umlaut") << QStringLiteral("M\u00fcller") << QStringLiteral("\u00fc");
        QTest::newRow("leftmost of two") << QStringLiteral("a_b&c") << QStringLiteral("_");
        QTest::newRow("placeholder") << QStringLiteral("<naam>") << QStringLiteral("<");
        QTest::newRow("tab") << QStringLiteral("a\tb") << QStringLiteral("\t");
        QTest::newRow("carriage return") << QStringLiteral("a\rb") << QStringLiteral("\r");
        QTest::newRow("double quote") << QStringLiteral("\"x\"") << QStringLiteral("\"");
        QTest::newRow("outside the BMP") << QStringLiteral("ab\U0001F600c") << QStringLiteral("\U0001F600");
    }
    void checkSEPAChars()
    {
        QFETCH(QString, text);
        QFETCH(QString, bad);
        NoticeRecorder rec;
        QCOMPARE(CheckSEPAChars(text), bad.isEmpty());
        QCOMPARE(rec.all, bad.isEmpty() ? QStringList() : errorBoxes({sepaCharsMessage(text, bad)}));
    }

    void checkSEPACharsMessageText()
    {
        NoticeRecorder rec;
        QVERIFY(!CheckSEPAChars(QStringLiteral("A&B")));
        QCOMPARE(rec.errors, QStringList{QStringLiteral("FOUT in : A&B .Het teken - & - is niet toegestaan\r"
                                                        "Toegestaan zijn : \r"
                                                        "'abcdefghijklmnopqrstuvwxyz\r"
                                                        "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/-?:().,+ \r"
                                                        "en de spatie.")});
    }

    void checkLength_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<QString>("message");

        const QString seventy(70, QLatin1Char('x'));
        QTest::newRow("70 and trailing blanks") << seventy + QStringLiteral("   ") << 70 << QString();
        QTest::newRow("71") << seventy + QLatin1Char('y') << 70
                            << QStringLiteral("De input : ") + seventy +
                                   QStringLiteral("y is te lang. \rMaximaal 70 characters.");
        QTest::newRow("empty, maximum 0") << QString() << 0 << QString();
        QTest::newRow("blanks only, maximum 0") << QStringLiteral("   ") << 0 << QString();
        QTest::newRow("control characters trimmed") << QStringLiteral("\t a\n") << 1 << QString();
        QTest::newRow("inner blank counts")
            << QStringLiteral(" a b ") << 2 << QStringLiteral("De input :  a b  is te lang. \rMaximaal 2 characters.");
        QTest::newRow("non-breaking space is not trimmed")
            << QStringLiteral("ab\u00a0") << 2
            << QStringLiteral("De input : ab\u00a0 is te lang. \rMaximaal 2 characters.");
    }
    void checkLength()
    {
        QFETCH(QString, text);
        QFETCH(int, maximum);
        QFETCH(QString, message);
        NoticeRecorder rec;
        QString out = QStringLiteral("stale");
        QCOMPARE(CheckLength(text, maximum, out), message.isEmpty());
        QCOMPARE(out, message);
        QVERIFY(rec.isEmpty());
    }

    void columnLetters_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("letters");

        QTest::newRow("0") << 0 << QString();
        QTest::newRow("-5") << -5 << QString();
        QTest::newRow("min") << std::numeric_limits<int>::min() << QString();
        QTest::newRow("1") << 1 << QStringLiteral("A");
        QTest::newRow("26") << 26 << QStringLiteral("Z");
        QTest::newRow("27") << 27 << QStringLiteral("AA");
        QTest::newRow("52") << 52 << QStringLiteral("AZ");
        QTest::newRow("53") << 53 << QStringLiteral("BA");
        QTest::newRow("702") << 702 << QStringLiteral("ZZ");
        QTest::newRow("703") << 703 << QStringLiteral("AAA");
        QTest::newRow("16384") << 16384 << QStringLiteral("XFD");
        QTest::newRow("max") << IntMax << QStringLiteral("FXSHRXW");
    }
    void columnLetters()
    {
        QFETCH(int, number);
        QFETCH(QString, letters);
        QCOMPARE(ColumnLetters(number), letters);
    }

    void columnNumber_data()
    {
        QTest::addColumn<QString>("letters");
        QTest::addColumn<int>("number");

        QTest::newRow("z") << QStringLiteral("z") << 26;
        QTest::newRow("aa") << QStringLiteral("aa") << 27;
        QTest::newRow("XFD") << QStringLiteral("XFD") << 16384;
        QTest::newRow("mixed case") << QStringLiteral("xFd") << 16384;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("digit") << QStringLiteral("7") << 0;
        QTest::newRow("A and digit") << QStringLiteral("A1") << 26;
        QTest::newRow("blank and A") << QStringLiteral(" A") << 1;
        QTest::newRow("A and blank") << QStringLiteral("A ") << 26;
        QTest::newRow("accented letter") << QStringLiteral("\u00e4") << 0;
        QTest::newRow("largest int") << QStringLiteral("fxshrxw") << IntMax;
        // Beyond an int the result stays at the largest one, far past any sheet.
        QTest::newRow("one past") << QStringLiteral("FXSHRXX") << IntMax;
        QTest::newRow("50 letters") << QString(50, QLatin1Char('Z')) << IntMax;
        QTest::newRow("A behind 40 blanks") << QString(40, QLatin1Char(' ')) + QLatin1Char('A') << 1;
    }
    void columnNumber()
    {
        QFETCH(QString, letters);
        QFETCH(int, number);
        QCOMPARE(ColumnNumber(letters), number);
    }

    void columnRoundTrip()
    {
        for (int n = 1; n <= 16384; ++n) {
            if (ColumnNumber(ColumnLetters(n)) != n)
                QFAIL(qPrintable(QStringLiteral("column %1 gives %2").arg(n).arg(ColumnLetters(n))));
        }
    }

    // Account and creditor checks

    void checkIBAN_data()
    {
        QTest::addColumn<QString>("iban");
        QTest::addColumn<QString>("message"); // empty when the IBAN passes

        const QString good = QStringLiteral("NL13TEST0123456789");
        QTest::newRow("valid") << good << QString();
        const QString swapped = QStringLiteral("NL13TEST0123456798");
        QTest::newRow("swapped digits") << swapped << ibanCheckDigits(swapped);
        const QString blanks = QStringLiteral("NL13 TEST 0123 4567 89");
        QTest::newRow("grouped with blanks") << blanks << ibanLength(blanks);
        QTest::newRow("empty") << QString() << ibanLength(QString());
        QTest::newRow("17 characters") << good.left(17) << ibanLength(good.left(17));
        const QString lower = good.toLower();
        QTest::newRow("lower case") << lower << ibanBadChars(lower);
        // The country code is not compared with anything.
        QTest::newRow("other country") << QStringLiteral("GB09TEST0123456789") << QString();
        // Only the first 24 digits take part: with letters throughout, the
        // country code and check digits lie beyond them.
        QTest::newRow("first 24 digits only") << QStringLiteral("NL00NTRNDVJIHMXRAG") << QString();
    }
    void checkIBAN()
    {
        QFETCH(QString, iban);
        QFETCH(QString, message);
        NoticeRecorder rec;
        QCOMPARE(CheckIBAN(iban), message.isEmpty());
        QCOMPARE(rec.all, message.isEmpty() ? QStringList() : errorBoxes({message}));
    }

    // The form the banks take, for the creditor's BIC and every debtor's.
    void isBIC_data()
    {
        QTest::addColumn<QString>("bic");
        QTest::addColumn<bool>("valid");
        QTest::newRow("8 characters") << QStringLiteral("RABONL2U") << true;
        QTest::newRow("11 characters") << QStringLiteral("ABNANL2AXXX") << true;
        QTest::newRow("digits in the bank code") << QStringLiteral("1234NL2A") << true;
        QTest::newRow("bank code only") << QStringLiteral("RABO") << false;
        QTest::newRow("lower case") << QStringLiteral("rabonl2u") << false;
        QTest::newRow("placeholder") << QStringLiteral("<BIC>") << false;
        QTest::newRow("digit in the country code") << QStringLiteral("RABON12U") << false;
        QTest::newRow("10 characters") << QStringLiteral("RABONL2UXX") << false;
        QTest::newRow("blank at the end") << QStringLiteral("RABONL2U ") << false;
        QTest::newRow("empty") << QString() << false;
    }
    void isBIC()
    {
        QFETCH(QString, bic);
        QFETCH(bool, valid);
        QCOMPARE(IsBIC(bic), valid);
    }

    void checkZZZCode_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("boxes");

        const QString notNL = QStringLiteral("FOUT: Ook de ZZZ-code dient met NL te beginnen");
        QTest::newRow("valid") << QStringLiteral("NL69ZZZ123456780000") << true << QStringList();
        QTest::newRow("business code ABC")
            << QStringLiteral("NL69ABC123456780000") << true << QStringList{zzzWarning()};
        QTest::newRow("lower-case zzz") << QStringLiteral("NL69zzz123456780000") << true << QStringList{zzzWarning()};
        QTest::newRow("DE with ZZZ") << QStringLiteral("DE69ZZZ123456780000") << false << QStringList{notNL};
        QTest::newRow("DE without ZZZ") << QStringLiteral("DE69ABC123456780000") << false
                                        << QStringList{zzzWarning(), notNL};
        QTest::newRow("empty national part") << QStringLiteral("NL22ZZZ") << true << QStringList();
        QTest::newRow("letters in national part") << QStringLiteral("NL65ZZZABC123") << true << QStringList();
        const QString wrong = QStringLiteral("NL68ZZZ123456780000");
        QTest::newRow("wrong check digits") << wrong << false << QStringList{zzzNotCorrect(wrong)};
        const QString lower = QStringLiteral("NL69ZZZ12345678000a");
        QTest::newRow("lower case in national part")
            << lower << false
            << QStringList{
                   QStringLiteral("ZZZ-code : ") + lower +
                   QStringLiteral(" bevat foute tekens;\rGeoorloofd zijn 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ")};
        // Only the first 28 digits take part; over all 34 digits the check would be 73.
        QTest::newRow("first 28 digits only")
            << QStringLiteral("NL46ZZZ123456789012345678901234567890") << true << QStringList();
        QTest::newRow("letters as check digits")
            << QStringLiteral("NLxxZZZ") << false << QStringList{zzzNotCorrect(QStringLiteral("NLxxZZZ"))};
        QTest::newRow("blank in check digits") << QStringLiteral("NL 22ZZZ") << false
                                               << QStringList{zzzWarning(), zzzNotCorrect(QStringLiteral("NL 22ZZZ"))};
        QTest::newRow("just NL") << QStringLiteral("NL") << false
                                 << QStringList{zzzWarning(), zzzNotCorrect(QStringLiteral("NL"))};
    }
    void checkZZZCode()
    {
        QFETCH(QString, code);
        QFETCH(bool, ok);
        QFETCH(QStringList, boxes);
        NoticeRecorder rec;
        QCOMPARE(CheckZZZCode(code), ok);
        QCOMPARE(rec.all, errorBoxes(boxes));
    }

    // Dates, amounts and timestamps

    void creationDateTime_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::newRow("C") << QLocale::c();
        QTest::newRow("Dutch") << QLocale(QLocale::Dutch, QLocale::Netherlands);
        QTest::newRow("Finnish (dotted time)") << QLocale(QLocale::Finnish, QLocale::Finland);
        QTest::newRow("Arabic (own digits)") << QLocale(QLocale::Arabic, QLocale::Egypt);
    }
    void creationDateTime()
    {
        QFETCH(QLocale, locale);
        ScopedLocale scopedLocale(locale);
        const FixedClock clock(QDateTime(QDate(2024, 5, 6), QTime(8, 5, 9, 123)));
        QCOMPARE(CreationDateTime(clock), QStringLiteral("2024-05-06T08:05:09"));
    }

    void dateToISO_data()
    {
        QTest::addColumn<double>("serial");
        QTest::addColumn<QString>("iso");

        QTest::newRow("time of day dropped") << 45352.75 << QStringLiteral("2024-03-01");
        QTest::newRow("day zero") << 0.0 << QStringLiteral("1899-12-30");
        // Automation dates know no 29 February 1900.
        QTest::newRow("day 60") << 60.5 << QStringLiteral("1900-02-28");
        QTest::newRow("day 61") << 61.0 << QStringLiteral("1900-03-01");
        QTest::newRow("last day") << 2958465.0 << QStringLiteral("9999-12-31");
        QTest::newRow("past the calendar") << 2958466.0 << QString();
        QTest::newRow("not a number") << std::nan("") << QString();
        QTest::newRow("huge") << 1e300 << QString();
    }
    void dateToISO()
    {
        QFETCH(double, serial);
        QFETCH(QString, iso);
        QCOMPARE(DateToISO(serial), iso);
    }

    void reverseDateText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reversed");

        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("dd-mm-yyyy") << QStringLiteral("15-03-2024") << QStringLiteral("2024-03-15");
        QTest::newRow("d-m-yyyy") << QStringLiteral("1-3-2024") << QStringLiteral("2024-03-01");
        QTest::newRow("slashes") << QStringLiteral("15/03/2024") << QStringLiteral("2024-03-15");
        QTest::newRow("two-digit year as written") << QStringLiteral("01-02-24") << QStringLiteral("0024-02-01");
        QTest::newRow("fourth piece dropped") << QStringLiteral("15-03-2024-1") << QStringLiteral("2024-03-15");
        QTest::newRow("two pieces") << QStringLiteral("15-03") << QStringLiteral("-03-15");
        QTest::newRow("no separator") << QStringLiteral("15032024") << QStringLiteral("--15032024");
        QTest::newRow("not numbers") << QStringLiteral("ab-c-d") << QStringLiteral("d-c-ab");
        QTest::newRow("separators only") << QStringLiteral("--") << QStringLiteral("--");
    }
    void reverseDateText()
    {
        QFETCH(QString, text);
        QFETCH(QString, reversed);
        QCOMPARE(ReverseDateText(text), reversed);
    }

    void tryDateValue_data()
    {
        QTest::addColumn<CellValue>("cell");
        QTest::addColumn<QDate>("date"); // invalid when the result is false

        QTest::newRow("date cell") << CellValue::fromDate(45352.5) << QDate(2024, 3, 1);
        QTest::newRow("dd-mm-yyyy") << CellValue::fromText(QStringLiteral("01-02-2024")) << QDate(2024, 2, 1);
        QTest::newRow("d/m/yyyy") << CellValue::fromText(QStringLiteral("1/2/2024")) << QDate(2024, 2, 1);
        QTest::newRow("two-digit year") << CellValue::fromText(QStringLiteral("29-02-24")) << QDate(2024, 2, 29);
        QTest::newRow("one-digit year") << CellValue::fromText(QStringLiteral("1/2/5")) << QDate(2005, 2, 1);
        QTest::newRow("three-digit year") << CellValue::fromText(QStringLiteral("1-2-024")) << QDate(24, 2, 1);
        QTest::newRow("not a leap year") << CellValue::fromText(QStringLiteral("29-02-2023")) << QDate();
        QTest::newRow("1900 not a leap year") << CellValue::fromText(QStringLiteral("29-02-1900")) << QDate();
        QTest::newRow("31 April") << CellValue::fromText(QStringLiteral("31-04-2024")) << QDate();
        QTest::newRow("month 13") << CellValue::fromText(QStringLiteral("01-13-2024")) << QDate();
        QTest::newRow("day 0") << CellValue::fromText(QStringLiteral("00-01-2024")) << QDate();
        QTest::newRow("year 0") << CellValue::fromText(QStringLiteral("01-01-0")) << QDate();
        QTest::newRow("dots") << CellValue::fromText(QStringLiteral("01.02.2024")) << QDate();
        QTest::newRow("one separator") << CellValue::fromText(QStringLiteral("01-02")) << QDate();
        QTest::newRow("hyphen wins over slashes") << CellValue::fromText(QStringLiteral("1/2/2024-")) << QDate();
        QTest::newRow("blank after a number") << CellValue::fromText(QStringLiteral("01-02-2024 ")) << QDate();
        QTest::newRow("sign") << CellValue::fromText(QStringLiteral("+1-02-2024")) << QDate();
        QTest::newRow("letters") << CellValue::fromText(QStringLiteral("a-b-c")) << QDate();
        QTest::newRow("empty pieces") << CellValue::fromText(QStringLiteral("--")) << QDate();
        QTest::newRow("number cell") << CellValue::fromNumber(45352) << QDate();
        QTest::newRow("empty cell") << CellValue::empty() << QDate();
        QTest::newRow("truth value") << CellValue::fromBool(true) << QDate();
        QTest::newRow("error cell") << CellValue::fromError(QStringLiteral("#N/A")) << QDate();
    }
    void tryDateValue()
    {
        QFETCH(CellValue, cell);
        QFETCH(QDate, date);
        const FixedClock clock(Mid2024);
        NoticeRecorder rec;
        double value = -1;
        QCOMPARE(TryDateValue(cell, value, clock), date.isValid());
        if (date.isValid())
            QCOMPARE(DateFromSerial(value), date);
        if (cell.kind == CellValue::Kind::Date)
            QCOMPARE(value, cell.number); // the time of day stays
        QVERIFY(rec.isEmpty());
    }

    // A short year lies in the century of today's date, not always 20yy.
    void tryDateValueCentury()
    {
        const FixedClock clock(QDateTime(QDate(2130, 1, 1), QTime(0, 0)));
        double value = 0;
        QVERIFY(TryDateValue(CellValue::fromText(QStringLiteral("01-02-24")), value, clock));
        QCOMPARE(DateFromSerial(value), QDate(2124, 2, 1));
        // Valid as 2000, but 2100 has no 29 February.
        QVERIFY(!TryDateValue(CellValue::fromText(QStringLiteral("29-02-00")), value, clock));
    }

    void checkDateValue_data()
    {
        QTest::addColumn<CellValue>("cell");
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("shown"); // the cell as the message writes it; null when valid

        const QLocale c = QLocale::c();
        const QLocale dutch(QLocale::Dutch, QLocale::Netherlands);
        QTest::newRow("valid text") << CellValue::fromText(QStringLiteral("1-2-2024")) << c << QString();
        QTest::newRow("date cell") << CellValue::fromDate(45352) << c << QString();
        QTest::newRow("empty cell") << CellValue::empty() << c << QStringLiteral("");
        QTest::newRow("bad text") << CellValue::fromText(QStringLiteral("31-04-2024")) << c
                                  << QStringLiteral("31-04-2024");
        QTest::newRow("number, C") << CellValue::fromNumber(12.5) << c << QStringLiteral("12.5");
        QTest::newRow("number, Dutch") << CellValue::fromNumber(12.5) << dutch << QStringLiteral("12,5");
        QTest::newRow("error cell") << CellValue::fromError(QStringLiteral("#N/A")) << c << QStringLiteral("#N/A");
    }
    void checkDateValue()
    {
        QFETCH(CellValue, cell);
        QFETCH(QLocale, locale);
        QFETCH(QString, shown);
        ScopedLocale scopedLocale(locale);
        const FixedClock clock(Mid2024);
        NoticeRecorder rec;
        double value = 0;
        QCOMPARE(CheckDateValue(cell, value, clock), shown.isNull());
        const QString message = QStringLiteral("De datuminput : ") + shown + QStringLiteral(" is geen valide datum.");
        QCOMPARE(rec.all, shown.isNull() ? QStringList() : errorBoxes({message}));
    }

    void checkDateText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");

        QTest::newRow("dd-mm-yyyy") << QStringLiteral("15-03-2024") << true;
        QTest::newRow("dd/mm/yyyy") << QStringLiteral("15/03/2024") << true;
        QTest::newRow("d-m-yyyy") << QStringLiteral("5-3-2024") << true;
        QTest::newRow("year 24 as written") << QStringLiteral("01-02-24") << true;
        QTest::newRow("29 February 2024") << QStringLiteral("29-02-2024") << true;
        QTest::newRow("29 February 1900") << QStringLiteral("29-02-1900") << false;
        QTest::newRow("31 February") << QStringLiteral("31-02-2024") << false;
        QTest::newRow("two pieces") << QStringLiteral("15-03") << false;
        QTest::newRow("three hyphens") << QStringLiteral("15-03-2024-1") << false;
        QTest::newRow("mixed separators") << QStringLiteral("15-03/2024") << false;
        QTest::newRow("slashes, a hyphen inside") << QStringLiteral("1/2-3/4") << false;
        QTest::newRow("leading blank") << QStringLiteral(" 15-03-2024") << false;
        QTest::newRow("year 10000") << QStringLiteral("15-03-10000") << false;
        QTest::newRow("day 0") << QStringLiteral("00-03-2024") << false;
        QTest::newRow("placeholder") << QStringLiteral("<datum>") << false;
    }
    void checkDateText()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        NoticeRecorder rec;
        QCOMPARE(CheckDateText(text), ok);
        QCOMPARE(rec.all, ok ? QStringList() : errorBoxes({dateTextMessage(text)}));
    }

    void checkDateTextEmptyIsSilent()
    {
        NoticeRecorder rec;
        QVERIFY(!CheckDateText(QString()));
        QVERIFY(rec.isEmpty());
    }

    void checkAmount_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("out");

        const auto tooMany = [](const QString &t) -> QString {
            return QStringLiteral("FOUT: het bedrag - ") + t + QStringLiteral(" - heeft meer dan 1 decimaalteken");
        };
        const auto decimals = [](const QString &t) -> QString {
            return QStringLiteral("FOUT: het bedrag - ") + t + QStringLiteral(" - heeft meer dan 2 decimalen");
        };
        QTest::newRow("whole") << QStringLiteral("12") << true << QStringLiteral("12.00");
        QTest::newRow("comma, one decimal") << QStringLiteral("12,5") << true << QStringLiteral("12.50");
        QTest::newRow("comma first") << QStringLiteral(",5") << true << QStringLiteral(".50");
        QTest::newRow("two decimals") << QStringLiteral("7.25") << true << QStringLiteral("7.25");
        QTest::newRow("separator last") << QStringLiteral("12.") << true << QStringLiteral("12.00");
        QTest::newRow("empty") << QString() << true << QStringLiteral(".00");
        QTest::newRow("minus") << QStringLiteral("-5") << false
                               << QStringLiteral("FOUT: het teken - - - in -5 is niet toegestaan");
        QTest::newRow("currency after a blank")
            << QStringLiteral("5 EUR") << false << QStringLiteral("FOUT: het teken -   - in 5 EUR is niet toegestaan");
        QTest::newRow("euro sign") << QStringLiteral("\u20ac5") << false
                                   << QStringLiteral("FOUT: het teken - \u20ac - in \u20ac5 is niet toegestaan");
        QTest::newRow("thousands separator")
            << QStringLiteral("1.234,56") << false << tooMany(QStringLiteral("1.234,56"));
        QTest::newRow("two commas") << QStringLiteral("1,2,3") << false << tooMany(QStringLiteral("1,2,3"));
        QTest::newRow("three decimals") << QStringLiteral("12.345") << false << decimals(QStringLiteral("12.345"));
        QTest::newRow("three decimals after a comma")
            << QStringLiteral("1,234") << false << decimals(QStringLiteral("1,234"));
        // The character check first, then the separators, then the decimals.
        QTest::newRow("sign before separators") << QStringLiteral("1.2.3x") << false
                                                << QStringLiteral("FOUT: het teken - x - in 1.2.3x is niet toegestaan");
        QTest::newRow("separators before decimals")
            << QStringLiteral("1.2.345") << false << tooMany(QStringLiteral("1.2.345"));
    }
    void checkAmount()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QString, out);
        NoticeRecorder rec;
        QString result;
        QCOMPARE(CheckAmount(text, result), ok);
        QCOMPARE(result, out);
        QVERIFY(rec.isEmpty());
    }

    void amountTextToCents_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qint64>("cents");

        QTest::newRow(".50") << QStringLiteral(".50") << true << qint64(50);
        QTest::newRow("12.00") << QStringLiteral("12.00") << true << qint64(1200);
        QTest::newRow(".00") << QStringLiteral(".00") << true << qint64(0);
        QTest::newRow("leading zeros") << QStringLiteral("007.25") << true << qint64(725);
        QTest::newRow("largest") << QStringLiteral("92233720368547758.07") << true
                                 << std::numeric_limits<qint64>::max();
        QTest::newRow("one past the largest") << QStringLiteral("92233720368547758.08") << false << qint64(0);
        QTest::newRow("forty digits") << QString(40, QLatin1Char('9')) + QStringLiteral(".99") << false << qint64(0);
        QTest::newRow("one decimal") << QStringLiteral("12.5") << false << qint64(0);
        QTest::newRow("three decimals") << QStringLiteral("12.500") << false << qint64(0);
        QTest::newRow("comma") << QStringLiteral("12,50") << false << qint64(0);
        QTest::newRow("no point") << QStringLiteral("1250") << false << qint64(0);
        QTest::newRow("two points") << QStringLiteral("1.2.00") << false << qint64(0);
        QTest::newRow("sign") << QStringLiteral("-1.00") << false << qint64(0);
        QTest::newRow("letter") << QStringLiteral("12.0a") << false << qint64(0);
        QTest::newRow("empty") << QString() << false << qint64(0);
    }
    void amountTextToCents()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(qint64, cents);
        qint64 result = -1;
        QCOMPARE(AmountTextToCents(text, result), ok);
        QCOMPARE(result, ok ? cents : qint64(-1));
    }

    // TARGET2 closes on weekends, 1 January, Good Friday, Easter Monday, 1 May, 25 and 26 December.
    void bankWorkingDays_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<bool>("working");
        QTest::addColumn<QDate>("next"); // the first working day after the date
        QTest::newRow("Wednesday") << QDate(2026, 12, 9) << true << QDate(2026, 12, 10);
        QTest::newRow("Friday") << QDate(2026, 12, 11) << true << QDate(2026, 12, 14);
        QTest::newRow("Saturday") << QDate(2026, 12, 12) << false << QDate(2026, 12, 14);
        QTest::newRow("Sunday") << QDate(2026, 12, 13) << false << QDate(2026, 12, 14);
        QTest::newRow("24 December") << QDate(2026, 12, 24) << true << QDate(2026, 12, 28);
        QTest::newRow("25 December, Friday") << QDate(2026, 12, 25) << false << QDate(2026, 12, 28);
        QTest::newRow("26 December, Thursday") << QDate(2024, 12, 26) << false << QDate(2024, 12, 27);
        QTest::newRow("1 January") << QDate(2027, 1, 1) << false << QDate(2027, 1, 4);
        QTest::newRow("1 May") << QDate(2026, 5, 1) << false << QDate(2026, 5, 4);
        QTest::newRow("Ascension Day is a working day") << QDate(2026, 5, 14) << true << QDate(2026, 5, 15);
        QTest::newRow("Maundy Thursday 2027") << QDate(2027, 3, 25) << true << QDate(2027, 3, 30);
        QTest::newRow("Good Friday 2027") << QDate(2027, 3, 26) << false << QDate(2027, 3, 30);
        QTest::newRow("Easter Monday 2027") << QDate(2027, 3, 29) << false << QDate(2027, 3, 30);
        QTest::newRow("Good Friday 2024") << QDate(2024, 3, 29) << false << QDate(2024, 4, 2);
        QTest::newRow("Easter Monday 2025") << QDate(2025, 4, 21) << false << QDate(2025, 4, 22);
        // Easter as late and as early as it comes.
        QTest::newRow("Good Friday 2038") << QDate(2038, 4, 23) << false << QDate(2038, 4, 27);
        QTest::newRow("Good Friday 2285") << QDate(2285, 3, 20) << false << QDate(2285, 3, 24);
    }
    void bankWorkingDays()
    {
        QFETCH(QDate, date);
        QFETCH(bool, working);
        QFETCH(QDate, next);
        QCOMPARE(IsBankWorkingDay(date), working);
        QCOMPARE(BankWorkingDayAfter(date), next);
    }

    void bankWorkingDayAfter_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("n");
        QTest::addColumn<QDate>("day");
        QTest::newRow("0 is the day itself") << QDate(2026, 12, 12) << 0 << QDate(2026, 12, 12);
        QTest::newRow("5 over a weekend") << QDate(2026, 12, 9) << 5 << QDate(2026, 12, 16);
        QTest::newRow("2 over Christmas") << QDate(2026, 12, 23) << 2 << QDate(2026, 12, 28);
        QTest::newRow("3 over Easter") << QDate(2027, 3, 24) << 3 << QDate(2027, 3, 31);
    }
    void bankWorkingDayAfter()
    {
        QFETCH(QDate, date);
        QFETCH(int, n);
        QFETCH(QDate, day);
        QCOMPARE(BankWorkingDayAfter(date, n), day);
    }

    // What the amount check accepts, the cents conversion reads.
    void acceptedAmountsHaveCents_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("cents");
        QTest::newRow("12") << QStringLiteral("12") << qint64(1200);
        QTest::newRow("12,5") << QStringLiteral("12,5") << qint64(1250);
        QTest::newRow(",5") << QStringLiteral(",5") << qint64(50);
        QTest::newRow("0,07") << QStringLiteral("0,07") << qint64(7);
        QTest::newRow("empty") << QString() << qint64(0);
    }
    void acceptedAmountsHaveCents()
    {
        QFETCH(QString, text);
        QFETCH(qint64, cents);
        QString normalised;
        QVERIFY(CheckAmount(text, normalised));
        qint64 result = -1;
        QVERIFY(AmountTextToCents(normalised, result));
        QCOMPARE(result, cents);
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "TestRules.moc"
