#pragma once

#include <QList>
#include <QString>

// The ten fields of a table row, in fixed order; the value indexes InputArray.
enum TLayoutField
{
    lfNaam = 0,
    lfAdres1,
    lfAdres2,
    lfBedrag,
    lfIBAN,
    lfBIC,
    lfMandaatId,
    lfMandaatDatum,
    lfSeqCode,
    lfOmschrijving,
};
constexpr int LayoutFieldCount = 10;

// The highest batch or collection number: one more would not fit the 32-bit
// counters, and a number must never wrap to one used before.
constexpr int MaxCounter = 2147483646;

// The last batch and collection numbers used, as the settings file keeps them.
struct TCounters
{
    int BatchVolgnummer = 0;
    int Incassovolgnummer = 0;
};

// Everything the user sets up for a collection run. Texts in angle brackets
// are placeholders: such a field counts as not filled in.
struct TInputData
{
    // Creditor and run data.
    QString Incassant = QStringLiteral("<naam van de incassant>");
    QString ZZZCode = QStringLiteral("<NLxxZZZcode>");
    QString IBAN = QStringLiteral("<IBAN rekeningnummer>");
    QString BIC = QStringLiteral("<BIC>");
    QString IncassoLabel = QStringLiteral("<uniek label voor deze incasso batch>");
    QString InputFolder = QStringLiteral("<map van het Excel incassobestand>");
    QString InputFile = QStringLiteral("<naam van het incassobestand>");
    bool HasHeadings = false;
    QString TargetFolder = QStringLiteral("<map voor de te maken SEPA XML bestanden>");
    QString DefaultSequenceCode = QStringLiteral("RCUR");
    QString IncassoDate;
    QString Omschrijving = QStringLiteral("<Omschrijving voor elke incasso>");

    // Layout and row filter; column numbers, 1 is column A, 0 is no column.
    QList<int> InputArray = QList<int>(LayoutFieldCount, 0);
    bool cbFilter = false;
    QString strFilterReq;
    int intFilterCol = 0;

    // Counters: the last batch and collection numbers used.
    int BatchVolgnummer = 0;
    int Incassovolgnummer = 0;

    // Saving processing logs.
    QString LogSaveFolder;
    QString LogExtension = QStringLiteral("log");
    QString LogSavePrefix = QStringLiteral("SEPA incasso verwerking ");

    // Derived and per-run, never stored.
    QString ssAlgOmschr;
    QString defaultSeqCode;
    bool onlyRCUR = false;
    QString SelectedWorkbook;
    QString SelectedSheet;

    int column(TLayoutField field) const { return InputArray.value(field, 0); }
};

// The placeholder test of the screens: a text beginning with "<" is not filled in.
inline bool IsPlaceholder(const QString &text)
{
    return text.startsWith(QLatin1Char('<'));
}

// The layout fields a run needs a column for.
bool IsRequiredLayoutField(TLayoutField field);
