#include "GuiFixture.h"
#include "app/Dashboard.h"
#include "app/Help.h"
#include "model/Settings.h"
#include "processing/ProcessingRun.h"
#include "processing/RunChecks.h"
#include "ui/ExcelApp.h"
#include "ui/FileSaveDialog.h"
#include "ui/InputForm.h"
#include "ui/LayoutScreen.h"
#include "ui/MessageBoxes.h"
#include "ui/ProcessingScreen.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTextEdit>

namespace {
QStringList gridRow(const GuiFixture &gui, int row)
{
    QTableWidget *grid = gui.screens().InputForm->summaryGrid();
    QStringList cells;
    for (int column = 0; column < grid->columnCount(); ++column)
        cells.append(grid->item(row, column)->text());
    return cells;
}

QString settingsText(const GuiFixture &gui)
{
    QFile file(gui.settings().SettingsWritePath());
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QString();
}

const QString Saved = QStringLiteral("Melding: Input gegevens zijn opgeslagen");
} // namespace

class TestScreens : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tabOrder_data();
    void tabOrder();
    void filterLine_data();
    void filterLine();
    void fieldExitChecks_data();
    void fieldExitChecks();
    void checkMessages_data();
    void checkMessages();
    void goWithCancelledSelection();
    void wholeRun();
    void collectingAgainAsks();
    void layoutAcceptWarnsAndHandsBack();
    void layoutTerugDiscardsLetters();
    void logSaveFirstStart();
    void closingSavesEvenWithoutAnswer_data();
    void closingSavesEvenWithoutAnswer();
    void serviceThatCannotStart();
    void inputScreenOpensOnce();
    void startWithWorkbook();
    void closingMainWindowSavesInput();
    void startwaardenReloads();
    void helpWindow();
};

void TestScreens::tabOrder_data()
{
    QTest::addColumn<QString>("screen");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("main window") << "Dashboard" << QStringList{"Button1", "Button5", "Button6", "Memo1"};
    // The summary grid is for reading only: Tab passes it by.
    QTest::newRow("input screen") << "InputForm"
                                  << QString("edIncassant edZZZ edIBAN edBIC Button1 Button11 Button2 cbHeadings "
                                             "Button3 edIncassoLabel Button14 Button7 Button8 Button9 Button10 "
                                             "Button12 edInputFolder edInputFile edTargetFolder edIncDate2 Memo1 "
                                             "edOmschrijving edDefaultSequenceCode")
                                         .split(QLatin1Char(' '));
    QTest::newRow("layout screen") << "Layout"
                                   << QStringList{"Button1", "Button2", "CheckBox1", "Edit1",  "Edit2", "Edit3",
                                                  "Edit4",   "Edit5",   "Edit6",     "Edit7",  "Edit8", "Edit9",
                                                  "Edit10",  "Memo1",   "CheckBox2", "Edit11", "Edit12"};
    // "OK" comes first; the dialog opens with the focus in the picker, where Enter is "OK" too.
    QTest::newRow("date dialog") << "DateDialog" << QStringList{"Button2", "DateTimePicker1", "Button1"};
}

void TestScreens::tabOrder()
{
    QFETCH(QString, screen);
    QFETCH(QStringList, order);
    GuiFixture gui;
    QWidget *window = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == screen)
            window = w;
    QVERIFY(window);
    // Shown for the second time: a window too large for the screen puts its controls in a scroll
    // area at every showing, and takes them out again when hidden.
    window->show();
    window->hide();
    window->show();
    // The chain as the Tab key walks it from the window itself: its first control is the one that
    // gets the focus when the window opens.
    QStringList walked;
    for (QWidget *w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain()) {
        if ((w->focusPolicy() & Qt::TabFocus) && !w->objectName().isEmpty() &&
            !w->objectName().startsWith(QLatin1String("qt_")))
            walked.append(w->objectName());
    }
    QCOMPARE(walked, order);
}

void TestScreens::filterLine_data()
{
    QTest::addColumn<bool>("filterOn");
    QTest::addColumn<bool>("viaLayout");
    QTest::addColumn<QString>("line");
    QTest::newRow("loaded, off") << false << false << "Selectie filter is : UIT";
    QTest::newRow("loaded, on") << true << false << "Selectie filter is : AAN, criterioum : \"Jeugd\"";
    QTest::newRow("accepted, off") << false << true << "Selectie filter is : UIT";
    QTest::newRow("accepted, on") << true << true << "Selectie filter is : AAN,  selectie criterium : \"Jeugd\"";
}

void TestScreens::filterLine()
{
    QFETCH(bool, filterOn);
    QFETCH(bool, viaLayout);
    QFETCH(QString, line);
    GuiFixture gui;
    gui.writeValidSettings([&](TInputData &d) {
        d.cbFilter = filterOn && !viaLayout;
        d.strFilterReq = QStringLiteral("Jeugd");
        d.intFilterCol = 8;
    });
    TInputForm *input = gui.screens().InputForm;
    input->showScreen();
    if (viaLayout) {
        ModalHooks::setNextAnswer(
            QStringLiteral("TLayout"),
            typeLayout({}, filterOn, QStringLiteral("Jeugd"), QStringLiteral("H"), QStringLiteral("Button1")));
        click(input, QStringLiteral("Button2"));
    }
    QCOMPARE(child<QLabel>(input, QStringLiteral("Label23"))->text(), line);
}

void TestScreens::fieldExitChecks_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("boxes");
    QTest::addColumn<QString>("first");
    QTest::newRow("label placeholder: length") << "edIncassoLabel"
                                               << "<uniek label voor deze incasso batch>" << 1 << "Foutmelding: ";
    QTest::newRow("name placeholder: nothing") << "edIncassant"
                                               << "<naam van de incassant>" << 0 << "";
    QTest::newRow("empty IBAN: nothing") << "edIBAN"
                                         << "" << 0 << "";
    QTest::newRow("IBAN placeholder: nothing") << "edIBAN"
                                               << "<IBAN rekeningnummer>" << 0 << "";
    QTest::newRow("wrong IBAN") << "edIBAN"
                                << "NL13TEST0123456788" << 1 << "Foutmelding: ";
    QTest::newRow("good IBAN") << "edIBAN"
                               << "NL13TEST0123456789" << 0 << "";
    QTest::newRow("good ZZZ") << "edZZZ"
                              << "NL69ZZZ123456780000" << 0 << "";
    QTest::newRow("name with ampersand") << "edIncassant"
                                         << "Jansen & Zn" << 1 << "Foutmelding: ";
    QTest::newRow("long name") << "edIncassant" << QString(71, QLatin1Char('a')) << 1 << "Foutmelding: ";
}

void TestScreens::fieldExitChecks()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(int, boxes);
    QFETCH(QString, first);
    GuiFixture gui;
    auto *edit = child<QLineEdit>(gui.screens().InputForm, field);
    QVERIFY(edit);
    edit->setText(text);
    leaveField(edit);
    const QStringList shown = gui.takeShown();
    QCOMPARE(shown.size(), boxes);
    if (boxes > 0)
        QVERIFY2(shown.first().startsWith(first), qPrintable(shown.first()));
    // The check reports only: the text stays.
    QCOMPARE(edit->text(), text);
}

void TestScreens::checkMessages_data()
{
    QTest::addColumn<int>("seqColumn");
    QTest::addColumn<QString>("defaultCode");
    QTest::addColumn<QString>("message");
    QTest::newRow("column H") << 8 << ""
                              << "Melding: De input is getest. Er zijn geen\rfouten gevonden\r"
                                 "Incasso sequentiecodes als per input\rExcel tabel kolom  : H";
    QTest::newRow("no column") << 0 << ""
                               << "Melding: De input is getest. Er zijn geen\rfouten gevonden\r"
                                  "Alle incassos krijgen sequentiecode : RCUR";
    QTest::newRow("no column, FRST") << 0 << "FRST"
                                     << "Melding: De input is getest. Er zijn geen\rfouten gevonden\r"
                                        "Alle incassos krijgen sequentiecode : FRST";
}

void TestScreens::checkMessages()
{
    QFETCH(int, seqColumn);
    QFETCH(QString, defaultCode);
    QFETCH(QString, message);
    GuiFixture gui;
    gui.writeWorkbook();
    gui.writeValidSettings([&](TInputData &d) {
        d.InputArray[lfSeqCode] = seqColumn;
        d.DefaultSequenceCode = defaultCode;
    });
    TInputForm *input = gui.screens().InputForm;
    input->showScreen();
    gui.takeShown();
    click(input, QStringLiteral("Button9"));
    QCOMPARE(gui.takeShown(), QStringList{message});

    // A fault: the verification's own box, then the screen's closing notice.
    child<QLineEdit>(input, QStringLiteral("edIncassant"))->setText(QStringLiteral("Jansen & Zn"));
    click(input, QStringLiteral("Button9"));
    const QStringList shown = gui.takeShown();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.last(), QStringLiteral("Melding: Corrigeer de fouten in dit inputscherm\ren verifieer opnieuw"));
}

void TestScreens::goWithCancelledSelection()
{
    GuiFixture gui;
    gui.writeWorkbook();
    gui.writeValidSettings();
    TInputForm *input = gui.screens().InputForm;
    input->showScreen();
    gui.data().SelectedWorkbook = QStringLiteral("vorige.xlsx");
    gui.data().SelectedSheet = QStringLiteral("Vorig");
    gui.takeShown();
    ModalHooks::setNextAnswer(QStringLiteral("TSelectSheet"), [](QDialog &d) {
        auto *list = child<QListWidget>(&d, QStringLiteral("ListBox1"));
        QCOMPARE(list->count(), 2);
        QCOMPARE(list->item(0)->text(), QStringLiteral("Leden"));
        QVERIFY(!child<QPushButton>(&d, QStringLiteral("Button2"))->isEnabled());
        child<QPushButton>(&d, QStringLiteral("Button1"))->click();
    });
    click(input, QStringLiteral("Button10"));
    QCOMPARE(gui.takeShown(), QStringList{QStringLiteral("TSelectSheet")});
    QCOMPARE(gui.data().SelectedWorkbook, QStringLiteral("vorige.xlsx"));
    QCOMPARE(gui.data().SelectedSheet, QStringLiteral("Vorig"));
    QCOMPARE(ModalHooks::pendingAnswers(), 0);
}

void TestScreens::wholeRun()
{
    GuiFixture gui;
    gui.writeWorkbook();
    gui.writeValidSettings();
    TInputForm *input = gui.screens().InputForm;
    input->showScreen();
    gui.takeShown();

    ModalHooks::setNextAnswer(QStringLiteral("TSelectSheet"), chooseSheet(QStringLiteral("Leden")));
    QStringList logBeforeRun;
    QString button4Before;
    ModalHooks::setNextAnswer(QStringLiteral("TfmProcessing"), [&](QDialog &d) {
        auto *verwerken = child<QPushButton>(&d, QStringLiteral("Button3"));
        QVERIFY(verwerken->isVisibleTo(&d));
        logBeforeRun = child<QPlainTextEdit>(&d, QStringLiteral("Memo1"))->toPlainText().split(QLatin1Char('\n'));
        verwerken->click();
        QVERIFY(!verwerken->isVisibleTo(&d));
        ModalHooks::setNextAnswer(QStringLiteral("TFileSaveDialog"), ModalHooks::press(QStringLiteral("btSave")));
        child<QPushButton>(&d, QStringLiteral("Button2"))->click();
        button4Before = child<QPushButton>(&d, QStringLiteral("Button4"))->text();
        child<QPushButton>(&d, QStringLiteral("Button4"))->click();
    });
    click(input, QStringLiteral("Button10"));

    QCOMPARE(gui.data().SelectedSheet, QStringLiteral("Leden"));
    QVERIFY(logBeforeRun.contains(QStringLiteral("== De Excel input is correct. Kies Verwerken.")));
    QCOMPARE(button4Before, QStringLiteral("Afsluiten"));
    const QStringList shown = gui.takeShown();
    QCOMPARE(shown.first(), QStringLiteral("TSelectSheet"));
    QCOMPARE(shown.at(1), QStringLiteral("TfmProcessing"));
    for (const QString &code : {QStringLiteral("FRST"), QStringLiteral("FNAL"), QStringLiteral("OOFF")})
        QVERIFY2(shown.contains(QStringLiteral("Melding: Er zijn geen incasso's met code ") + code +
                                QStringLiteral("\rin dit Excelbestand.")),
                 qPrintable(shown.join(QLatin1Char('|'))));

    QVERIFY(shown.contains(QStringLiteral("Melding: Log is opgeslagen")));
    // The name part is the stamp made when the screen was shown.
    QFile log(gui.path(QStringLiteral("SEPA_log__2-3-2026  9h5.log")));
    QVERIFY(log.open(QIODevice::ReadOnly));
    const QByteArray saved = log.readAll();
    QVERIFY(saved.startsWith("== Kwintor: Log van de verwerking op "));
    QVERIFY(saved.contains("\r\nVerwerking succesvol afgesloten om "));

    const QString fileName = gridRow(gui, 2).at(1);
    QVERIFY(fileName.startsWith(QLatin1String("Incasso_dd_")));
    QVERIFY(QFile::exists(gui.path(QStringLiteral("uit/")) + fileName));
    KW_CHECK_PAIN008_FILES(gui.path(QStringLiteral("uit")));
    QCOMPARE(gridRow(gui, 0).mid(0, 2), (QStringList{QStringLiteral("Code"), QStringLiteral("Bestand naam")}));
    QCOMPARE(gridRow(gui, 1),
             (QStringList{QStringLiteral("FRST"), QString(), QStringLiteral("0"), QStringLiteral("0.00")}));
    QCOMPARE(gridRow(gui, 2),
             (QStringList{QStringLiteral("RCUR"), fileName, QStringLiteral("3"), QStringLiteral("137.75")}));
    QCOMPARE(gridRow(gui, 3),
             (QStringList{QStringLiteral("FNAL"), QString(), QStringLiteral("0"), QStringLiteral("0.00")}));
    QCOMPARE(gridRow(gui, 4),
             (QStringList{QStringLiteral("OOFF"), QString(), QStringLiteral("0"), QStringLiteral("0.00")}));
    QCOMPARE(gridRow(gui, 5), (QStringList{QStringLiteral("Totaal"), QStringLiteral(" = = ="), QStringLiteral("3"),
                                           QStringLiteral("137.75")}));

    // A second showing without a successful control keeps "Afsluiten".
    ModalHooks::setNextAnswer(QStringLiteral("TSelectSheet"), chooseSheet(QStringLiteral("Fout")));
    bool offered = true;
    QString button4Again;
    ModalHooks::setNextAnswer(QStringLiteral("TfmProcessing"), [&](QDialog &d) {
        offered = child<QPushButton>(&d, QStringLiteral("Button3"))->isVisibleTo(&d);
        button4Again = child<QPushButton>(&d, QStringLiteral("Button4"))->text();
        child<QPushButton>(&d, QStringLiteral("Button4"))->click();
    });
    click(input, QStringLiteral("Button10"));
    QVERIFY(!offered);
    QCOMPARE(button4Again, QStringLiteral("Afsluiten"));
    // That run made no files: the grid no longer shows the first run's.
    for (int row = 1; row <= 5; ++row)
        QCOMPARE(gridRow(gui, row), (QStringList{row == 5 ? QStringLiteral("Totaal") : SeqCodes().at(row - 1),
                                                 QString(), QStringLiteral("0"), QStringLiteral("0.00")}));
}

// The same table again with the same collection date: the question box comes
// before "Verwerken" is offered; "Nee" leaves it hidden, "Ja" offers it.
void TestScreens::collectingAgainAsks()
{
    GuiFixture gui;
    gui.writeWorkbook();
    gui.writeValidSettings();
    TInputForm *input = gui.screens().InputForm;
    input->showScreen();
    const auto showing = [&](const std::function<void(QDialog &)> &onScreen) {
        ModalHooks::setNextAnswer(QStringLiteral("TSelectSheet"), chooseSheet(QStringLiteral("Leden")));
        ModalHooks::setNextAnswer(QStringLiteral("TfmProcessing"), [&](QDialog &d) {
            onScreen(d);
            child<QPushButton>(&d, QStringLiteral("Button4"))->click();
        });
        click(input, QStringLiteral("Button10"));
    };
    const auto verwerken = [](QDialog &d) { return child<QPushButton>(&d, QStringLiteral("Button3")); };
    showing([&](QDialog &d) { verwerken(d)->click(); });
    QCOMPARE(QDir(gui.path(QStringLiteral("uit"))).entryList(QDir::Files).size(), 1);
    gui.takeShown();

    const QString question = QStringLiteral("Vraag: Er zijn 3 incasso's die al eerder zijn verwerkt met dezelfde "
                                            "incassodatum.\rWilt u ze toch opnieuw verwerken?");
    QStringList log;
    bool offered = true;
    ModalHooks::setNextAnswer(QStringLiteral("TfmVraag"), [&](QDialog &box) {
        QCOMPARE(child<QPushButton>(&box, QStringLiteral("Button1"))->text(), QStringLiteral("Ja"));
        child<QPushButton>(&box, QStringLiteral("Button2"))->click();
    });
    showing([&](QDialog &d) {
        offered = verwerken(d)->isVisibleTo(&d);
        log = child<QPlainTextEdit>(&d, QStringLiteral("Memo1"))->toPlainText().split(QLatin1Char('\n'));
    });
    QVERIFY(!offered);
    QVERIFY(log.contains(QStringLiteral("== Verwerking niet gestart: deze incasso's zijn al eerder verwerkt.")));
    QVERIFY(!log.contains(QStringLiteral("== De Excel input is correct. Kies Verwerken.")));
    QCOMPARE(gui.takeShown().mid(1, 2), (QStringList{QStringLiteral("TfmProcessing"), question}));

    ModalHooks::setNextAnswer(QStringLiteral("TfmVraag"), ModalHooks::press(QStringLiteral("Button1")));
    showing([&](QDialog &d) {
        offered = verwerken(d)->isVisibleTo(&d);
        verwerken(d)->click();
    });
    QVERIFY(offered);
    QCOMPARE(gui.takeShown().mid(1, 2), (QStringList{QStringLiteral("TfmProcessing"), question}));
    QCOMPARE(QDir(gui.path(QStringLiteral("uit"))).entryList(QDir::Files).size(), 2);
    KW_CHECK_PAIN008_FILES(gui.path(QStringLiteral("uit")));
}

void TestScreens::layoutAcceptWarnsAndHandsBack()
{
    GuiFixture gui;
    gui.writeValidSettings();
    TInputForm *input = gui.screens().InputForm;
    input->showScreen();
    gui.takeShown();
    ModalHooks::setNextAnswer(QStringLiteral("TLayout"), [](QDialog &d) {
        child<QLineEdit>(&d, QStringLiteral("Edit1"))->setText(QStringLiteral("b"));
        child<QLineEdit>(&d, QStringLiteral("Edit10"))->clear();
        child<QLineEdit>(&d, QStringLiteral("Edit4"))->setText(QStringLiteral("aa"));
        child<QCheckBox>(&d, QStringLiteral("CheckBox2"))->click();
        child<QLineEdit>(&d, QStringLiteral("Edit11"))->setText(QStringLiteral("Jeugd"));
        child<QLineEdit>(&d, QStringLiteral("Edit12"))->clear();
        child<QPushButton>(&d, QStringLiteral("Button1"))->click();
    });
    QList<QPair<int, int>> boxes; // width, left edge of "Sluit" (75 wide, centred)
    ModalHooks::setBoxObserver([&boxes](QDialog &box) {
        boxes.append({box.width(), child<QPushButton>(&box, QStringLiteral("Button1"))->x()});
    });
    click(input, QStringLiteral("Button2"));
    // The wide box first, then the box at its standard size again.
    QCOMPARE(boxes.size(), 2);
    QCOMPARE(boxes.at(0), qMakePair(580, (580 - 75) / 2));
    QVERIFY(boxes.at(1).first < 580);
    const QStringList shown = gui.takeShown();
    QCOMPARE(shown.size(), 3);
    QCOMPARE(shown.at(1), QStringLiteral("Melding: WAARSCHUWING\r\rAlleen de twee adresregels en de BIC code zijn "
                                         "optioneel.\rVerder mag de kolom voor BIC en SequentieCode leeg blijven."
                                         "\rAlle andere velden moeten een kolomletter krijgen."));
    QCOMPARE(shown.at(2), QStringLiteral("Melding: WAARSCHUWING\r\rBij gebruik van het filter moeten zowel te "
                                         "testen kolom\rals ook het criterium ingevuld worden. "));
    // Accepted all the same: the values are handed back.
    const TInputData &d = gui.data();
    QCOMPARE(d.InputArray, (QList<int>{2, 2, 0, 27, 4, 0, 5, 6, 0, 0}));
    QVERIFY(d.cbFilter);
    QCOMPARE(d.strFilterReq, QStringLiteral("Jeugd"));
    QCOMPARE(d.intFilterCol, 0);
}

void TestScreens::layoutTerugDiscardsLetters()
{
    GuiFixture gui;
    gui.writeValidSettings([](TInputData &d) { d.InputArray[lfOmschrijving] = 26; });
    TInputForm *input = gui.screens().InputForm;
    input->showScreen();
    QVERIFY(child<QCheckBox>(input, QStringLiteral("cbHeadings"))->isChecked());
    ModalHooks::setNextAnswer(QStringLiteral("TLayout"), [](QDialog &d) {
        child<QLineEdit>(&d, QStringLiteral("Edit1"))->setText(QStringLiteral("X"));
        child<QCheckBox>(&d, QStringLiteral("CheckBox1"))->click();
        child<QPushButton>(&d, QStringLiteral("Button2"))->click();
    });
    click(input, QStringLiteral("Button2"));
    QVERIFY(!child<QCheckBox>(input, QStringLiteral("cbHeadings"))->isChecked());
    QVERIFY(!gui.data().HasHeadings);
    QCOMPARE(gui.data().InputArray[lfNaam], 1);

    QStringList letters;
    bool filterFieldsVisible = true;
    ModalHooks::setNextAnswer(QStringLiteral("TLayout"), [&](QDialog &d) {
        for (int i = 1; i <= 10; ++i)
            letters.append(child<QLineEdit>(&d, QStringLiteral("Edit%1").arg(i))->text());
        filterFieldsVisible = child<QLineEdit>(&d, QStringLiteral("Edit11"))->isVisibleTo(&d);
        child<QPushButton>(&d, QStringLiteral("Button2"))->click();
    });
    click(input, QStringLiteral("Button2"));
    QCOMPARE(letters,
             (QStringList{QStringLiteral("A"), QStringLiteral("B"), QString(), QStringLiteral("C"), QStringLiteral("D"),
                          QString(), QStringLiteral("E"), QStringLiteral("F"), QString(), QStringLiteral("Z")}));
    QVERIFY(!filterFieldsVisible);
}

void TestScreens::logSaveFirstStart()
{
    GuiFixture gui;
    TInputForm *input = gui.screens().InputForm;
    input->showScreen();
    gui.takeShown();
    QCOMPARE(gui.data().LogSaveFolder, QStringLiteral("<folder voor logbestanden>"));
    ModalHooks::setNextAnswer(QStringLiteral("TSelectFolderDialog"), ModalHooks::press(QStringLiteral("Button2")));
    QString composed;
    ModalHooks::setNextAnswer(QStringLiteral("TFileSaveDialog"), [&composed](QDialog &d) {
        child<QLineEdit>(&d, QStringLiteral("edLogExtension"))->clear();
        composed = child<QLineEdit>(&d, QStringLiteral("edFileSaveName"))->text();
        child<QPushButton>(&d, QStringLiteral("Button3"))->click();
    });
    QVERIFY(!gui.screens().FileSaveDialog->Execute(QStringLiteral("2-3-2026  9h5")));
    QCOMPARE(gui.takeShown(),
             (QStringList{QStringLiteral("TFileSaveDialog"),
                          QStringLiteral("Foutmelding: De map: <folder voor logbestanden>  is niet gevonden"),
                          QStringLiteral("Melding: De ingevoerde map wordt niet gevonden"),
                          QStringLiteral("TSelectFolderDialog")}));
    // An empty extension leaves the point at the end.
    QCOMPARE(composed, QStringLiteral("SEPA_log__2-3-2026  9h5."));
}

void TestScreens::closingSavesEvenWithoutAnswer_data()
{
    QTest::addColumn<bool>("answering");
    QTest::newRow("service answers") << true;
    QTest::newRow("service does not answer") << false;
}

void TestScreens::closingSavesEvenWithoutAnswer()
{
    QFETCH(bool, answering);
    GuiFixture gui;
    TInputForm *input = gui.screens().InputForm;
    input->showScreen();
    QVERIFY(input->excelApp().isHeld());
    child<QLineEdit>(input, QStringLiteral("edIncassant"))->setText(QStringLiteral("Nieuwe naam"));
    gui.takeShown();
    TExcelApp::setNotAnsweringForTest(!answering);
    click(input, QStringLiteral("Button12"));
    TExcelApp::setNotAnsweringForTest(false);
    QCOMPARE(gui.takeShown(), QStringList{Saved});
    QVERIFY(!input->isVisible());
    QVERIFY(!input->excelApp().isHeld());
    QVERIFY(settingsText(gui).contains(QLatin1String("Naam incassant=Nieuwe naam")));
}

void TestScreens::serviceThatCannotStart()
{
    GuiFixture gui;
    gui.writeValidSettings();
    TExcelApp::setStartFailsForTest(true);
    TInputForm *input = gui.screens().InputForm;
    input->showScreen();
    TExcelApp::setStartFailsForTest(false);
    QCOMPARE(gui.takeShown(), QStringList{QStringLiteral("Bericht: Cannot start Excel/Excel not installed ?")});
    // The settings are loaded, but the layout screen is not primed.
    QCOMPARE(gui.data().Incassant, QStringLiteral("Sportclub De Bal"));
    QCOMPARE(gui.screens().Layout->KolomNumbers, QList<int>(LayoutFieldCount, 0));
}

void TestScreens::inputScreenOpensOnce()
{
    GuiFixture gui;
    gui.writeValidSettings();
    TDashboard *dashboard = &gui.app().dashboard();
    dashboard->show();
    click(dashboard, QStringLiteral("Button1"));
    TInputForm *input = gui.screens().InputForm;
    QVERIFY(input->isVisible());
    QCOMPARE(child<QLineEdit>(input, QStringLiteral("edIncassant"))->text(), QStringLiteral("Sportclub De Bal"));
    // The second press brings it to the front without loading the settings again.
    gui.writeValidSettings([](TInputData &d) { d.Incassant = QStringLiteral("Andere club"); });
    child<QLineEdit>(input, QStringLiteral("edBIC"))->setText(QStringLiteral("ABNANL2A"));
    click(dashboard, QStringLiteral("Button1"));
    QCOMPARE(child<QLineEdit>(input, QStringLiteral("edIncassant"))->text(), QStringLiteral("Sportclub De Bal"));
    QCOMPARE(gui.data().BIC, QStringLiteral("ABNANL2A"));
}

// "Open with Kwintor2": the settings are loaded first, then the workbook replaces
// theirs, and closing keeps the choice.
void TestScreens::startWithWorkbook()
{
    GuiFixture gui;
    gui.writeValidSettings();
    QVERIFY(QDir(gui.folder()).mkpath(QStringLiteral("elders")));
    gui.app().start(gui.path(QStringLiteral("elders/leden 2027.xlsx")));
    TInputForm *input = gui.screens().InputForm;
    QVERIFY(gui.screens().Dashboard->isVisible());
    QVERIFY(input->isVisible());
    QCOMPARE(child<QLineEdit>(input, QStringLiteral("edIncassant"))->text(), QStringLiteral("Sportclub De Bal"));
    QCOMPARE(gui.data().InputFolder, gui.path(QStringLiteral("elders")));
    QCOMPARE(gui.data().InputFile, QStringLiteral("leden 2027.xlsx"));
    click(input, QStringLiteral("Button12"));
    QVERIFY(settingsText(gui).contains(QLatin1String("Excel input bestand=leden 2027.xlsx")));
}

void TestScreens::closingMainWindowSavesInput()
{
    GuiFixture gui;
    gui.writeValidSettings();
    TDashboard *dashboard = &gui.app().dashboard();
    dashboard->show();
    click(dashboard, QStringLiteral("Button1"));
    child<QLineEdit>(gui.screens().InputForm, QStringLiteral("edIncassoLabel"))
        ->setText(QStringLiteral("Nog niet bewaard"));
    gui.takeShown();
    click(dashboard, QStringLiteral("Button6"));
    QCOMPARE(gui.takeShown(), QStringList{Saved});
    QVERIFY(!gui.screens().InputForm->isVisible());
    QVERIFY(settingsText(gui).contains(QLatin1String("Incassolabel=Nog niet bewaard")));
}

void TestScreens::startwaardenReloads()
{
    GuiFixture gui;
    gui.writeValidSettings([](TInputData &d) { d.InputArray[lfSeqCode] = 9; });
    TInputForm *input = gui.screens().InputForm;
    input->showScreen();
    child<QLineEdit>(input, QStringLiteral("edIncassant"))->setText(QStringLiteral("Tijdelijk"));
    gui.screens().Layout->KolomNumbers = QList<int>(LayoutFieldCount, 0);
    gui.takeShown();
    click(input, QStringLiteral("Button8"));
    QCOMPARE(gui.takeShown(),
             QStringList{QStringLiteral("Melding: Input gegevens zijn teruggezet op de startwaarden")});
    QCOMPARE(child<QLineEdit>(input, QStringLiteral("edIncassant"))->text(), QStringLiteral("Sportclub De Bal"));
    QCOMPARE(gui.screens().Layout->KolomNumbers, (QList<int>{1, 2, 0, 3, 4, 0, 5, 6, 9, 7}));
    QCOMPARE(gui.screens().fmMelding->width(), 420);
}

void TestScreens::helpWindow()
{
    GuiFixture gui;
    const QString previous = QDir::currentPath();
    THelp *help = &gui.app().help();
    auto *text = child<QTextEdit>(help, QStringLiteral("RichEdit1"));

    QVERIFY(QDir::setCurrent(gui.folder()));
    help->showScreen();
    const QStringList missing = gui.takeShown();
    QCOMPARE(missing.size(), 1);
    QVERIFY2(missing.first().startsWith(QLatin1String("Foutmelding: ")), qPrintable(missing.first()));
    QVERIFY(text->toPlainText().isEmpty());
    click(help, QStringLiteral("Button1"));
    QVERIFY(!help->isVisible());

    QVERIFY(QDir::setCurrent(QStringLiteral(KW_DOCS_DIR)));
    help->showScreen();
    QDir::setCurrent(previous);
    QVERIFY(gui.takeShown().isEmpty());
    QVERIFY(text->toPlainText().size() > 500);
    click(help, QStringLiteral("Button2"));
    QCOMPARE(text->textCursor().position(), text->document()->characterCount() - 2);
    click(help, QStringLiteral("Button3"));
    QCOMPARE(text->textCursor().position(), 0);
    // "Sluit" empties the view; the next showing loads the file again.
    click(help, QStringLiteral("Button1"));
    QVERIFY(text->toPlainText().isEmpty());
}

QTEST_MAIN(TestScreens)
#include "TestScreens.moc"
