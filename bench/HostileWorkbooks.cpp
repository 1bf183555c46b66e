// Writes the hostile workbooks that the readers' memory caps are measured on:
//   kwintor2-hostile-workbooks DIR
//   /usr/bin/time -v kwintor2-batch --werkboek DIR/inline-1000mb.xlsx --werkblad Blad1 --toon >/dev/null
//   /usr/bin/time -v kwintor2-batch --instellingen DIR/Kwintor2.ini --werkboek DIR/... --werkblad Blad1 >/dev/null
// Each part is deflated once per repeated piece, so gigabytes are written in seconds.
#include "util/BigZip.h"
#include "util/WorkbookFiles.h"
#include "util/XlsBuilders.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr qint64 MiB = 1024 * 1024;

QString g_dir;

// The package of one sheet "Blad1" whose parts of the same names are replaced by big.
bool writeParts(const QString &name, const QList<BigZipPart> &big)
{
    QList<BigZipPart> parts;
    for (const ZipPart &p :
         PackageParts({{QStringLiteral("Blad1"), "<row r=\"1\"><c><v>1</v></c></row>", {}}}, "<si/>")) {
        if (std::none_of(big.begin(), big.end(), [&](const BigZipPart &b) { return b.name == p.name; }))
            parts.append(SmallPart(p.name, p.data));
    }
    parts += big;
    const QString path = QDir(g_dir).filePath(name);
    if (!WriteBigZip(path, parts))
        return false;
    std::printf("%-28s %9lld bytes\n", qPrintable(name), QFileInfo(path).size());
    return true;
}

bool writePackage(const QString &name, const QByteArray &sharedItems, BigZipPart big)
{
    if (sharedItems.isEmpty() || big.name == "xl/sharedStrings.xml")
        return writeParts(name, {big});
    return writeParts(name, {SmallPart("xl/sharedStrings.xml", "<sst>" + sharedItems + "</sst>"), big});
}

const QByteArray SheetHead =
    "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>";
const QByteArray SheetTail = "</sheetData></worksheet>";

BigZipPart sheet(const QList<ZipPiece> &pieces, qint64 claimed = -1)
{
    BigZipPart part{"xl/worksheets/sheet1.xml", {{SheetHead, 1}}, claimed};
    part.pieces += pieces;
    part.pieces.append({SheetTail, 1});
    return part;
}

// Number cells, a pseudo-random digit every few: about 300 times smaller packed.
QByteArray numberCells(qsizetype bytes)
{
    QByteArray out;
    quint32 state = 7;
    int n = 0;
    while (out.size() < bytes) {
        state = state * 1103515245u + 12345u;
        if (++n % 100 == 0)
            out += "<c><v>" + QByteArray::number((state >> 16) % 10) + "</v></c>";
        else
            out += "<c><v>1</v></c>";
        if (n % 1000 == 0)
            out += "</row><row>";
    }
    return out;
}

QByteArray emptyCells(qsizetype bytes)
{
    QByteArray out;
    for (int r = 1; out.size() < bytes; ++r)
        out += "<c r=\"A" + QByteArray::number(r % 1000 + 2) + "\" s=\"1\"/>";
    return out;
}

bool writeXls(const QString &name, int cells)
{
    using namespace Biff;
    // One shared string of 32,767 characters that every cell refers to.
    const QByteArray text(32767, 'x');
    QByteArray sst = u32(quint32(cells)) + u32(1) + u16(32767) + QByteArray(1, '\0');
    QByteArray records = record(0x00FC, sst + text.left(8213));
    for (qsizetype at = 8213; at < text.size(); at += 8223)
        records += record(0x003C, QByteArray(1, '\0') + text.mid(at, 8223));
    QByteArray sheetRecords;
    for (int i = 0; i < cells; ++i)
        sheetRecords += record(0x00FD, cell(quint16(i / 256), quint16(i % 256)) + u32(0));
    const QByteArray stream = workbook(records, {{QStringLiteral("Blad1"), sheetRecords}});
    QFile file(QDir(g_dir).filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(BuildCompoundFile({{QStringLiteral("Workbook"), stream}})) < 0)
        return false;
    std::printf("%-28s %9lld bytes\n", qPrintable(name), file.size());
    return true;
}

// Rows of 256 numbers, six bytes a cell.
bool writeXlsNumbers(const QString &name, int rows)
{
    using namespace Biff;
    QByteArray sheetRecords;
    for (int r = 0; r < rows; ++r) {
        QByteArray body = u16(quint16(r)) + u16(0);
        for (int c = 0; c < 256; ++c)
            body += u16(15) + u32(2 | (quint32(r * 256 + c) << 2));
        sheetRecords += record(0x00BD, body + u16(255));
    }
    const QByteArray stream = workbook({}, {{QStringLiteral("Blad1"), sheetRecords}});
    QFile file(QDir(g_dir).filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(BuildCompoundFile({{QStringLiteral("Workbook"), stream}})) < 0)
        return false;
    std::printf("%-28s %9lld bytes\n", qPrintable(name), file.size());
    return true;
}

const char Settings[] = R"([Input]
Naam incassant=Sportclub De Wikkel
ZZZ-code=NL69ZZZ123456780000
IBAN=NL13TEST0123456789
BIC=TESTNL2A
Map Excel input=.
Excel input bestand=leeg.xlsx
Excel tabel heeft een kopregel=1
Doelmap SEPA bestanden=%1
Incassolabel=Contributie
Incassodatum=15-12-2099
Omschrijving=Contributie
Default_sequence_code=

[Counters]
Laatste batchnummer=0
Laatste incassonummer=0

[Layout]
Gebruik van het filter=0
Filtercriterium=
Filter kolom no =0
Layout 1=1
Layout 2=2
Layout 3=3
Layout 4=4
Layout 5=5
Layout 6=6
Layout 7=7
Layout 8=8
Layout 9=9
Layout 10=10
)";

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "gebruik: kwintor2-hostile-workbooks MAP\n");
        return 2;
    }
    g_dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(g_dir);
    QFile ini(QDir(g_dir).filePath(QStringLiteral("Kwintor2.ini")));
    if (!ini.open(QIODevice::WriteOnly) || ini.write(QString::fromUtf8(Settings).arg(g_dir).toUtf8()) < 0)
        return 1;

    const QByteArray piece = LetterText(MiB, 1024);
    const QByteArray inlineHead = "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>";
    const QByteArray inlineTail = "</t></is></c></row>";
    const QByteArray sharedCell = "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>0</v></c></row>";
    const auto sharedString = [&](qint64 mb) {
        return BigZipPart{"xl/sharedStrings.xml",
                          {{"<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><t>", 1},
                           {piece, mb},
                           {"</t></si></sst>", 1}},
                          -1};
    };
    const QByteArray numbers = numberCells(MiB);
    bool ok = writePackage(QStringLiteral("inline-1000mb.xlsx"), {},
                           sheet({{inlineHead, 1}, {piece, 1000}, {inlineTail, 1}}));
    ok = ok &&
         writePackage(QStringLiteral("inline-200mb.xlsx"), {}, sheet({{inlineHead, 1}, {piece, 200}, {inlineTail, 1}}));
    ok = ok && writePackage(QStringLiteral("shared-200mb.xlsx"), "<si/>", sharedString(200));
    ok = ok && writePackage(QStringLiteral("shared-300mb.xlsx"), "<si/>", sharedString(300));
    // The headers say 1 MB; inflated it is 1 GB of number cells.
    ok = ok && writePackage(QStringLiteral("lying-size.xlsx"), {},
                            sheet({{"<row>", 1}, {numbers, 1000}, {"</row>", 1}}, MiB));
    // Honest headers, 380 MB of number cells.
    ok =
        ok && writePackage(QStringLiteral("many-cells.xlsx"), {}, sheet({{"<row>", 1}, {numbers, 380}, {"</row>", 1}}));
    // Honest headers from here on: 1000 MB of formatted empty cells keep nothing.
    ok = ok && writePackage(QStringLiteral("empty-cells.xlsx"), {},
                            sheet({{"<row r=\"2\">", 1}, {emptyCells(MiB), 1000}, {"</row>", 1}}));
    QByteArray nested;
    for (qsizetype i = 0; nested.size() < MiB; ++i)
        nested += "<" + piece.mid(i % piece.size(), 1) + ">";
    ok = ok && writePackage(QStringLiteral("deep.xlsx"), {}, sheet({{nested, 100}}));
    ok = ok && writePackage(QStringLiteral("attribute.xlsx"), {},
                            sheet({{"<row r=\"2\" x=\"", 1}, {piece, 500}, {"\"/>", 1}}));
    // A '>' in every kilobyte of it, which a count of the bytes since the last '>' misses.
    QByteArray commentPiece;
    for (qsizetype i = 0; i < MiB; i += 1024)
        commentPiece += piece.mid(i, 1023) + '>';
    ok = ok && writePackage(QStringLiteral("comment.xlsx"), {},
                            sheet({{"<row r=\"2\"/><!--", 1}, {commentPiece, 600}, {"-->", 1}}));
    BigZipPart sheets{"xl/workbook.xml",
                      {{"<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheets>", 1},
                       {QByteArray(MiB / 8, 'x').replace("x", "<sheet/>"), 60},
                       {"</sheets></workbook>", 1}},
                      MiB};
    ok = ok && writePackage(QStringLiteral("sheets.xlsx"), {}, sheets);
    // Just below both caps at once: 80 MB of shared strings, 5.1 million number cells.
    QByteArray tenRows;
    for (int r = 0; r < 10; ++r)
        tenRows += "<row>" + numberCells(15000).replace("</row><row>", "") + "</row>";
    const BigZipPart longShared{"xl/sharedStrings.xml",
                                {{"<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">", 1},
                                 {"<si><t>" + LetterText(32000, 1024) + "</t></si>", 1250},
                                 {"</sst>", 1}},
                                -1};
    QList<ZipPiece> capsSheet{{"<row><c t=\"s\"><v>1249</v></c></row>", 1}};
    capsSheet.append({tenRows, qint64(5100000 / (10 * 1000))});
    ok = ok && writeParts(QStringLiteral("at-the-caps.xlsx"), {longShared, sheet(capsSheet)});
    // The same four behind headers that say 1 MB.
    ok = ok && writePackage(QStringLiteral("lying-empty-cells.xlsx"), {},
                            sheet({{"<row r=\"2\">", 1}, {emptyCells(MiB), 1000}, {"</row>", 1}}, MiB));
    ok = ok && writePackage(QStringLiteral("lying-deep.xlsx"), {}, sheet({{nested, 100}}, MiB));
    ok = ok && writePackage(QStringLiteral("lying-attribute.xlsx"), {},
                            sheet({{"<row r=\"2\" x=\"", 1}, {piece, 500}, {"\"/>", 1}}, MiB));
    ok = ok && writeXlsNumbers(QStringLiteral("many-numbers.xls"), 8192);
    ok = ok && writeXls(QStringLiteral("shared-text.xls"), 10000);
    ok = ok && writeXls(QStringLiteral("shared-text-big.xls"), 65536 * 4);
    return ok ? 0 : 1;
}
