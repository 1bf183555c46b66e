#include "workbook/xls/XlsErrors.h"

#include "model/Error.h"

#include <QDir>

namespace XlsErrors {

namespace {

const QString SaveAgain = QStringLiteral("Open het in Excel en sla het opnieuw op, of vraag om een nieuw exemplaar.");

[[noreturn]] void fail(const QString &text)
{
    throw KwError(text);
}

} // namespace

QString displayPath(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

void missing(const QString &path)
{
    fail(QStringLiteral("Het werkboek %1 bestaat niet. Controleer de map en de naam van het bestand.")
             .arg(displayPath(path)));
}

void unreadable(const QString &path)
{
    fail(QStringLiteral("Het werkboek %1 kan niet worden geopend. Controleer of u het bestand mag lezen en of het "
                        "niet door een ander programma in gebruik is.")
             .arg(displayPath(path)));
}

void notAFile(const QString &path)
{
    fail(QStringLiteral("Het bestand: ") + displayPath(path) + QStringLiteral("  is geen werkboek"));
}

void emptyFile(const QString &path)
{
    fail(QStringLiteral("Het werkboek %1 is leeg (0 bytes). ").arg(displayPath(path)) + SaveAgain);
}

void tooLarge(const QString &path)
{
    fail(QStringLiteral("Het werkboek %1 is te groot om te lezen (meer dan 1 GB). Sla het op als .xlsx en probeer "
                        "het opnieuw.")
             .arg(displayPath(path)));
}

void notXls(const QString &path)
{
    fail(QStringLiteral("Het bestand %1 is geen Excel werkboek (.xls). Open het in Excel, sla het op als .xlsx en "
                        "probeer het opnieuw.")
             .arg(displayPath(path)));
}

void xlsxInDisguise(const QString &path)
{
    fail(QStringLiteral("Het bestand %1 heeft de extensie .xls, maar is een .xlsx werkboek. Geef het bestand de "
                        "extensie .xlsx en probeer het opnieuw.")
             .arg(displayPath(path)));
}

void textInDisguise(const QString &path)
{
    fail(QStringLiteral("Het bestand %1 heeft de extensie .xls, maar is een tekst- of webpaginabestand en geen echt "
                        "Excel werkboek. Open het in Excel, sla het op als .xlsx en probeer het opnieuw.")
             .arg(displayPath(path)));
}

void noWorkbookStream(const QString &path)
{
    fail(QStringLiteral("Het bestand %1 is geen Excel werkboek: het is een Office-bestand zonder werkbladen, "
                        "misschien een Word- of PowerPoint-document. Kies het juiste werkboek.")
             .arg(displayPath(path)));
}

void oldFormat(const QString &path, const QString &version)
{
    fail(QStringLiteral("Het werkboek %1 is in een oud Excel formaat (%2) opgeslagen en wordt niet ondersteund. "
                        "Sla het op als .xlsx en probeer het opnieuw.")
             .arg(displayPath(path), version));
}

void encrypted(const QString &path)
{
    fail(QStringLiteral("Het werkboek %1 is met een wachtwoord beveiligd en kan daarom niet worden gelezen. Open het "
                        "in Excel, verwijder het wachtwoord, sla het op en probeer het opnieuw.")
             .arg(displayPath(path)));
}

void truncated(const QString &path)
{
    fail(QStringLiteral("Het werkboek %1 is onvolledig: het bestand houdt op voordat alle gegevens gelezen zijn. "
                        "Misschien is het niet helemaal gekopieerd of gedownload. ")
             .arg(displayPath(path)) +
         SaveAgain);
}

void damaged(const QString &path, const QString &fault)
{
    fail(QStringLiteral("Het werkboek %1 is beschadigd en kan niet worden gelezen (%2). ")
             .arg(displayPath(path), fault) +
         SaveAgain);
}

void tooMuchData(const QString &path, quint64 limitMB)
{
    fail(QStringLiteral("Het werkboek %1 wordt niet gelezen: het zou meer dan %2 MB geheugen vragen. Het bestand is "
                        "beschadigd of opzettelijk misvormd.")
             .arg(displayPath(path))
             .arg(limitMB));
}

} // namespace XlsErrors
