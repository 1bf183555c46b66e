#include "workbook/ReadLimits.h"

QString TooLongTextFault()
{
    return QStringLiteral("bevat een tekst van meer dan 32.767 tekens");
}

QString CellName(std::uint32_t row, std::uint32_t column)
{
    QString letters;
    for (std::uint32_t c = column; c > 0; c = (c - 1) / 26)
        letters.prepend(QLatin1Char(char('A' + (c - 1) % 26)));
    return letters + QString::number(row);
}

QString ShownValue(const QString &value)
{
    constexpr qsizetype Shown = 200;
    if (value.size() <= Shown)
        return value;
    return value.left(Shown) + QStringLiteral("\u2026 (%1 tekens)").arg(value.size());
}
