#pragma once

#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

// The register "Kwintor2-register.csv" beside the settings file: one line per
// collection of every file made, so that a run can see what was collected
// before. UTF-8 with LF line ends, a header line, fields separated by ";" and
// quoted as CSV does, so that it opens as a table in a spreadsheet.

// The register's file name and its header line.
QString RegisterFileName();
QByteArray RegisterHeader();

// One collection of a file.
struct TRegisterCollection
{
    QString mandate; // trimmed
    QString iban;
    QString amount; // the InstdAmt text
};

// What one file made adds to the register.
struct TRegisterFile
{
    QString made; // date-time made, yyyy-mm-ddThh:mm:ss
    QString fileName;
    QString msgId;
    QString seqCode;
    QString collectionDate; // yyyy-mm-dd
    QList<TRegisterCollection> collections;
};

// A file as the register lists it: its lines taken together.
struct TRegisterSummary
{
    QString made;
    QString fileName;
    QString seqCode;
    QString collectionDate; // yyyy-mm-dd
    int collections = 0;
    qint64 totalCents = 0;
};

// What the register knows of one mandate, seen from the collection date of a run.
struct TMandateHistory
{
    // A file with the run's own collection date that holds the mandate; empty: none.
    QString sameDateFile;
    // Lines with an earlier collection date: whether there are any, and the code
    // and date of the last of them (the latest date; of equal dates the later line).
    bool collectedBefore = false;
    QString lastCode;
    QDate lastDate;
};

// The register as one run needs it, loaded once: per mandate only what the
// checks ask, aggregated while reading.
class RegisterIndex
{
public:
    // The history of a mandate id (trimmed); false when the register holds nothing of it
    // with this run's collection date or an earlier one.
    bool find(const QString &mandate, TMandateHistory &history) const;
    // The highest batch number in a file name of the register; 0 for none.
    int highestBatchNumber() const { return m_highestBatch; }
    // The collection lines read.
    qsizetype lines() const { return m_lines; }

private:
    friend class CollectionRegister;
    struct Entry
    {
        QByteArray sameDateFile;
        int lastDate = 0;  // yyyymmdd; 0: no earlier line
        int lastCode = -1; // index in SeqCodes
    };
    QHash<QByteArray, Entry> m_mandates;
    int m_highestBatch = 0;
    qsizetype m_lines = 0;
};

// The register file. A missing file is an empty register. A file that cannot
// be read or is damaged (not CSV, another header, a line with another number
// of fields or without a valid code, date or amount) throws KwError with a
// Dutch message naming it; such a file is never written.
class CollectionRegister
{
public:
    explicit CollectionRegister(QString path) : m_path(std::move(path)) {}
    const QString &path() const { return m_path; }

    // The index for a run with this collection date.
    RegisterIndex index(const QDate &collectionDate) const;
    // Every file, in the order made.
    QList<TRegisterSummary> files() const;
    // Appends one line per collection (the header first when the register is new)
    // and flushes them to disk. On failure the register is left as it was and
    // KwError says so.
    void append(const TRegisterFile &file) const;

private:
    QString m_path;
};
