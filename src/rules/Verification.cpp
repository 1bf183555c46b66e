#include "rules/Verification.h"

#include "model/Clock.h"
#include "model/Notice.h"
#include "rules/AccountRules.h"
#include "rules/DateAmountRules.h"
#include "rules/TextRules.h"

#include <QDir>
#include <QFileInfo>

namespace {

// The creditor's own BIC goes into every file; an empty one is sent as not provided.
bool checkCreditorBIC(const QString &bic)
{
    if (bic.isEmpty() || IsBIC(bic))
        return true;
    ShowErrorMessage(QStringLiteral("BIC : ") + bic + QStringLiteral(" is geen geldige BIC code.\r") +
                     QStringLiteral("Een BIC heeft 8 of 11 tekens, bijvoorbeeld RABONL2U."));
    return false;
}

// A date the bank can still execute: after today and a TARGET2 working day.
bool checkCollectionDay(const QString &text, const Clock &clock)
{
    const QDate date = DateOfText(text);
    if (date <= clock.now().date()) {
        ShowErrorMessage(QStringLiteral("De incassodatum ") + text + QStringLiteral(" ligt niet na vandaag.\r") +
                         QStringLiteral("Kies een latere datum: de bank moet het bestand uiterlijk een werkdag voor "
                                        "de incassodatum ontvangen."));
        return false;
    }
    if (!IsBankWorkingDay(date)) {
        ShowErrorMessage(QStringLiteral("Op ") + text +
                         QStringLiteral(" voeren de banken geen incasso's uit (weekend of feestdag).\r") +
                         QStringLiteral("De eerstvolgende werkdag is ") + DateText(BankWorkingDayAfter(date)) +
                         QLatin1Char('.'));
        return false;
    }
    return true;
}

// Steps 1 to 6: the creditor data, folders, workbook, identifiers and date.
// Each check shows its own box; the first failure ends the testing.
bool verifyData(TInputData &data, const Clock &clock)
{
    const bool chars =
        CheckSEPAChars(data.Incassant) && CheckSEPAChars(data.IncassoLabel) && CheckSEPAChars(data.Omschrijving);
    // The general description is taken whether or not its characters passed.
    data.ssAlgOmschr = data.Omschrijving;
    return chars && CheckFolderExists(data.InputFolder) && CheckFolderExists(data.TargetFolder) &&
           CheckFileExists(JoinPath(data.InputFolder, data.InputFile)) && CheckZZZCode(data.ZZZCode) &&
           CheckIBAN(data.IBAN) && checkCreditorBIC(data.BIC) && CheckDateText(data.IncassoDate) &&
           checkCollectionDay(data.IncassoDate, clock);
}

bool layoutComplete(const TInputData &data)
{
    for (int f = 0; f < LayoutFieldCount; ++f) {
        const auto field = static_cast<TLayoutField>(f);
        if (IsRequiredLayoutField(field) && data.column(field) == 0)
            return false;
    }
    return true;
}

} // namespace

bool VerifyInput(TInputData &data, const Clock &clock)
{
    if (!verifyData(data, clock))
        return false;

    const bool hasSeqColumn = data.column(lfSeqCode) != 0;
    if (hasSeqColumn && !data.DefaultSequenceCode.isEmpty()) {
        ShowErrorMessage(QStringLiteral("Kies : \r"
                                        "Of (a) default waarde RCUR voor de sequentie code in input\r"
                                        "of (b) Excel kolom voor sequentiecode aangeven in Layout"));
        return false;
    }
    if (hasSeqColumn) {
        data.onlyRCUR = false;
    } else {
        data.defaultSeqCode =
            data.DefaultSequenceCode.isEmpty() ? QStringLiteral("RCUR") : QString(data.DefaultSequenceCode);
        data.onlyRCUR = true;
    }

    if (!layoutComplete(data)) {
        ShowErrorMessage(QStringLiteral("FOUT in de Layout invoer!\r\r"
                                        "Alleen de twee adresregels, de kolommen voor BIC code\r"
                                        "en voor de sequentie code zijn optioneel.\r"
                                        "Alle andere velden moeten een kolomletter krijgen."));
        return false;
    }
    return true;
}

bool CheckFolderExists(const QString &folder)
{
    // QFileInfo follows links; an empty path would mean the current folder.
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        return true;
    ShowErrorMessage(QStringLiteral("De map: ") + folder + QStringLiteral("  is niet gevonden"));
    return false;
}

bool CheckFileExists(const QString &path)
{
    // A folder, a device or a pipe is no workbook; reading a pipe would never end.
    const QFileInfo info(path);
    if (!path.isEmpty() && info.isFile())
        return true;
    const bool exists = !path.isEmpty() && info.exists();
    ShowErrorMessage(QStringLiteral("Het bestand: ") + path +
                     (exists ? QStringLiteral("  is geen werkboek") : QStringLiteral("  is niet gevonden")));
    return false;
}

QString JoinPath(const QString &folder, const QString &file)
{
    return folder + QDir::separator() + file;
}
