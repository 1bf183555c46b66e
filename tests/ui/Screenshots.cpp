// Draws every screen, dialog and box of the application into PNG files, with
// the carried visual style, for the documentation. Not a test: scripts/screenshots
// runs it under Xvfb with KW_SCREENSHOTS naming the output folder and KW_DOCS
// the folder that holds the help text. With KW_LAPTOP naming a laptop screen
// ("1366x768"), it draws instead the three largest windows as a person sees them
// there, whole screen and window manager's frames included.
#include "GuiFixture.h"
#include "app/Dashboard.h"
#include "app/Help.h"
#include "app/KwintorApp.h"
#include "ui/InputForm.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QTest>

class Screenshots : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everyScreen();
    void onALaptop();

private:
    void save(QWidget *window, const QString &name);
    void saveScreen(QWidget *window, const QString &name);
    ModalHooks::Answer grabAndPress(const QString &name, const QString &button);

    QDir m_out;
};

void Screenshots::initTestCase()
{
    const QString out = qEnvironmentVariable("KW_SCREENSHOTS");
    if (out.isEmpty())
        QSKIP("KW_SCREENSHOTS names no output folder");
    QVERIFY(QDir().mkpath(out));
    m_out = QDir(out);
    QApplication::setApplicationName(QStringLiteral("SEPA Incasso"));
    QVERIFY(ApplyVisualStyle());
}

void Screenshots::save(QWidget *window, const QString &name)
{
    QApplication::processEvents();
    QVERIFY(window->grab().save(m_out.filePath(name + QStringLiteral(".png"))));
}

ModalHooks::Answer Screenshots::grabAndPress(const QString &name, const QString &button)
{
    return [this, name, button](QDialog &dialog) {
        save(&dialog, name);
        ModalHooks::press(button)(dialog);
    };
}

void Screenshots::saveScreen(QWidget *window, const QString &name)
{
    QVERIFY(QTest::qWaitForWindowExposed(window));
    // The window manager frames the window a moment after it is shown.
    for (int i = 0; i < 40 && window->windowHandle()->frameMargins().isNull(); ++i)
        QTest::qWait(50);
    QTest::qWait(300);
    const QString file = name + QLatin1Char('-') + qEnvironmentVariable("KW_LAPTOP") + QStringLiteral(".png");
    QVERIFY(window->screen()->grabWindow(0).save(m_out.filePath(file)));
}

void Screenshots::onALaptop()
{
    if (qEnvironmentVariableIsEmpty("KW_LAPTOP"))
        QSKIP("KW_LAPTOP names no laptop screen");
    GuiFixture gui(QDir::tempPath() + QStringLiteral("/Kwintor2 voorbeeld"));
    gui.writeWorkbook();
    gui.writeValidSettings([](TInputData &d) { d.IncassoLabel = QStringLiteral("Contributie maart 2026"); });
    TDashboard *dashboard = &gui.app().dashboard();
    dashboard->show();
    click(dashboard, QStringLiteral("Button1"));
    TInputForm *input = gui.screens().InputForm;
    saveScreen(input, QStringLiteral("15-invoerscherm"));
    ModalHooks::setNextAnswer(QStringLiteral("TLayout"), [this](QDialog &d) {
        saveScreen(&d, QStringLiteral("16-layout"));
        ModalHooks::press(QStringLiteral("Button2"))(d);
    });
    click(input, QStringLiteral("Button2"));
    const QString docs = qEnvironmentVariable("KW_DOCS");
    if (!docs.isEmpty())
        QDir::setCurrent(docs);
    THelp *help = &gui.app().help();
    help->showScreen();
    saveScreen(help, QStringLiteral("17-help"));
}

void Screenshots::everyScreen()
{
    if (!qEnvironmentVariableIsEmpty("KW_LAPTOP"))
        QSKIP("the laptop pictures only");
    GuiFixture gui(QDir::tempPath() + QStringLiteral("/Kwintor2 voorbeeld"));
    gui.writeWorkbook();
    gui.writeValidSettings([](TInputData &d) { d.IncassoLabel = QStringLiteral("Contributie maart 2026"); });

    TDashboard *dashboard = &gui.app().dashboard();
    dashboard->show();
    save(dashboard, QStringLiteral("01-hoofdvenster"));

    click(dashboard, QStringLiteral("Button1"));
    TInputForm *input = gui.screens().InputForm;
    save(input, QStringLiteral("02-invoerscherm"));

    ModalHooks::setNextAnswer(QStringLiteral("TLayout"),
                              grabAndPress(QStringLiteral("03-layout"), QStringLiteral("Button2")));
    click(input, QStringLiteral("Button2"));
    ModalHooks::setNextAnswer(QStringLiteral("TSelectFolderDialog"),
                              grabAndPress(QStringLiteral("04-map-selecteren"), QStringLiteral("Button2")));
    click(input, QStringLiteral("Button1"));
    ModalHooks::setNextAnswer(QStringLiteral("TFileSelectionDialog"),
                              grabAndPress(QStringLiteral("05-bestand-selecteren"), QStringLiteral("Button1")));
    click(input, QStringLiteral("Button11"));
    ModalHooks::setNextAnswer(QStringLiteral("TDateDialog"),
                              grabAndPress(QStringLiteral("06-datum"), QStringLiteral("Button1")));
    click(input, QStringLiteral("Button14"));

    ModalHooks::setBoxObserver([this](QDialog &box) { save(&box, QStringLiteral("07-melding")); });
    click(input, QStringLiteral("Button9"));
    ModalHooks::setBoxObserver([this](QDialog &box) { save(&box, QStringLiteral("08-foutmelding")); });
    auto *ibanField = child<QLineEdit>(input, QStringLiteral("edIBAN"));
    const QString iban = ibanField->text();
    ibanField->setText(QStringLiteral("NL13TEST0123456788"));
    leaveField(ibanField);
    ibanField->setText(iban);
    ModalHooks::setBoxObserver(nullptr);

    ModalHooks::setNextAnswer(QStringLiteral("TSelectSheet"), [this](QDialog &d) {
        // Chosen with a double click, which leaves the dialog open; Enter would go on at once.
        auto *list = child<QListWidget>(&d, QStringLiteral("ListBox1"));
        const QPoint first = list->visualItemRect(list->item(0)).center();
        // As a hand does it: a press before the double click, or the list has no item to open.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, first);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, first);
        save(&d, QStringLiteral("09-werkblad"));
        child<QPushButton>(&d, QStringLiteral("Button2"))->click();
    });
    ModalHooks::setNextAnswer(QStringLiteral("TfmProcessing"), [this](QDialog &d) {
        save(&d, QStringLiteral("10-verwerking"));
        child<QPushButton>(&d, QStringLiteral("Button3"))->click();
        save(&d, QStringLiteral("11-verwerking-na-run"));
        ModalHooks::setNextAnswer(QStringLiteral("TFileSaveDialog"),
                                  grabAndPress(QStringLiteral("12-log-opslaan"), QStringLiteral("Button3")));
        child<QPushButton>(&d, QStringLiteral("Button2"))->click();
        child<QPushButton>(&d, QStringLiteral("Button4"))->click();
    });
    click(input, QStringLiteral("Button10"));
    save(input, QStringLiteral("13-invoerscherm-na-run"));

    // "Go !" once more: the same collections again, and the question before collecting them twice.
    ModalHooks::setNextAnswer(QStringLiteral("TSelectSheet"), [](QDialog &d) {
        QTest::keyClick(child<QListWidget>(&d, QStringLiteral("ListBox1")), Qt::Key_Return);
    });
    ModalHooks::setNextAnswer(QStringLiteral("TfmVraag"),
                              grabAndPress(QStringLiteral("18-vraag"), QStringLiteral("Button2")));
    ModalHooks::setNextAnswer(QStringLiteral("TfmProcessing"), [this](QDialog &d) {
        save(&d, QStringLiteral("19-verwerking-niet-gestart"));
        child<QPushButton>(&d, QStringLiteral("Button4"))->click();
    });
    click(input, QStringLiteral("Button10"));

    const QString docs = qEnvironmentVariable("KW_DOCS");
    if (!docs.isEmpty())
        QDir::setCurrent(docs);
    THelp *help = &gui.app().help();
    help->showScreen();
    save(help, QStringLiteral("14-help"));
    const QString shown = gui.takeShown().join(QLatin1Char('|'));
    QVERIFY2(!shown.contains(QLatin1String("onbeantwoord")), qPrintable(shown));
    QVERIFY2(shown.count(QLatin1String("TfmProcessing")) == 2, qPrintable(shown));
}

QTEST_MAIN(Screenshots)
#include "Screenshots.moc"
