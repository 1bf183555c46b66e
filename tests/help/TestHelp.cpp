#include "app/help/RtfReader.h"
#include "app/help/Style.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QVBoxLayout>

namespace {

const QString HelpFile = QStringLiteral(KW_DOCS_DIR "/Kwintor2 incasso.rtf");

// The blocks' raw texts joined by newlines: unlike toPlainText() this keeps line separators,
// no-break spaces and soft hyphens as the reader produced them.
QString rawText(const QTextDocument &doc)
{
    QStringList blocks;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next())
        blocks << b.text();
    return blocks.join(QLatin1Char('\n'));
}

QString parsedText(const QByteArray &rtf)
{
    QTextDocument doc;
    if (!ParseRtf(rtf, &doc, nullptr))
        return QStringLiteral("<geen RTF>");
    return rawText(doc);
}

// The format of the first character of the first occurrence of word.
QTextCharFormat formatOf(const QTextDocument &doc, const QString &word)
{
    const QTextCursor found = doc.find(word, 0, QTextDocument::FindCaseSensitively);
    if (found.isNull())
        return QTextCharFormat();
    QTextCursor c(const_cast<QTextDocument *>(&doc));
    c.setPosition(found.selectionStart() + 1);
    return c.charFormat();
}

QTextBlockFormat blockOf(const QTextDocument &doc, const QString &word)
{
    const QTextCursor found = doc.find(word, 0, QTextDocument::FindCaseSensitively);
    return found.isNull() ? QTextBlockFormat() : found.block().blockFormat();
}

bool isBold(const QTextCharFormat &f)
{
    return f.fontWeight() >= QFont::Bold;
}

// Characters that the reader must never leave in a document.
bool hasForbiddenCharacter(const QString &text)
{
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n') || (u >= 0xFDD0 && u <= 0xFDEF) || u == 0xFFFE || u == 0xFFFF)
            return true;
    }
    return false;
}

QByteArray sampleRtf()
{
    return QByteArrayLiteral(
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}"
        "{\\f1\\fnil\\fcharset2 Symbol;}}\r\n"
        "{\\colortbl ;\\red31\\green78\\blue121;\\red192\\green0\\blue0;}\r\n"
        "{\\*\\generator Riched20 10.0.19041}{\\info{\\title Proef}}\\viewkind4\\uc1\r\n"
        "\\pard\\sa200\\qc\\b\\fs32\\cf1 Kop\\cf0\\b0\\fs22\\par\r\n"
        "\\pard\\li720\\fi-360{\\pntext\\f1\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}"
        "Caf\\'e9 {\\i schuin} \\u8364? 5\\par\r\n"
        "{\\pict\\wmetafile8 0a0b0c0d}\\pard \\cf2\\ul Rood\\ulnone\\line tweede\\tab regel\\par\r\n"
        "}\r\n");
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Text: what reaches the document, character by character.
    void text_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("expected");

        const QChar ls(QChar::LineSeparator);
        QTest::newRow("paragraphs") << QByteArray("{\\rtf1 Een\\par Twee\\par}") << QStringLiteral("Een\nTwee");
        QTest::newRow("empty paragraph kept")
            << QByteArray("{\\rtf1 Een\\par\\par Drie\\par}") << QStringLiteral("Een\n\nDrie");
        QTest::newRow("text after the last par") << QByteArray("{\\rtf1 Een\\par Twee}") << QStringLiteral("Een\nTwee");
        QTest::newRow("line and tab") << QByteArray("{\\rtf1 a\\line b\\tab c}")
                                      << (QStringLiteral("a") + ls + QStringLiteral("b\tc"));
        QTest::newRow("raw line ends are no text") << QByteArray("{\\rtf1 Een\r\nTwee\n}") << QStringLiteral("EenTwee");
        QTest::newRow("backslash newline is a paragraph")
            << QByteArray("{\\rtf1 Een\\\nTwee}") << QStringLiteral("Een\nTwee");
        QTest::newRow("escaped specials") << QByteArray("{\\rtf1 \\{a\\}\\\\b}") << QStringLiteral("{a}\\b");
        QTest::newRow("no-break space, soft and no-break hyphen")
            << QByteArray("{\\rtf1 a\\~b\\-c\\_d}") << QStringLiteral("a\u00A0b\u00ADc\u2011d");
        QTest::newRow("delimiting space is eaten, the next one is text")
            << QByteArray("{\\rtf1 \\b  x\\b0 y}") << QStringLiteral(" xy");
        QTest::newRow("control word ends at a digit-free non-letter")
            << QByteArray("{\\rtf1 \\b;x}") << QStringLiteral(";x");
        QTest::newRow("named characters") << QByteArray("{\\rtf1 \\lquote a\\rquote \\ldblquote b\\rdblquote "
                                                        "\\endash \\emdash \\bullet}")
                                          << QStringLiteral("\u2018a\u2019\u201Cb\u201D\u2013\u2014\u2022");

        // Code pages.
        QTest::newRow("cp1252 e acute") << QByteArray("{\\rtf1\\ansi\\ansicpg1252 Caf\\'e9}") << QStringLiteral("Café");
        QTest::newRow("cp1252 euro and quotes, upper-case hex")
            << QByteArray("{\\rtf1\\ansi \\'80 \\'93x\\'94 \\'EB}") << QStringLiteral("€ “x” ë");
        QTest::newRow("default code page is 1252") << QByteArray("{\\rtf1 \\'80}") << QStringLiteral("€");
        QTest::newRow("unescaped 8-bit text") << QByteArray("{\\rtf1 Caf\xe9}") << QStringLiteral("Café");
        QTest::newRow("utf-8 code page joins bytes")
            << QByteArray("{\\rtf1\\ansi\\ansicpg65001 \\'c3\\'a9\\'e2\\'82\\'ac}") << QStringLiteral("é€");
        QTest::newRow("symbol font bullet")
            << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;}{\\f1\\fcharset2 Symbol;}}{\\pntext\\f1\\'b7\\tab}Punt\\par}")
            << QStringLiteral("•\tPunt");
        QTest::newRow("same byte in a text font is a middle dot")
            << QByteArray("{\\rtf1{\\fonttbl{\\f0 Arial;}}\\'b7}") << QStringLiteral("·");

        // Unicode and the characters that stand in for it.
        QTest::newRow("u with one stand-in") << QByteArray("{\\rtf1 \\u233?x}") << QStringLiteral("éx");
        QTest::newRow("uc2 skips two") << QByteArray("{\\rtf1\\uc2 \\u8364 EUx}") << QStringLiteral("€x");
        QTest::newRow("uc0 skips nothing") << QByteArray("{\\rtf1\\uc0 \\u233 e}") << QStringLiteral("ée");
        QTest::newRow("stand-in as hex escape") << QByteArray("{\\rtf1 \\u233\\'e9x}") << QStringLiteral("éx");
        QTest::newRow("negative u above 0x7fff") << QByteArray("{\\rtf1 \\u-21504?}") << QStringLiteral("가");
        QTest::newRow("surrogate pair") << QByteArray("{\\rtf1 \\u-10179?\\u-8704?}") << QStringLiteral("😀");
        QTest::newRow("skip ends at the group end") << QByteArray("{\\rtf1 {\\uc3\\u233 a}b}") << QStringLiteral("éb");
        QTest::newRow("uc is restored after a group")
            << QByteArray("{\\rtf1 {\\uc0 x}\\u233?y}") << QStringLiteral("xéy");

        // Destinations that are no part of the text.
        QTest::newRow("font, colour and style tables")
            << QByteArray("{\\rtf1{\\fonttbl{\\f0\\froman Times;}}{\\colortbl;\\red1\\green2\\blue3;}"
                          "{\\stylesheet{\\s0 Normal;}}Tekst}")
            << QStringLiteral("Tekst");
        QTest::newRow("info and starred destinations")
            << QByteArray("{\\rtf1{\\info{\\title T}{\\author A}}{\\*\\generator Writer;}{\\*\\onbekend x}Tekst}")
            << QStringLiteral("Tekst");
        QTest::newRow("header, footer and picture")
            << QByteArray("{\\rtf1{\\header kop}{\\footer voet}{\\pict\\pngblip 89504e47}Tekst}")
            << QStringLiteral("Tekst");
        QTest::newRow("field shows its result")
            << QByteArray("{\\rtf1{\\field{\\*\\fldinst HYPERLINK \"x\"}{\\fldrslt zie hier}}}")
            << QStringLiteral("zie hier");
        QTest::newRow("binary data may hold braces")
            << QByteArray("{\\rtf1{\\*\\blob\\bin4 }{\\x}Tekst}") << QStringLiteral("Tekst");
        QTest::newRow("hidden text") << QByteArray("{\\rtf1 a{\\v verborgen}b\\v c\\v0 d}") << QStringLiteral("abd");
        QTest::newRow("unknown control word is ignored")
            << QByteArray("{\\rtf1 \\onbekend12 a}") << QStringLiteral("a");
        QTest::newRow("table cells and rows")
            << QByteArray("{\\rtf1\\trowd\\cellx100\\cellx200 a\\cell b\\cell\\row c\\par}")
            << QStringLiteral("a\tb\t\nc");
        QTest::newRow("leading blanks and byte-order mark")
            << QByteArray("\xEF\xBB\xBF \r\n{\\rtf1 a}") << QStringLiteral("a");
        QTest::newRow("nothing after the document's closing brace")
            << QByteArray("{\\rtf1 a}b{c}") << QStringLiteral("a");
    }

    void text()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, expected);
        QCOMPARE(parsedText(rtf), expected);
    }

    // Character formatting: word to look at, and what it must carry.
    void charFormat_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<bool>("italic");
        QTest::addColumn<bool>("underline");
        QTest::addColumn<double>("points"); // 0: not set
        QTest::addColumn<QColor>("colour"); // invalid: not set

        const QByteArray boldDoc(
            "{\\rtf1 gewoon \\b vet\\b0  weer {\\b\\i binnen} buiten \\b\\i\\ul alles\\plain niets}");
        QTest::newRow("plain at the start") << boldDoc << "gewoon" << false << false << false << 0.0 << QColor();
        QTest::newRow("b") << boldDoc << "vet" << true << false << false << 0.0 << QColor();
        QTest::newRow("b0") << boldDoc << "weer" << false << false << false << 0.0 << QColor();
        QTest::newRow("group") << boldDoc << "binnen" << true << true << false << 0.0 << QColor();
        QTest::newRow("group end restores") << boldDoc << "buiten" << false << false << false << 0.0 << QColor();
        QTest::newRow("b i ul") << boldDoc << "alles" << true << true << true << 0.0 << QColor();
        QTest::newRow("plain resets") << boldDoc << "niets" << false << false << false << 0.0 << QColor();

        const QByteArray deep("{\\rtf1 {\\b een{\\i twee{\\ul\\b0 drie}vier}vijf}zes}");
        QTest::newRow("nested 3") << deep << "drie" << false << true << true << 0.0 << QColor();
        QTest::newRow("nested back to 2") << deep << "vier" << true << true << false << 0.0 << QColor();
        QTest::newRow("nested back to 1") << deep << "vijf" << true << false << false << 0.0 << QColor();
        QTest::newRow("nested back to 0") << deep << "zes" << false << false << false << 0.0 << QColor();

        const QByteArray sizes("{\\rtf1 \\fs32 groot\\fs19 klein {\\fs48 reus}terug\\ul0 geen\\ulnone x}");
        QTest::newRow("fs32 is 16 points") << sizes << "groot" << false << false << false << 16.0 << QColor();
        QTest::newRow("odd half-points") << sizes << "klein" << false << false << false << 9.5 << QColor();
        QTest::newRow("size in group") << sizes << "reus" << false << false << false << 24.0 << QColor();
        QTest::newRow("size restored") << sizes << "terug" << false << false << false << 9.5 << QColor();
        QTest::newRow("huge size is capped") << QByteArray("{\\rtf1 \\fs99999999999999999999 x}") << "x" << false
                                             << false << false << 1638.0 << QColor();

        const QByteArray colours("{\\rtf1{\\colortbl;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
                                 "\\cf1 rood\\cf2 blauw\\cf0 auto\\cf7 buiten {\\cf1 in}uit}");
        QTest::newRow("cf1") << colours << "rood" << false << false << false << 0.0 << QColor(255, 0, 0);
        QTest::newRow("cf2") << colours << "blauw" << false << false << false << 0.0 << QColor(0, 0, 255);
        QTest::newRow("cf0 is automatic") << colours << "auto" << false << false << false << 0.0 << QColor();
        QTest::newRow("index beyond the table") << colours << "buiten" << false << false << false << 0.0 << QColor();
        QTest::newRow("colour in group") << colours << "in" << false << false << false << 0.0 << QColor(255, 0, 0);
        QTest::newRow("colour after group") << colours << "uit" << false << false << false << 0.0 << QColor();
        QTest::newRow("colour table without auto entry")
            << QByteArray("{\\rtf1{\\colortbl\\red0\\green128\\blue0;}\\cf0 groen}") << "groen" << false << false
            << false << 0.0 << QColor(0, 128, 0);
    }

    void charFormat()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, word);
        QFETCH(bool, bold);
        QFETCH(bool, italic);
        QFETCH(bool, underline);
        QFETCH(double, points);
        QFETCH(QColor, colour);

        QTextDocument doc;
        QVERIFY(ParseRtf(rtf, &doc, nullptr));
        QVERIFY2(!doc.find(word, 0, QTextDocument::FindCaseSensitively).isNull(), qPrintable(rawText(doc)));
        const QTextCharFormat f = formatOf(doc, word);
        QCOMPARE(isBold(f), bold);
        QCOMPARE(f.fontItalic(), italic);
        QCOMPARE(f.fontUnderline(), underline);
        QCOMPARE(f.hasProperty(QTextFormat::FontPointSize) ? f.fontPointSize() : 0.0, points);
        if (colour.isValid())
            QCOMPARE(f.foreground().color(), colour);
        else
            QVERIFY(!f.hasProperty(QTextFormat::ForegroundBrush));
    }

    void paragraphFormat()
    {
        QTextDocument doc;
        QVERIFY(ParseRtf("{\\rtf1\\pard\\qc midden\\par rechts\\qr\\par\\pard links\\par"
                         "\\pard\\qj\\li720\\fi-360\\sb120\\sa240 uitgevuld\\par {\\pard\\qc binnen}buiten\\par}",
                         &doc, nullptr));
        QCOMPARE(blockOf(doc, QStringLiteral("midden")).alignment(), Qt::AlignHCenter);
        // The properties in force at the paragraph's end count.
        QCOMPARE(blockOf(doc, QStringLiteral("rechts")).alignment(), Qt::AlignRight);
        QCOMPARE(blockOf(doc, QStringLiteral("links")).alignment(), Qt::AlignLeft);
        const QTextBlockFormat j = blockOf(doc, QStringLiteral("uitgevuld"));
        QCOMPARE(j.alignment(), Qt::AlignJustify);
        QCOMPARE(j.leftMargin(), 48.0);
        QCOMPARE(j.textIndent(), -24.0);
        QCOMPARE(j.topMargin(), 8.0);
        QCOMPARE(j.bottomMargin(), 16.0);
        // A \pard inside a group is undone when the group closes.
        QCOMPARE(blockOf(doc, QStringLiteral("buiten")).alignment(), Qt::AlignJustify);
    }

    // Broken input: each must come back, with whatever text could be read.
    void malformed_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("expected");

        QTest::newRow("no closing brace") << QByteArray("{\\rtf1 open\\par nog") << QStringLiteral("open\nnog");
        QTest::newRow("cut inside a group") << QByteArray("{\\rtf1 a{\\b b") << QStringLiteral("ab");
        QTest::newRow("cut inside a skipped group") << QByteArray("{\\rtf1 a{\\*\\x b") << QStringLiteral("a");
        QTest::newRow("extra closing braces") << QByteArray("{\\rtf1 a}}}} b") << QStringLiteral("a");
        QTest::newRow("only opening braces") << QByteArray("{\\rtf1 {{{{x") << QStringLiteral("x");
        QTest::newRow("backslash at the end") << QByteArray("{\\rtf1 a\\") << QStringLiteral("a");
        QTest::newRow("hex escape cut") << QByteArray("{\\rtf1 a\\'") << QStringLiteral("a");
        QTest::newRow("hex escape with one digit") << QByteArray("{\\rtf1 a\\'4") << QStringLiteral("a");
        QTest::newRow("hex escape without digits") << QByteArray("{\\rtf1 a\\'zz}") << QStringLiteral("azz");
        QTest::newRow("minus without digits") << QByteArray("{\\rtf1 \\b-x}") << QStringLiteral("-x");
        QTest::newRow("u out of range still skips")
            << QByteArray("{\\rtf1 \\u99999999999 a\\u-99999999 bc}") << QStringLiteral("c");
        QTest::newRow("u without number") << QByteArray("{\\rtf1 \\u a}") << QStringLiteral("a");
        QTest::newRow("huge uc ends at the group")
            << QByteArray("{\\rtf1 {\\uc99999999\\u233 abc}def}") << QStringLiteral("édef");
        QTest::newRow("negative uc") << QByteArray("{\\rtf1\\uc-5 \\u233 x}") << QStringLiteral("éx");
        QTest::newRow("bin longer than the data") << QByteArray("{\\rtf1 a\\bin999999999 bcd}") << QStringLiteral("a");
        QTest::newRow("negative bin") << QByteArray("{\\rtf1 a\\bin-5 b}") << QStringLiteral("ab");
        QTest::newRow("lone surrogate") << QByteArray("{\\rtf1 \\u-10240?x}") << QStringLiteral("\uFFFDx");
        QTest::newRow("internal marker characters")
            << QByteArray("{\\rtf1 a\\u-560?\\u-559?\\u65532?\\u1?b}") << QStringLiteral("ab");
        QTest::newRow("paragraph separator stays in its block")
            << QByteArray("{\\rtf1 a\\u8233?b}") << QStringLiteral("a\u2028b");
        QTest::newRow("negative colour and font numbers")
            << QByteArray("{\\rtf1{\\colortbl;\\red-5\\green999\\blue0;}\\cf-3\\f-9\\highlight-1 x\\cf1 y}")
            << QStringLiteral("xy");
        QTest::newRow("absurd indents") << QByteArray("{\\rtf1\\li2147483647\\fi-2147483648\\sb-5\\tx-1 x\\par}")
                                        << QStringLiteral("x");

        const QByteArray longWord = QByteArray("{\\rtf1 \\") + QByteArray(100000, 'b') + QByteArray(" x}");
        QTest::newRow("control word of 100000 letters") << longWord << QStringLiteral("x");
        const QByteArray longNumber = QByteArray("{\\rtf1 \\fs") + QByteArray(100000, '9') + QByteArray(" x}");
        QTest::newRow("parameter of 100000 digits") << longNumber << QStringLiteral("x");

        const int n = 100000;
        QTest::newRow("nesting far beyond the cap is skipped")
            << (QByteArray("{\\rtf1 ") + QByteArray(n, '{') + "diep" + QByteArray(n, '}') + "na}")
            << QStringLiteral("na");
        QTest::newRow("formatting beyond the cap does not leak out")
            << (QByteArray("{\\rtf1 ") + QByteArray(300, '{') + "\\*\\v x" + QByteArray(300, '}') + "na}")
            << QStringLiteral("na");
        QTest::newRow("ordinary nesting is read")
            << (QByteArray("{\\rtf1 ") + QByteArray(100, '{') + "diep" + QByteArray(100, '}') + "na}")
            << QStringLiteral("diepna");
    }

    void malformed()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, expected);
        QTextDocument doc;
        QString error = QStringLiteral("oud");
        QVERIFY(ParseRtf(rtf, &doc, &error));
        QVERIFY(error.isEmpty());
        QCOMPARE(rawText(doc), expected);
    }

    void nestingCapKeepsFormatting()
    {
        // Bold switched on inside groups beyond the cap must not make the rest bold.
        QTextDocument doc;
        QVERIFY(ParseRtf(QByteArray("{\\rtf1 ") + QByteArray(400, '{') + "\\b x" + QByteArray(400, '}') + "na}", &doc,
                         nullptr));
        QCOMPARE(rawText(doc), QStringLiteral("na"));
        QVERIFY(!isBold(formatOf(doc, QStringLiteral("na"))));
    }

    void notRtf_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("plain text") << QByteArray("Dit is gewone tekst.");
        QTest::newRow("braces but no rtf") << QByteArray("{\\html1 x}");
        QTest::newRow("cut header") << QByteArray("{\\rt");
    }

    void notRtf()
    {
        QFETCH(QByteArray, data);
        QTextDocument doc;
        doc.setPlainText(QStringLiteral("oud"));
        QString error;
        QVERIFY(!ParseRtf(data, &doc, &error));
        QCOMPARE(error, QStringLiteral("De tekst is geen RTF-document."));
        QCOMPARE(doc.toPlainText(), QStringLiteral("oud"));
    }

    void nullDocument()
    {
        QString error;
        QVERIFY(!ParseRtf(sampleRtf(), nullptr, &error));
        QVERIFY(!error.isEmpty());
    }

    void parseReplacesContent()
    {
        QTextDocument doc;
        doc.setPlainText(QStringLiteral("oude tekst\nover twee regels"));
        QVERIFY(ParseRtf("{\\rtf1 nieuw}", &doc, nullptr));
        QCOMPARE(rawText(doc), QStringLiteral("nieuw"));
        QVERIFY(!doc.isUndoAvailable());
    }

    void sampleAsWordPadWritesIt()
    {
        QTextDocument doc;
        QVERIFY(ParseRtf(sampleRtf(), &doc, nullptr));
        const QChar ls(QChar::LineSeparator);
        QCOMPARE(rawText(doc), QStringLiteral("Kop\n•\tCafé schuin € 5\nRood") + ls + QStringLiteral("tweede\tregel"));
        const QTextCharFormat kop = formatOf(doc, QStringLiteral("Kop"));
        QVERIFY(isBold(kop));
        QCOMPARE(kop.fontPointSize(), 16.0);
        QCOMPARE(kop.foreground().color(), QColor(31, 78, 121));
        QCOMPARE(kop.fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
        QCOMPARE(blockOf(doc, QStringLiteral("Kop")).alignment(), Qt::AlignHCenter);
        QVERIFY(formatOf(doc, QStringLiteral("schuin")).fontItalic());
        QVERIFY(!isBold(formatOf(doc, QStringLiteral("Caf"))));
        QCOMPARE(formatOf(doc, QStringLiteral("Rood")).foreground().color(), QColor(192, 0, 0));
        QVERIFY(formatOf(doc, QStringLiteral("Rood")).fontUnderline());
        QVERIFY(!formatOf(doc, QStringLiteral("tweede")).fontUnderline());
        // A list item hangs its bullet; the text after the tab lines up with the wrapped lines.
        const QTextBlockFormat item = blockOf(doc, QStringLiteral("Caf"));
        QCOMPARE(item.leftMargin(), 48.0);
        QCOMPARE(item.textIndent(), -24.0);
        doc.setTextWidth(800);
        doc.documentLayout();
        const QTextBlock block = doc.find(QStringLiteral("Caf")).block();
        const QTextLine line = block.layout()->lineAt(0);
        QCOMPARE(line.cursorToX(0), 24.0);
        QCOMPARE(line.cursorToX(2), 48.0);
    }

    // Mutations of a sample: every one must come back, and leave nothing a document cannot hold.
    void fuzz_data()
    {
        QTest::addColumn<QByteArray>("sample");
        QTest::addColumn<int>("rounds");
        QFile help(HelpFile);
        QVERIFY(help.open(QIODevice::ReadOnly));
        QTest::newRow("small sample") << sampleRtf() << 3000;
        QTest::newRow("help file") << help.readAll() << 150;
    }

    void fuzz()
    {
        QFETCH(QByteArray, sample);
        QFETCH(int, rounds);
        const QByteArray specials("{}\\'*;0123456789-ub ");
        QRandomGenerator rng(20240505);
        for (int round = 0; round < rounds; ++round) {
            QByteArray data = sample;
            const int edits = 1 + int(rng.bounded(8));
            for (int e = 0; e < edits && !data.isEmpty(); ++e) {
                const auto at = qsizetype(rng.bounded(quint32(data.size())));
                switch (rng.bounded(5)) {
                case 0:
                    data[at] = char(rng.bounded(256));
                    break;
                case 1:
                    data.insert(at, specials.at(rng.bounded(quint32(specials.size()))));
                    break;
                case 2:
                    data.remove(at, 1 + rng.bounded(16));
                    break;
                case 3:
                    data.truncate(at);
                    break;
                default:
                    data.insert(at, data.mid(rng.bounded(quint32(data.size())), 1 + rng.bounded(64)));
                    break;
                }
            }
            QTextDocument doc;
            const bool isRtf = data.trimmed().startsWith("{\\rtf");
            QCOMPARE(ParseRtf(data, &doc, nullptr), isRtf);
            if (isRtf)
                QVERIFY2(!hasForbiddenCharacter(doc.toRawText()), data.left(200).constData());
        }
    }

    // The file that ships with the program.
    void helpFileLoads()
    {
        QTextDocument doc;
        QString error;
        QVERIFY2(LoadRtfInto(&doc, HelpFile, &error), qPrintable(error));
        QVERIFY(error.isEmpty());
        const QString text = doc.toPlainText();

        // Nothing of the markup may show.
        QVERIFY2(!text.contains(QLatin1Char('\\')), qPrintable(text));
        QVERIFY(!text.contains(QLatin1Char('{')));
        QVERIFY(!text.contains(QLatin1Char('}')));
        QVERIFY(!hasForbiddenCharacter(doc.toRawText()));
        QVERIFY(!text.contains(QChar(QChar::ReplacementCharacter)));

        // The accented letters come through the code page.
        QVERIFY(text.contains(QStringLiteral("financiële")));
        QVERIFY(text.contains(QStringLiteral("€")));

        // The messages are quoted as the program shows them.
        const QStringList messages = {
            QStringLiteral(" .Het teken - "),
            QStringLiteral(" - is niet toegestaan"),
            QStringLiteral(" is niet correct"),
            QStringLiteral("Het controlegetal klopt niet."),
            QStringLiteral("WAARSCHUWING: Deze code is geen ZZZ-code en kan niet doordit programma worden getest. "
                           "Verwerking van deze gegevens is wel mogelijk."),
            QStringLiteral("FOUT: Ook de ZZZ-code dient met NL te beginnen"),
            QStringLiteral("FOUT in de Layout invoer!"),
            QStringLiteral("Of (a) default waarde RCUR voor de sequentie code in input"),
            QStringLiteral("of (b) Excel kolom voor sequentiecode aangeven in Layout"),
            QStringLiteral("Ongeldige sequentiecode (FRST, RCUR, FNAL of OOFF) : "),
            QStringLiteral("onleesbare inhoud in kolom "),
            QStringLiteral("Verwerking afgebroken"),
            QStringLiteral("== Geen enkele incasso!! Controleer het Excel werkboek/werkblad!!"),
            QStringLiteral("  is niet gevonden"),
            QStringLiteral("IBAN rekening nummer is onjuist : "),
            QStringLiteral("Geef als input een valide datum in het format dd-mm-yyyy"),
            QStringLiteral("'abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/-?:().,+ "),
            QStringLiteral("Incasso_dd_"),
            QStringLiteral(" ligt niet na vandaag."),
            QStringLiteral("Kies een latere datum: de bank moet het bestand uiterlijk een werkdag voor de incassodatum "
                           "ontvangen."),
            QStringLiteral(" voeren de banken geen incasso's uit (weekend of feestdag)."),
            QStringLiteral("De eerstvolgende werkdag is "),
            QStringLiteral(" is geen geldige BIC code."),
            QStringLiteral("Een BIC heeft 8 of 11 tekens, bijvoorbeeld RABONL2U."),
            QStringLiteral(" : Mandaat code ontbreekt"),
            QStringLiteral(" : BIC code is onjuist : "),
            QStringLiteral(" ligt na de incassodatum"),
            QStringLiteral(" : Bedrag is te hoog : "),
            QStringLiteral(" : geen postcode en plaats gevonden in het adres; het adres wordt niet meegestuurd"),
            QStringLiteral("--incassodatum +5"),
            QStringLiteral("Kwintor2.ini"),
            QStringLiteral("kwintor2-batch"),
        };
        for (const QString &m : messages)
            QVERIFY2(text.contains(m), qPrintable(m));

        // The headings are there, bold and larger than the body text.
        const QTextCharFormat body = formatOf(doc, QStringLiteral("Kwintor2 maakt"));
        QVERIFY(!isBold(body));
        const QStringList headings = {
            QStringLiteral("Wat doet Kwintor2?"), QStringLiteral("De Excel tabel"),
            QStringLiteral("Het invoerscherm"),   QStringLiteral("Het layoutscherm"),
            QStringLiteral("De sequentiecodes"),  QStringLiteral("Volgnummers"),
            QStringLiteral("Verwerken"),          QStringLiteral("Wat Kwintor2 voor de bank controleert"),
            QStringLiteral("Naar de bank"),       QStringLiteral("Meldingen en wat u eraan doet"),
        };
        for (const QString &h : headings) {
            QTextBlock block = doc.begin();
            while (block.isValid() && block.text() != h)
                block = block.next();
            QVERIFY2(block.isValid(), qPrintable(h));
            QTextCursor c(block);
            c.movePosition(QTextCursor::EndOfBlock);
            const QTextCharFormat f = c.charFormat();
            QVERIFY2(isBold(f), qPrintable(h));
            QVERIFY2(f.fontPointSize() > body.fontPointSize(), qPrintable(h));
        }
    }

    void loadFailures()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString missing = dir.filePath(QStringLiteral("Kwintor2 incasso.rtf"));
        QFile plain(dir.filePath(QStringLiteral("tekst.rtf")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.write("Geen RTF maar gewone tekst.");
        plain.close();

        struct Case
        {
            QString path;
            QString message;
        };
        const QString native = QDir::toNativeSeparators(dir.path()) + QDir::separator();
        const QList<Case> cases = {
            {missing, QStringLiteral("Het helpbestand ") + native +
                          QStringLiteral("Kwintor2 incasso.rtf kan niet worden geopend.")},
            {dir.path(), QStringLiteral("Het helpbestand ") + QDir::toNativeSeparators(dir.path()) +
                             QStringLiteral(" kan niet worden geopend.")},
            {plain.fileName(),
             QStringLiteral("Het helpbestand ") + native + QStringLiteral("tekst.rtf is geen RTF-document.")},
        };
        for (const Case &c : cases) {
            QTextDocument doc;
            doc.setPlainText(QStringLiteral("oud"));
            QString error;
            QVERIFY2(!LoadRtfInto(&doc, c.path, &error), qPrintable(c.path));
            QCOMPARE(error, c.message);
            QCOMPARE(doc.toPlainText(), QStringLiteral("oud"));
        }
    }

    void relativePathIsNamedInFull()
    {
        // The help window asks for the bare file name; the message says where it was looked for.
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString before = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        QTextDocument doc;
        QString error;
        const bool loaded = LoadRtfInto(&doc, QStringLiteral("Kwintor2 incasso.rtf"), &error);
        QDir::setCurrent(before);
        QVERIFY(!loaded);
        QCOMPARE(error, QStringLiteral("Het helpbestand ") +
                            QDir::toNativeSeparators(
                                QDir(dir.path()).absoluteFilePath(QStringLiteral("Kwintor2 incasso.rtf"))) +
                            QStringLiteral(" kan niet worden geopend."));
    }

    // The visual style.
    // Qt reports a sheet it cannot parse only as a warning, when it styles a widget.
    static QStringList parseWarnings(const QString &sheet)
    {
        static QStringList warnings;
        warnings.clear();
        const QtMessageHandler previous =
            qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &msg) {
                if (msg.contains(QLatin1String("parse"), Qt::CaseInsensitive))
                    warnings << msg;
            });
        qApp->setStyleSheet(sheet);
        QDialog dialog;
        auto *layout = new QVBoxLayout(&dialog);
        layout->addWidget(new QLabel(QStringLiteral("Naam van de incassant")));
        layout->addWidget(new QLineEdit(QStringLiteral("<naam van de incassant>")));
        layout->addWidget(new QPushButton(QStringLiteral("Check")));
        dialog.show();
        if (QTest::qWaitForWindowExposed(&dialog))
            dialog.grab();
        qInstallMessageHandler(previous);
        qApp->setStyleSheet(QString());
        return warnings;
    }

    void styleSheetParses()
    {
        QString sheet;
        QVERIFY(LoadStyleSheet(&sheet));
        QVERIFY(!sheet.trimmed().isEmpty());
        const QStringList warnings = parseWarnings(sheet);
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));
        // The check itself notices a broken sheet.
        QVERIFY(!parseWarnings(sheet + QStringLiteral("\nQPushButton { color: ")).isEmpty());
    }

    void styleSheetKeepsWindowBackgrounds()
    {
        QString sheet;
        QVERIFY(LoadStyleSheet(&sheet));
        qApp->setStyleSheet(sheet);

        // One window coloured through its palette, one through a rule of its own, as the screens do.
        const QColor dialogColour(48, 62, 69);
        const QColor windowColour(39, 88, 94);
        QDialog byPalette;
        QPalette pal = byPalette.palette();
        pal.setColor(QPalette::Window, dialogColour);
        byPalette.setPalette(pal);
        byPalette.setAutoFillBackground(true);
        QDialog byName;
        byName.setObjectName(QStringLiteral("InputForm"));
        byName.setStyleSheet(QStringLiteral("#InputForm { background-color: rgb(39, 88, 94); }"));
        QLabel *label = nullptr;
        QPushButton *button = nullptr;
        QCheckBox *check = nullptr;
        for (QDialog *d : {&byPalette, &byName}) {
            auto *layout = new QVBoxLayout(d);
            label = new QLabel(QStringLiteral("Incassodatum"));
            button = new QPushButton(QStringLiteral("Sluit"));
            check = new QCheckBox(QStringLiteral("Heeft de tabel koppen "));
            layout->addWidget(label);
            layout->addWidget(check);
            layout->addWidget(button);
            layout->addStretch();
            d->resize(200, 160);
            d->show();
            QVERIFY(QTest::qWaitForWindowExposed(d));
        }
        QApplication::setActiveWindow(&byName);
        QVERIFY(QTest::qWaitForWindowActive(&byName));
        button->setFocus();
        const QImage a = byPalette.grab().toImage();
        const QImage b = byName.grab().toImage();
        QCOMPARE(a.pixelColor(a.width() - 3, a.height() - 3), dialogColour);
        QCOMPARE(b.pixelColor(b.width() - 3, b.height() - 3), windowColour);
        // Without the focus a check box draws its indicator and text only, no frame over the
        // window; with it, a light frame round it shows where the keyboard is.
        const QRect box = check->geometry();
        QCOMPARE(b.pixelColor(box.right(), box.center().y()), windowColour);
        QCOMPARE(b.pixelColor(box.center().x(), box.top()), windowColour);
        check->setFocus();
        const QImage focused = byName.grab().toImage();
        QCOMPARE(focused.pixelColor(box.right(), box.center().y()), QColor(0xb0, 0xc4, 0xde));
        // White text on those backgrounds.
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::white));
        QCOMPARE(button->palette().color(QPalette::ButtonText), QColor(Qt::white));
        qApp->setStyleSheet(QString());
    }
};

QTEST_MAIN(TestHelp)
#include "TestHelp.moc"
