#include "util/XlsxMaker.h"

#include <QDate>
#include <QFile>

#include <xlsxwriter.h>

bool WriteXlsx(const QString &path, const QList<XlsxSheet> &sheets)
{
    lxw_workbook *book = workbook_new(QFile::encodeName(path).constData());
    if (!book)
        return false;
    lxw_format *dateFormat = workbook_add_format(book);
    format_set_num_format(dateFormat, "dd-mm-yyyy");
    for (const XlsxSheet &sheet : sheets) {
        lxw_worksheet *ws = workbook_add_worksheet(book, sheet.name.toUtf8().constData());
        for (int r = 0; r < sheet.rows.size(); ++r) {
            const QVariantList &row = sheet.rows.at(r);
            for (int c = 0; c < row.size(); ++c) {
                const QVariant &v = row.at(c);
                switch (v.typeId()) {
                case QMetaType::QString:
                    worksheet_write_string(ws, r, c, v.toString().toUtf8().constData(), nullptr);
                    break;
                case QMetaType::Int:
                case QMetaType::Double:
                    worksheet_write_number(ws, r, c, v.toDouble(), nullptr);
                    break;
                case QMetaType::QDate: {
                    const QDate d = v.toDate();
                    lxw_datetime dt{d.year(), d.month(), d.day(), 0, 0, 0};
                    worksheet_write_datetime(ws, r, c, &dt, dateFormat);
                    break;
                }
                case QMetaType::Bool:
                    worksheet_write_boolean(ws, r, c, v.toBool(), nullptr);
                    break;
                default:
                    break;
                }
            }
        }
    }
    return workbook_close(book) == LXW_NO_ERROR;
}
