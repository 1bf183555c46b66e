#pragma once

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
    QString AdrLine1;
    QString AdrLine2;
    QString DbtrIBAN;
    QString Ustrd;
};
