#pragma once

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>

// The result of one sequence code in a run. Money is kept in cents so that a
// file's CtrlSum always equals the sum of its amounts; TotalAmount is derived.
struct TIncassobatch
{
    QString SeqCode;
    int SeqCodeNo = 0;
    int NoTransactions = 0;
    qint64 TotalCents = 0;
    QString SEPAFileName;

    double TotalAmount() const { return static_cast<double>(TotalCents) / 100.0; }
};

// Records 0 to 3 belong to the codes of SeqCodes in order; record 4 is the totals row.
using TIncassobatches = std::array<TIncassobatch, 5>;

// "FRST", "RCUR", "FNAL", "OOFF", in this order.
const QStringList &SeqCodes();

// The processing log: ordered lines, a carriage return inside a line stays in
// that line. A listener lets a view follow every change.
class ProcessingLog
{
public:
    using Listener = std::function<void()>;

    void append(const QString &line);
    void clear();
    const QStringList &lines() const { return m_lines; }
    void setListener(Listener listener) { m_listener = std::move(listener); }

private:
    QStringList m_lines;
    Listener m_listener;
};

// The name part of a saved log: d-m-yyyy, two blanks, h "h" m, without leading zeros.
QString LogFileStamp(const QDateTime &when);
