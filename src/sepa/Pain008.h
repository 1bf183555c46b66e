#pragma once

#include "rules/AddressRules.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The values of the group header and the payment information of one file.
struct Pain008Header
{
    QString MsgId;
    QString CreDtTm;
    QString NbOfTxs;
    QString CtrlSum;
    QString InitgPtyName; // creditor name in the group header
    QString PmtInfId;
    QString SeqTp;
    QString ReqdColltnDt;
    QString CdtrName; // creditor name in the payment information
    QString CdtrIBAN;
    QString CdtrBIC; // may be empty
    QString CdtrSchmeId;
};

// One collection of the file.
struct TIncassoRegel
{
    QString EndToEndId;
    QString InstdAmt;
    QString MndtId;
    QString DtOfSgntr;
    QString DbtrAgtBIC; // "NOTPROVIDED" when the layout has no BIC column; may be empty
    QString DbtrNm;
    TPostalAddress DbtrAdr; // empty: no postal address
    QString DbtrIBAN;
    QString Ustrd;
};

// The document is a list of lines without line ends: header, one transaction
// part per collection in row order, closing. Values go in verbatim apart from
// "&", "<" and ">", which are escaped so that no value can break the XML.

// Lines 1 to 53 (with their leading tabs). An empty creditor BIC gives an
// Othr/NOTPROVIDED identification instead of an empty BICFI element.
QStringList Pain008HeaderLines(const Pain008Header &header);
// The transaction part of one collection, the conditional lines only where they hold.
// An empty DbtrAgtBIC gives the same debtor-agent block as "NOTPROVIDED".
QStringList Pain008TransactionLines(const TIncassoRegel &regel);
// Same, appended to lines: for large files, without a list per collection.
void AppendPain008TransactionLines(QStringList &lines, const TIncassoRegel &regel);
// Those lines' bytes as Pain008Bytes gives them, appended to bytes.
void AppendPain008TransactionBytes(QByteArray &bytes, const TIncassoRegel &regel);
// The closing lines.
QStringList Pain008ClosingLines();
// Every line followed by CR LF, UTF-8 without byte-order mark.
QByteArray Pain008Bytes(const QStringList &lines);
// Same, appended to bytes: a buffer kept from collection to collection keeps its room.
void AppendPain008Bytes(QByteArray &bytes, const QStringList &lines);
// The message of a document that could not be saved under path, with the reason on a line of its own.
QString Pain008SaveError(const QString &path, const QString &reason);
// Writes the whole document in one piece through a temporary file in the same
// folder that is renamed into place, replacing a file of that name. False with
// the message above in *error (when given) when the file cannot be written.
bool SavePain008(const QString &path, const QStringList &lines, QString *error);
