#include "batch/Inspect.h"
#include "model/Error.h"
#include "workbook/WorkbookService.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace {

constexpr int ExitOk = 0;
constexpr int ExitFailed = 2;

int usageError(const QString &message)
{
    QTextStream(stderr) << "kwintor2-batch: " << message << "\nZie kwintor2-batch --help.\n";
    return ExitFailed;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kwintor2-batch"));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Kwintor2 zonder venster: toont wat Kwintor2 uit een werkboek leest."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption workbookOption(QStringLiteral("werkboek"),
                                            QStringLiteral("Het Excel werkboek (.xlsx, .xlsm of .xls)."),
                                            QStringLiteral("bestand"));
    const QCommandLineOption sheetOption(QStringLiteral("werkblad"), QStringLiteral("Het werkblad met de incasso's."),
                                         QStringLiteral("naam"));
    const QCommandLineOption listOption(QStringLiteral("werkbladen"),
                                        QStringLiteral("Toon de namen van de werkbladen, een per regel."));
    const QCommandLineOption showOption(QStringLiteral("toon"),
                                        QStringLiteral("Toon de laatste rij en elke gevulde cel van het werkblad: "
                                                       "cel, soort (tekst, getal, datum, waarheid, fout, anders) "
                                                       "en tekst, gescheiden door tabs."));
    parser.addOptions({workbookOption, sheetOption, listOption, showOption});

    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        QTextStream(stdout) << parser.helpText();
        return ExitOk;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("onbekend argument \"%1\".").arg(parser.positionalArguments().constFirst()));
    if (!parser.isSet(workbookOption))
        return usageError(QStringLiteral("geef het werkboek op met --werkboek."));
    if (parser.isSet(listOption) == parser.isSet(showOption))
        return usageError(QStringLiteral("kies --werkbladen of --toon."));
    if (parser.isSet(showOption) && !parser.isSet(sheetOption))
        return usageError(QStringLiteral("geef bij --toon het werkblad op met --werkblad."));

    QTextStream out(stdout);
    WorkbookService service;
    try {
        if (parser.isSet(listOption))
            ListWorksheets(service, parser.value(workbookOption), out);
        else
            ShowWorksheet(service, parser.value(workbookOption), parser.value(sheetOption), out);
    } catch (const KwError &e) {
        out.flush();
        QTextStream(stderr) << e.message() << '\n';
        return ExitFailed;
    }
    return ExitOk;
}
