#pragma once

#include "util/TestPaths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QXmlStreamReader>

// Checks on what a run leaves behind, shared by the run, golden and batch tests.

// An amount text with a decimal point in cents; -1 when it is not one.
inline qint64 amountCents(QStringView text)
{
    const qsizetype point = text.indexOf(u'.');
    const QStringView whole = point < 0 ? text : text.first(point);
    const QStringView fraction = point < 0 ? QStringView() : text.sliced(point + 1);
    if (whole.isEmpty() && fraction.isEmpty())
        return -1;
    if (fraction.size() > 2)
        return -1;
    bool ok = true;
    const qint64 euros = whole.isEmpty() ? 0 : whole.toLongLong(&ok);
    if (!ok)
        return -1;
    const qint64 cents = fraction.isEmpty() ? 0 : fraction.toString().leftJustified(2, u'0').toLongLong(&ok);
    return ok ? euros * 100 + cents : -1;
}

// A written pain.008 file read back: the counts and sums in both headers
// against its own transactions. Empty when they agree, else what differs.
inline QString checkTotals(const QByteArray &xml)
{
    QXmlStreamReader reader(xml);
    QStringList path;
    QStringList counts;
    QStringList sums;
    int transactions = 0;
    qint64 cents = 0;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement()) {
            const QString name = reader.name().toString();
            path << name;
            const QString parent = path.size() >= 2 ? path.at(path.size() - 2) : QString();
            if (name == u"DrctDbtTxInf")
                ++transactions;
            if (name == u"InstdAmt") {
                const qint64 c = amountCents(reader.readElementText());
                path.removeLast();
                if (c < 0)
                    return QStringLiteral("InstdAmt is geen bedrag");
                cents += c;
            } else if ((name == u"NbOfTxs" || name == u"CtrlSum") && (parent == u"GrpHdr" || parent == u"PmtInf")) {
                (name == u"NbOfTxs" ? counts : sums) << reader.readElementText();
                path.removeLast();
            }
        } else if (reader.isEndElement()) {
            path.removeLast();
        }
    }
    if (reader.hasError())
        return reader.errorString();
    if (counts.size() != 2 || sums.size() != 2)
        return QStringLiteral("NbOfTxs of CtrlSum ontbreekt");
    for (const QString &count : counts) {
        if (count != QString::number(transactions))
            return QStringLiteral("NbOfTxs %1, transacties %2").arg(count).arg(transactions);
    }
    for (const QString &sum : sums) {
        if (amountCents(sum) != cents)
            return QStringLiteral("CtrlSum %1, som %2 cent").arg(sum).arg(cents);
    }
    return QString();
}

// One written pain.008 file as a bank takes it: valid against the schema, and
// an address only in structured form. Empty when all is well, else what is wrong.
inline QString checkPain008Document(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("niet te lezen");
    if (f.readAll().contains("<AdrLine>"))
        return QStringLiteral("adres in <AdrLine> regels");
    QString out;
    return validatePain008(path, &out) ? QString() : out;
}

// Every pain.008 file in the folder read back: its totals and the checks above.
// Empty when all is well, else the first file and what is wrong.
inline QString checkPain008Files(const QString &folder)
{
    const QDir dir(folder);
    for (const QString &name : dir.entryList({QStringLiteral("*.xml")}, QDir::Files)) {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::ReadOnly))
            return name + QStringLiteral(": niet te lezen");
        const QString totals = checkTotals(f.readAll());
        if (!totals.isEmpty())
            return name + QStringLiteral(": ") + totals;
        const QString document = checkPain008Document(dir.filePath(name));
        if (!document.isEmpty())
            return name + QStringLiteral(": ") + document;
    }
    return QString();
}

// The last check of a test that wrote files into the folder.
#define KW_CHECK_PAIN008_FILES(folder)                                                                                 \
    do {                                                                                                               \
        const QString problem = checkPain008Files(folder);                                                             \
        QVERIFY2(problem.isEmpty(), qPrintable(problem));                                                              \
    } while (false)

// The files of a folder by name, hidden ones too (a temporary file left behind shows).
inline QMap<QString, QByteArray> filesIn(const QString &folder)
{
    QMap<QString, QByteArray> files;
    const QDir dir(folder);
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly))
            files.insert(name, f.readAll());
    }
    return files;
}

inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The end-to-end cases in tests/data/run: each folder holds the workbook
// leden.xlsx, its settings file and in expected/ every file the run leaves.
inline QStringList goldenCases()
{
    QStringList cases = QDir(testData(QStringLiteral("run"))).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    cases.removeAll(QStringLiteral("make"));
    return cases;
}

inline QString goldenCase(const QString &name)
{
    return testData(QStringLiteral("run/") + name);
}

// The moment a case runs at: the date and time in its clock.txt, else 6 May 2024, 08:58:24.
inline QDateTime goldenClock(const QString &name)
{
    QFile f(goldenCase(name) + QStringLiteral("/clock.txt"));
    if (!f.open(QIODevice::ReadOnly))
        return QDateTime(QDate(2024, 5, 6), QTime(8, 58, 24));
    return QDateTime::fromString(QString::fromLatin1(f.readAll().trimmed()), Qt::ISODate);
}

// The register of the collections made, beside the settings file.
inline QString registerName()
{
    return QStringLiteral("Kwintor2-register.csv");
}

// The folder a case runs in: its settings files, its register if it has one,
// invoer/leden.xlsx and an empty doel/.
inline bool prepareGoldenCase(const QString &name, const QString &work)
{
    const QDir source(goldenCase(name));
    QDir dir(work);
    if (!dir.mkpath(QStringLiteral("invoer")) || !dir.mkpath(QStringLiteral("doel")))
        return false;
    if (!QFile::copy(source.filePath(QStringLiteral("leden.xlsx")), dir.filePath(QStringLiteral("invoer/leden.xlsx"))))
        return false;
    const QStringList copied =
        source.entryList({QStringLiteral("*.ini"), QStringLiteral("*.INI"), registerName()}, QDir::Files);
    for (const QString &file : copied) {
        if (!QFile::copy(source.filePath(file), dir.filePath(file)))
            return false;
        QFile::setPermissions(dir.filePath(file), QFile::ReadOwner | QFile::WriteOwner);
    }
    return true;
}

// The runs of a case, one after the other in the same folder: from its runs.txt,
// one line per run, the answer to the question whether to collect again ("Ja",
// "Nee"), or "-" where no question may come. Without runs.txt: one run, "-".
inline QStringList goldenRuns(const QString &name)
{
    QFile f(goldenCase(name) + QStringLiteral("/runs.txt"));
    if (!f.open(QIODevice::ReadOnly))
        return {QStringLiteral("-")};
    return QString::fromLatin1(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// The name of a file of run i (from 0) of runs: "run.log", or "run2.log" when there are several.
inline QString runFile(const QString &stem, const QString &extension, int i, qsizetype runs)
{
    return stem + (runs > 1 ? QString::number(i + 1) : QString()) + extension;
}

// The work folder's path taken out of a log or box text: a message naming a file
// of the case reads the same on every machine.
inline QByteArray withoutFolder(QByteArray bytes, const QString &folder)
{
    return bytes.replace(QByteArray(QFile::encodeName(QDir(folder).absolutePath()) + '/'), "./");
}
