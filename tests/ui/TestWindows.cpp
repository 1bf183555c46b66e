// Every window on a laptop screen: it fits, its buttons can be reached, and
// Enter and Escape do what its buttons do. Run with the two laptop screens of
// screens.json (ctest sets them).
#include "GuiFixture.h"
#include "app/Dashboard.h"
#include "app/Help.h"
#include "ui/DateDialog.h"
#include "ui/FileSaveDialog.h"
#include "ui/FileSelectionDialog.h"
#include "ui/InputForm.h"
#include "ui/LayoutScreen.h"
#include "ui/MessageBoxes.h"
#include "ui/ProcessingScreen.h"
#include "ui/SelectFolderDialog.h"
#include "ui/SelectSheet.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTableWidget>
#include <QTest>

namespace {
using Inspect = std::function<void(QWidget &window)>;

QScreen *screenNamed(const QString &name)
{
    for (QScreen *screen : QGuiApplication::screens())
        if (screen->name() == name)
            return screen;
    return nullptr;
}

// The font a control is drawn in, as text.
QString fontOf(const QWidget *w)
{
    const QFont f = w->font();
    return QStringLiteral("%1 %2px%3").arg(f.family()).arg(f.pixelSize()).arg(f.bold() ? " bold" : "");
}

// Opens the window with this object name as the application does, runs inspect while it is
// open, and closes it again. The modal ones are opened through their Execute.
void openWindow(GuiFixture &gui, const QString &name, const Inspect &inspect)
{
    const auto answer = [&inspect](QDialog &d) { inspect(d); };
    const TScreens &s = gui.screens();
    if (name == QLatin1String("Dashboard") || name == QLatin1String("InputForm") || name == QLatin1String("Help")) {
        QWidget *window = name == QLatin1String("Dashboard") ? s.Dashboard
                          : name == QLatin1String("Help")    ? s.Help
                                                             : static_cast<QWidget *>(s.InputForm);
        if (window == s.Help)
            click(s.Dashboard, QStringLiteral("Button5"));
        else if (window == s.InputForm)
            s.InputForm->showScreen();
        else
            window->show();
        inspect(*window);
        window->hide();
    } else if (name == QLatin1String("fmVraag")) {
        ModalHooks::setNextAnswer(QStringLiteral("TfmVraag"), answer);
        AskQuestion(QStringLiteral("Er zijn 3 incasso's die al eerder zijn verwerkt met dezelfde incassodatum.\r"
                                   "Wilt u ze toch opnieuw verwerken?"));
    } else if (name == QLatin1String("fmMelding") || name == QLatin1String("ErrorMessage")) {
        ModalHooks::setBoxObserver(answer);
        if (name == QLatin1String("fmMelding"))
            ShowMelding(QStringLiteral("Input gegevens zijn opgeslagen"));
        else
            ShowErrorMessage(QStringLiteral("De map: x  is niet gevonden"));
        ModalHooks::setBoxObserver(nullptr);
    } else {
        const QHash<QString, QString> classes = {
            {QStringLiteral("Layout"), QStringLiteral("TLayout")},
            {QStringLiteral("SelectFolderDialog"), QStringLiteral("TSelectFolderDialog")},
            {QStringLiteral("FileSelectionDialog"), QStringLiteral("TFileSelectionDialog")},
            {QStringLiteral("DateDialog"), QStringLiteral("TDateDialog")},
            {QStringLiteral("SelectSheet"), QStringLiteral("TSelectSheet")},
            {QStringLiteral("fmProcessing"), QStringLiteral("TfmProcessing")},
            {QStringLiteral("FileSaveDialog"), QStringLiteral("TFileSaveDialog")}};
        ModalHooks::setNextAnswer(classes.value(name), answer);
        if (name == QLatin1String("Layout"))
            s.Layout->Execute();
        else if (name == QLatin1String("SelectFolderDialog"))
            s.SelectFolderDialog->Execute();
        else if (name == QLatin1String("FileSelectionDialog")) {
            s.FileSelectionDialog->SelectedFolder = gui.path(QStringLiteral("in"));
            s.FileSelectionDialog->Execute();
        } else if (name == QLatin1String("DateDialog"))
            s.DateDialog->Execute();
        else if (name == QLatin1String("SelectSheet")) {
            s.SelectSheet->WorkBookName = gui.path(QStringLiteral("in/incasso.xlsx"));
            s.SelectSheet->Execute();
        } else if (name == QLatin1String("fmProcessing"))
            s.fmProcessing->Execute();
        else
            s.FileSaveDialog->Execute(QStringLiteral("2-3-2026  9h5"));
    }
    QCOMPARE(ModalHooks::pendingAnswers(), 0);
}

// The application with valid settings and the workbook, its input screen open.
void openInputScreen(GuiFixture &gui)
{
    gui.writeWorkbook();
    gui.writeValidSettings();
    gui.screens().InputForm->showScreen();
    gui.data().SelectedWorkbook = gui.path(QStringLiteral("in/incasso.xlsx"));
    gui.data().SelectedSheet = QStringLiteral("Leden");
}
} // namespace

class TestWindows : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void fitsTheScreen_data();
    void fitsTheScreen();
    void enterAndEscape_data();
    void enterAndEscape();
    void tabReachesEveryField();
    void placedByTheirWindow_data();
    void placedByTheirWindow();
};

void TestWindows::initTestCase()
{
    QVERIFY2(screenNamed(QStringLiteral("Laptop")) && screenNamed(QStringLiteral("Laptop 150%")),
             "run with QT_QPA_PLATFORM=offscreen:configfile=tests/ui/screens.json");
    QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 1366, 768));
}

void TestWindows::fitsTheScreen_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("screen");
    QTest::addColumn<bool>("scrolls");
    const QString laptop = QStringLiteral("Laptop");
    for (const char *name : {"Dashboard", "SelectFolderDialog", "fmMelding", "ErrorMessage", "FileSelectionDialog",
                             "DateDialog", "SelectSheet", "fmProcessing", "FileSaveDialog", "fmVraag"})
        QTest::newRow(name) << QString::fromLatin1(name) << laptop << false;
    // Too high for both laptops: 857, 831 and 861 pixels; at 150% the room is 720.
    for (const QString &screen : {laptop, QStringLiteral("Laptop 150%")})
        for (const char *name : {"InputForm", "Layout", "Help"})
            QTest::newRow(qPrintable(QLatin1String(name) + QLatin1Char(' ') + screen))
                << QString::fromLatin1(name) << screen << true;
}

void TestWindows::fitsTheScreen()
{
    QFETCH(QString, window);
    QFETCH(QString, screen);
    QFETCH(bool, scrolls);
    GuiFixture gui;
    const QRect available = screenNamed(screen)->availableGeometry();
    // The main window and the input screen stand on that screen; the others place themselves by them.
    gui.screens().Dashboard->move(available.topLeft() + QPoint(40, 40));
    gui.screens().InputForm->move(available.topLeft() + QPoint(20, 20));
    QSize ownSize;
    QHash<QString, QPoint> places;
    QHash<QString, QString> fonts;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == window) {
            ownSize = w->size();
            for (QPushButton *b : w->findChildren<QPushButton *>())
                places.insert(b->objectName(), b->pos());
            // A control with a style sheet of its own takes its font from it when shown.
            for (const QWidget *c : w->findChildren<QWidget *>())
                if (!c->objectName().isEmpty() && !c->objectName().startsWith(QLatin1String("qt_")) &&
                    c->styleSheet().isEmpty())
                    fonts.insert(c->objectName(), fontOf(c));
        }
    openInputScreen(gui);

    QWidget *shown = nullptr;
    openWindow(gui, window, [&](QWidget &w) {
        shown = &w;
        QVERIFY2(available.contains(w.frameGeometry()),
                 qPrintable(
                     QStringLiteral("%1 in %2").arg(QDebug::toString(w.frameGeometry()), QDebug::toString(available))));
        auto *area = w.findChild<QScrollArea *>(QString(), Qt::FindDirectChildrenOnly);
        QCOMPARE(area != nullptr, scrolls);
        if (area) {
            QCOMPARE(area->widget()->size(), ownSize);
            // The frame takes the room of the screen in the direction that does not fit.
            QCOMPARE(w.frameGeometry().height(), available.height());
            // Inside the scroll area every control keeps the font the window gave it.
            for (const QWidget *c : area->widget()->findChildren<QWidget *>())
                if (fonts.contains(c->objectName()))
                    QCOMPARE(fontOf(c) + u' ' + c->objectName(), fonts.value(c->objectName()) + u' ' + c->objectName());
        }
        // Every button can be brought into view, at its own place in the window's controls.
        const QList<QPushButton *> buttons = w.findChildren<QPushButton *>();
        QVERIFY(!buttons.isEmpty());
        for (QPushButton *b : buttons) {
            if (!b->isVisibleTo(&w))
                continue;
            QWidget *view = &w;
            if (area) {
                area->ensureWidgetVisible(b, 0, 0);
                view = area->viewport();
                QCOMPARE(b->pos(), places.value(b->objectName()));
            }
            const QRect inView(b->mapTo(view, QPoint(0, 0)), b->size());
            QVERIFY2(view->rect().contains(inView), qPrintable(b->objectName()));
        }
    });
    QVERIFY(shown);
    // Closed, the window is as its screen built it again.
    QVERIFY(!shown->findChild<QScrollArea *>(QString(), Qt::FindDirectChildrenOnly));
    if (scrolls)
        QCOMPARE(shown->size(), ownSize);
}

void TestWindows::enterAndEscape_data()
{
    // What the window does with the key: "OK", "Cancel", "open", "closed", or the first box it shows.
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("focus"); // where Enter is pressed; empty: where the window opens with the focus
    QTest::addColumn<QString>("enter");
    QTest::addColumn<QString>("escape");
    QTest::newRow("message box") << "fmMelding"
                                 << ""
                                 << "OK"
                                 << "OK";
    QTest::newRow("question box: Enter on Nee, which has the focus") << "fmVraag"
                                                                     << ""
                                                                     << "Cancel"
                                                                     << "Cancel";
    QTest::newRow("error box") << "ErrorMessage"
                               << ""
                               << "OK"
                               << "OK";
    QTest::newRow("date, Enter on Cancel") << "DateDialog"
                                           << "Button1"
                                           << "Cancel"
                                           << "Cancel";
    QTest::newRow("file, Enter in the name") << "FileSelectionDialog"
                                             << "Edit1"
                                             << "OK"
                                             << "Cancel";
    QTest::newRow("folder, Enter in the list") << "SelectFolderDialog"
                                               << "DirectoryListBox1"
                                               << "OK"
                                               << "Cancel";
    QTest::newRow("sheet, Enter in the list") << "SelectSheet"
                                              << ""
                                              << "OK"
                                              << "Cancel";
    QTest::newRow("log save, Enter in a field") << "FileSaveDialog"
                                                << "edLogSavePrefix"
                                                << "OK"
                                                << "Cancel";
    QTest::newRow("layout, Enter on a check box") << "Layout"
                                                  << "CheckBox1"
                                                  << "OK"
                                                  << "Cancel";
    QTest::newRow("processing, Enter on the log") << "fmProcessing"
                                                  << "Memo1"
                                                  << "open"
                                                  << "OK";
    QTest::newRow("help, Enter in the text") << "Help"
                                             << ""
                                             << "open"
                                             << "closed";
    QTest::newRow("input screen, Enter on Check")
        << "InputForm"
        << ""
        << "Melding: De input is getest. Er zijn geen\rfouten gevonden\rAlle incassos krijgen sequentiecode : RCUR"
        << "Melding: Input gegevens zijn opgeslagen";
}

void TestWindows::enterAndEscape()
{
    QFETCH(QString, window);
    QFETCH(QString, focus);
    QFETCH(QString, enter);
    QFETCH(QString, escape);
    for (const auto &[key, outcome] : {std::pair{Qt::Key_Return, enter}, std::pair{Qt::Key_Escape, escape}}) {
        GuiFixture gui;
        openInputScreen(gui);
        if (window == QLatin1String("InputForm"))
            gui.screens().InputForm->hide();
        QString found;
        openWindow(gui, window, [&, key = key](QWidget &w) {
            if (key == Qt::Key_Return && !focus.isEmpty())
                child<QWidget>(&w, focus)->setFocus();
            ModalHooks::shown().clear();
            QTest::keyClick(w.focusWidget() ? w.focusWidget() : &w, key);
            if (outcome.contains(QLatin1Char(':')))
                found = ModalHooks::shown().value(0);
            else if (w.isVisible())
                found = QStringLiteral("open");
            else if (auto *dialog = qobject_cast<QDialog *>(&w))
                found = dialog->result() == QDialog::Accepted ? QStringLiteral("OK") : QStringLiteral("Cancel");
            else
                found = QStringLiteral("closed");
        });
        QCOMPARE(found, outcome);
    }
}

void TestWindows::tabReachesEveryField()
{
    GuiFixture gui;
    openInputScreen(gui);
    TInputForm *input = gui.screens().InputForm;
    auto *check = child<QPushButton>(input, QStringLiteral("Button9"));
    QApplication::setActiveWindow(input);
    QVERIFY(QTest::qWaitForWindowActive(input));
    QCOMPARE(QApplication::focusWidget(), check);
    auto *area = input->findChild<QScrollArea *>();
    QVERIFY(area);

    // Tab from "Check" round to it again: every field and button on the way, each brought into view.
    QSet<QWidget *> reached;
    for (int step = 0; step < 40 && (reached.isEmpty() || QApplication::focusWidget() != check); ++step) {
        QWidget *now = QApplication::focusWidget();
        reached.insert(now);
        // At least its first line: a memo scrolls its cursor into view, not all of itself.
        const QRect inView(now->mapTo(area->viewport(), QPoint(0, 0)), QSize(now->width(), qMin(now->height(), 30)));
        QVERIFY2(area->viewport()->rect().contains(inView), qPrintable(now->objectName()));
        QTest::keyClick(now, Qt::Key_Tab);
    }
    QCOMPARE(QApplication::focusWidget(), check);
    QStringList missed;
    for (QWidget *w : input->findChildren<QWidget *>())
        if ((qobject_cast<QLineEdit *>(w) || qobject_cast<QAbstractButton *>(w)) && (w->focusPolicy() & Qt::TabFocus) &&
            !reached.contains(w))
            missed.append(w->objectName());
    QVERIFY2(missed.isEmpty(), qPrintable(missed.join(QLatin1String(", "))));
    QVERIFY(!reached.contains(input->summaryGrid()));
}

void TestWindows::placedByTheirWindow_data()
{
    // Where a window opens, from the top left corner of the window it goes by: the main window
    // for the help window, the input screen for all others, whichever screen opens them.
    QTest::addColumn<QString>("window");
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<bool>("fitsBelow"); // false: too high for the laptop, so only its left edge is where it was put
    QTest::newRow("layout screen") << "Layout" << QPoint(-40, 60) << false;
    QTest::newRow("folder dialog") << "SelectFolderDialog" << QPoint(-100, 150) << true;
    QTest::newRow("file dialog") << "FileSelectionDialog" << QPoint(-80, 180) << true;
    QTest::newRow("date dialog") << "DateDialog" << QPoint(40, 350) << true;
    QTest::newRow("processing screen") << "fmProcessing" << QPoint(100, 150) << true;
    QTest::newRow("log save dialog") << "FileSaveDialog" << QPoint(-100, 150) << true;
    QTest::newRow("help window") << "Help" << QPoint(-100, -50) << false;
}

void TestWindows::placedByTheirWindow()
{
    QFETCH(QString, window);
    QFETCH(QPoint, offset);
    QFETCH(bool, fitsBelow);
    GuiFixture gui;
    openInputScreen(gui);
    gui.screens().Dashboard->show();
    const QWidget *by = window == QLatin1String("Help") ? gui.screens().Dashboard : gui.screens().InputForm;
    const QPoint expected = by->frameGeometry().topLeft() + offset;
    QPoint placed;
    openWindow(gui, window, [&placed](QWidget &w) { placed = w.pos(); });
    QCOMPARE(placed.x(), expected.x());
    if (fitsBelow)
        QCOMPARE(placed.y(), expected.y());
}

QTEST_MAIN(TestWindows)
#include "TestWindows.moc"
