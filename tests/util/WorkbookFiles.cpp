#include "util/WorkbookFiles.h"

#include <QFile>

#include <zip.h>

bool WriteZip(const QString &path, const QList<ZipPart> &parts)
{
    QFile::remove(path);
    int error = 0;
    zip_t *zip = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!zip)
        return false;
    for (const ZipPart &part : parts) {
        // libzip reads the buffers when closing; they live in parts until then.
        zip_source_t *source = zip_source_buffer(zip, part.data.constData(), zip_uint64_t(part.data.size()), 0);
        if (!source || zip_file_add(zip, part.name.constData(), source, ZIP_FL_OVERWRITE) < 0) {
            zip_source_free(source);
            zip_discard(zip);
            return false;
        }
    }
    return zip_close(zip) == 0;
}

QList<ZipPart> PackageParts(const QList<PackageSheet> &sheets, const QByteArray &sharedItems,
                            const QByteArray &workbookPr)
{
    const QByteArray main = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";
    const QByteArray rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    QByteArray sheetList;
    QByteArray rels;
    QList<ZipPart> parts;
    for (int i = 0; i < sheets.size(); ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        const PackageSheet &s = sheets[i];
        sheetList += "<sheet name=\"" + s.name.toUtf8() + "\" sheetId=\"" + n + "\"" +
                     (s.state.isEmpty() ? QByteArray() : " state=\"" + s.state + "\"") + " r:id=\"rId" + n + "\"/>";
        rels += "<Relationship Id=\"rId" + n + "\" Type=\"" + rel + "/worksheet\" Target=\"worksheets/sheet" + n +
                ".xml\"/>";
        parts.append(ZipPart{"xl/worksheets/sheet" + n + ".xml", "<worksheet xmlns=\"" + main + "\"><sheetData>" +
                                                                     s.sheetData + "</sheetData></worksheet>"});
    }
    rels += "<Relationship Id=\"rIdS\" Type=\"" + rel + "/styles\" Target=\"styles.xml\"/>";
    if (!sharedItems.isNull()) {
        rels += "<Relationship Id=\"rIdT\" Type=\"" + rel + "/sharedStrings\" Target=\"sharedStrings.xml\"/>";
        parts.append(ZipPart{"xl/sharedStrings.xml", "<sst xmlns=\"" + main + "\">" + sharedItems + "</sst>"});
    }
    parts.append(ZipPart{"[Content_Types].xml",
                         "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"/>"});
    parts.append(ZipPart{"_rels/.rels", "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                                        "relationships\"><Relationship Id=\"rId1\" Type=\"" +
                                            rel + "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"});
    parts.append(ZipPart{"xl/workbook.xml", "<workbook xmlns=\"" + main + "\" xmlns:r=\"" + rel + "\">" + workbookPr +
                                                "<sheets>" + sheetList + "</sheets></workbook>"});
    parts.append(ZipPart{"xl/_rels/workbook.xml.rels",
                         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">" +
                             rels + "</Relationships>"});
    parts.append(
        ZipPart{"xl/styles.xml", "<styleSheet xmlns=\"" + main +
                                     "\"><numFmts count=\"1\"><numFmt numFmtId=\"164\" formatCode=\"dd-mm-yyyy\"/>"
                                     "</numFmts><cellStyleXfs><xf numFmtId=\"14\"/></cellStyleXfs><cellXfs>"
                                     "<xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"164\"/>"
                                     "<xf numFmtId=\"20\"/></cellXfs></styleSheet>"});
    return parts;
}

void SetPart(QList<ZipPart> &parts, const QByteArray &name, const QByteArray &data)
{
    parts.removeIf([&](const ZipPart &p) { return p.name == name; });
    if (!data.isEmpty())
        parts.append(ZipPart{name, data});
}
