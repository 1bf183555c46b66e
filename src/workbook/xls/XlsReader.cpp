#include "workbook/xls/XlsReader.h"

#include "model/Error.h"

XlsBook ReadXlsFile(const QString &path)
{
    throw KwError(QStringLiteral("Het bestand %1 kan niet worden gelezen: .xls wordt nog niet ondersteund.").arg(path));
}
