#include "batch/BatchRun.h"
#include "batch/Inspect.h"
#include "model/Clock.h"
#include "model/Error.h"
#include "model/Settings.h"
#include "workbook/WorkbookService.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
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
        QStringLiteral("Kwintor2 zonder venster.\n\n"
                       "Verwerken: kwintor2-batch [--instellingen BESTAND] --werkblad NAAM [--werkboek BESTAND]\n"
                       "           [--doelmap MAP] [--incassodatum DD-MM-JJJJ|+N] [--alleen-controle] [--opnieuw]\n"
                       "           [--log BESTAND]\n"
                       "  controleert de invoer en elke regel van het werkblad en maakt per sequentiecode een\n"
                       "  SEPA incassobestand (pain.008.001.08) in de doelmap; de volgnummers lopen door in het\n"
                       "  instellingenbestand. Meldingen gaan naar stderr, het verwerkingslog naar stdout.\n"
                       "  Afsluitcode 0: gelukt; 1: fouten in de invoer, een bestand niet gemaakt, of niet\n"
                       "  verwerkt omdat de incasso's al eerder zijn verwerkt (zie --opnieuw); 2: de verwerking\n"
                       "  kon niet doorgaan of de opdracht is onjuist, en er is niets gemaakt.\n"
                       "  Elk gemaakt bestand komt met al zijn incasso's in het register Kwintor2-register.csv\n"
                       "  naast het instellingenbestand.\n\n"
                       "Register:  kwintor2-batch [--instellingen BESTAND] --register\n"
                       "  toont elk gemaakt bestand, het laatste onderaan.\n\n"
                       "Bekijken:  kwintor2-batch --werkboek BESTAND --werkbladen\n"
                       "           kwintor2-batch --werkboek BESTAND --werkblad NAAM --toon\n"
                       "  toont wat Kwintor2 uit een werkboek leest."));
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
    const QCommandLineOption settingsOption(QStringLiteral("instellingen"),
                                            QStringLiteral("Het instellingenbestand (standaard: zie onderaan)."),
                                            QStringLiteral("bestand"));
    const QCommandLineOption targetOption(QStringLiteral("doelmap"),
                                          QStringLiteral("De map voor de SEPA bestanden, alleen voor deze verwerking."),
                                          QStringLiteral("map"));
    const QCommandLineOption dateOption(
        QStringLiteral("incassodatum"),
        QStringLiteral("De incassodatum, alleen voor deze verwerking: een datum DD-MM-JJJJ, of +N voor de N-de "
                       "bankwerkdag na vandaag (+5: over vijf werkdagen). De datum moet na vandaag liggen en "
                       "een werkdag van de banken zijn (geen weekend, 1 januari, Goede Vrijdag, Tweede Paasdag, "
                       "1 mei, 25 of 26 december)."),
        QStringLiteral("datum"));
    const QCommandLineOption controlOption(QStringLiteral("alleen-controle"),
                                           QStringLiteral("Alleen controleren; er worden geen bestanden gemaakt."));
    const QCommandLineOption logOption(QStringLiteral("log"),
                                       QStringLiteral("Sla het verwerkingslog ook op in dit bestand."),
                                       QStringLiteral("bestand"));
    const QCommandLineOption againOption(
        QStringLiteral("opnieuw"),
        QStringLiteral("Verwerk ook incasso's die volgens het register al zijn verwerkt met dezelfde incassodatum "
                       "(het antwoord Ja op de vraag of dat toch moet). Alleen als de bank dat bestand heeft "
                       "geweigerd of nooit heeft ontvangen: anders wordt twee keer geïncasseerd. Zonder deze optie "
                       "stopt de verwerking dan na de controle, met afsluitcode 1."));
    const QCommandLineOption registerOption(
        QStringLiteral("register"),
        QStringLiteral(
            "Toon elk gemaakt bestand uit het register, een per regel, het laatste onderaan: gemaakt op, "
            "bestand, sequentiecode, incassodatum, aantal incasso's en totaalbedrag, gescheiden door tabs."));
    parser.addOptions({workbookOption, sheetOption, listOption, showOption, settingsOption, targetOption, dateOption,
                       controlOption, logOption, againOption, registerOption});

    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    // --help-all is listed by Qt beside --help; without this it would start a run.
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all"))) {
        // Where this run would read and write its settings.
        const QString settings = parser.isSet(settingsOption)
                                     ? QFileInfo(parser.value(settingsOption)).absoluteFilePath()
                                     : SettingsStore().SettingsFilePath();
        QTextStream(stdout) << parser.helpText() << "\nInstellingenbestand: " << QDir::toNativeSeparators(settings)
                            << (QFileInfo::exists(settings) ? "" : " (bestaat nog niet)") << '\n';
        return ExitOk;
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("onbekend argument \"%1\".").arg(parser.positionalArguments().constFirst()));
    QTextStream out(stdout);
    if (parser.isSet(registerOption)) {
        for (const QString &name : parser.optionNames()) {
            if (name != registerOption.names().constFirst() && !settingsOption.names().contains(name))
                return usageError(QStringLiteral("--register gaat alleen samen met --instellingen."));
        }
        QTextStream err(stderr);
        return ShowRegister(parser.value(settingsOption), out, err);
    }
    const bool inspect = parser.isSet(listOption) || parser.isSet(showOption);
    if (!inspect) {
        if (!parser.isSet(sheetOption))
            return usageError(QStringLiteral("geef het werkblad op met --werkblad."));
        BatchOptions options;
        options.settingsFile = parser.value(settingsOption);
        options.sheet = parser.value(sheetOption);
        options.workbook = parser.value(workbookOption);
        options.targetFolder = parser.value(targetOption);
        options.incassoDate = parser.value(dateOption);
        options.logFile = parser.value(logOption);
        options.onlyControl = parser.isSet(controlOption);
        options.again = parser.isSet(againOption);
        QTextStream err(stderr);
        const SystemClock clock;
        return RunBatch(options, clock, out, err);
    }
    if (!parser.isSet(workbookOption))
        return usageError(QStringLiteral("geef het werkboek op met --werkboek."));
    if (parser.isSet(listOption) && parser.isSet(showOption))
        return usageError(QStringLiteral("kies --werkbladen of --toon."));
    if (parser.isSet(showOption) && !parser.isSet(sheetOption))
        return usageError(QStringLiteral("geef bij --toon het werkblad op met --werkblad."));

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
