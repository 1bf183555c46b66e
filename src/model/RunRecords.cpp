#include "model/RunRecords.h"

const QStringList &SeqCodes()
{
    static const QStringList codes{QStringLiteral("FRST"), QStringLiteral("RCUR"), QStringLiteral("FNAL"),
                                   QStringLiteral("OOFF")};
    return codes;
}

void ProcessingLog::append(const QString &line)
{
    m_lines.append(line);
    if (m_listener)
        m_listener();
}

void ProcessingLog::clear()
{
    m_lines.clear();
    if (m_listener)
        m_listener();
}

QString LogFileStamp(const QDateTime &when)
{
    const QDate d = when.date();
    const QTime t = when.time();
    return QStringLiteral("%1-%2-%3  %4h%5").arg(d.day()).arg(d.month()).arg(d.year()).arg(t.hour()).arg(t.minute());
}
