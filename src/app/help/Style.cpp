#include "app/help/Style.h"

#include <QFile>

// A resource in a static library is only linked in when something refers to it; the macro does,
// and it must stand outside any namespace.
static void initStyleResource()
{
    Q_INIT_RESOURCE(style);
}

bool LoadStyleSheet(QString *sheet)
{
    initStyleResource();
    QFile file(QStringLiteral(":/style/slategray.qss"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    const QString text = QString::fromUtf8(file.readAll());
    if (text.trimmed().isEmpty())
        return false;
    if (sheet)
        *sheet = text;
    return true;
}
