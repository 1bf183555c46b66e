#include "GuiFixture.h"
#include "model/Notice.h"
#include "ui/DateDialog.h"
#include "ui/FileSelectionDialog.h"
#include "ui/InputForm.h"
#include "ui/Look.h"
#include "ui/MessageBoxes.h"
#include "ui/SelectFolderDialog.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {
// A text whose single-line width in the label's font is exactly target pixels; empty when none is found.
QString textOfWidth(const QLabel *label, int target)
{
    for (int wide = 0; wide < 200; ++wide)
        for (int narrow = 0; narrow < 40; ++narrow)
            for (const QChar fill : {QLatin1Char('i'), QLatin1Char('.'), QLatin1Char(' '), QLatin1Char('l')}) {
                const QString text = QString(wide, QLatin1Char('m')) + QString(narrow, fill);
                if (Look::textWidth(label, text) == target)
                    return text;
            }
    return {};
}

void touch(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
}
} // namespace

class TestBoxes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void meldingLabelWidth_data();
    void meldingLabelWidth();
    void meldingPlacement();
    void meldingSetBasics();
    void errorBoxShowsLines();
    void boxButtonStaysInView();
    void noticesReachTheBoxes();
    void dateDialog_data();
    void dateDialog();
    void dateDialogCancelKeepsDate();
    void dateDialogMutesDaysTheBankCannotUse();
    void dateTyping_data();
    void dateTyping();
    void datePickerColours();
    void fileSelectionListsWorkbooksOnce();
    void fileSelectionTakesTheSelectedFile();
    void folderDialog_data();
    void folderDialog();
    void folderDialogAddsFolder();
    void driveListStartsAtTheRoot();
};

void TestBoxes::meldingLabelWidth_data()
{
    QTest::addColumn<int>("measured");
    QTest::addColumn<int>("labelWidth");
    QTest::newRow("699 pixels") << 699 << 380;
    QTest::newRow("700 pixels") << 700 << 500;
    QTest::newRow("short") << 40 << 380;
}

void TestBoxes::meldingLabelWidth()
{
    QFETCH(int, measured);
    QFETCH(int, labelWidth);
    GuiFixture gui;
    TfmMelding *box = gui.screens().fmMelding;
    auto *label = child<QLabel>(box, QStringLiteral("Label1"));
    const QString text = textOfWidth(label, measured);
    if (text.isEmpty())
        QSKIP("no text of that exact width in this font");
    box->Melding = text;
    QVERIFY(box->Execute());
    QCOMPARE(label->width(), labelWidth);
    QCOMPARE(gui.takeShown(), QStringList{QStringLiteral("Melding: ") + text});
}

void TestBoxes::meldingPlacement()
{
    GuiFixture gui;
    gui.screens().InputForm->move(120, 40);
    TfmMelding *box = gui.screens().fmMelding;
    box->Melding = QStringLiteral("Input gegevens zijn opgeslagen");
    box->Execute();
    const QRect form = gui.screens().InputForm->frameGeometry();
    // Its own height and width are those of its client area, as the box's sizes are given.
    const int h = box->height();
    const int w = box->width();
    // One and a half times its height to the right of, half its height above, the centred place.
    const int centredLeft = form.left() + (form.width() - w) / 2;
    const int centredTop = form.top() + (form.height() - h) / 2;
    QCOMPARE(box->frameGeometry().left() - centredLeft, h + h / 2);
    QCOMPARE(centredTop - box->frameGeometry().top(), h / 2);
}

void TestBoxes::meldingSetBasics()
{
    GuiFixture gui;
    TfmMelding *box = gui.screens().fmMelding;
    auto *button = child<QPushButton>(box, QStringLiteral("Button1"));
    box->SetWidth(580);
    box->SetTextWidth(450);
    button->move(480, button->y());
    box->SetBasics();
    QCOMPARE(box->width(), 420);
    QCOMPARE(box->x(), 200);
    QCOMPARE(button->x(), 288);
    QCOMPARE(child<QLabel>(box, QStringLiteral("Label1"))->width(), 380);
}

void TestBoxes::errorBoxShowsLines()
{
    GuiFixture gui;
    TErrorMessage *box = gui.screens().ErrorMessage;
    box->ErrorMessage = QStringLiteral("een\rtwee\rdrie");
    QVERIFY(box->Execute());
    QCOMPARE(child<QLabel>(box, QStringLiteral("Label1"))->text(), QStringLiteral("Foutmelding :"));
    auto *text = child<QLabel>(box, QStringLiteral("Label2"));
    QCOMPARE(text->text().split(QLatin1Char('\n')).size(), 3);
    QCOMPARE(text->width(), 450);
    const int line = text->fontMetrics().lineSpacing();
    QVERIFY(text->height() >= 3 * line);
    // The whole text stays inside the box, above its bottom edge.
    QVERIFY(text->geometry().bottom() < box->height());
}

void TestBoxes::boxButtonStaysInView()
{
    GuiFixture gui;
    QList<int> widths;
    QList<QRect> buttons;
    ModalHooks::setBoxObserver([&](QDialog &d) {
        widths.append(d.width());
        buttons.append(child<QPushButton>(&d, QStringLiteral("Button1"))->geometry());
    });
    // A wide message widens the box; "Startwaarden" then narrows it to 450 for its own message.
    ShowMelding(QString(100, QLatin1Char('m')));
    TfmMelding *box = gui.screens().fmMelding;
    box->SetWidth(450);
    ShowMelding(QStringLiteral("Input gegevens zijn teruggezet op de startwaarden"));
    box->SetBasics();
    ShowErrorMessage(QStringLiteral("Corrigeer de fouten in het inputscherm\ren verifieer opnieuw"));
    QCOMPARE(widths, (QList<int>{47 + 500 + 20, 450, 626}));
    for (int i = 0; i < widths.size(); ++i) {
        const QRect &b = buttons.at(i);
        QVERIFY(b.left() >= 0 && b.right() < widths.at(i));
        QVERIFY(qAbs(b.left() - (widths.at(i) - 1 - b.right())) <= 1);
    }
}

void TestBoxes::noticesReachTheBoxes()
{
    GuiFixture gui;
    ShowMelding(QStringLiteral("melding"));
    ShowErrorMessage(QStringLiteral("fout"));
    ShowErrorDialog(QStringLiteral("bestand"));
    QCOMPARE(gui.takeShown(), (QStringList{QStringLiteral("Melding: melding"), QStringLiteral("Foutmelding: fout"),
                                           QStringLiteral("Fout: bestand")}));
}

void TestBoxes::dateDialog_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QDate>("shown");
    QTest::addColumn<QString>("returned");
    QTest::newRow("two digits") << "05-03-2024" << QDate(2024, 3, 5) << "05-03-2024";
    QTest::newRow("one digit") << "5-3-2024" << QDate(2024, 3, 5) << "05-03-2024";
    QTest::newRow("empty: today") << "" << QDate(2026, 3, 2) << "02-03-2026";
    QTest::newRow("no date: today") << "31-02-2024" << QDate(2026, 3, 2) << "02-03-2026";
    QTest::newRow("not numbers: today") << "morgen" << QDate(2026, 3, 2) << "02-03-2026";
}

void TestBoxes::dateDialog()
{
    QFETCH(QString, given);
    QFETCH(QDate, shown);
    QFETCH(QString, returned);
    GuiFixture gui;
    TDateDialog *dialog = gui.screens().DateDialog;
    dialog->DatumStr = given;
    QDate opened;
    ModalHooks::setNextAnswer(QStringLiteral("TDateDialog"), [&opened](QDialog &d) {
        opened = child<QDateEdit>(&d, QStringLiteral("DateTimePicker1"))->date();
        child<QPushButton>(&d, QStringLiteral("Button2"))->click();
    });
    QVERIFY(dialog->Execute());
    QCOMPARE(opened, shown);
    QCOMPARE(dialog->DatumStr, returned);
    QCOMPARE(child<QDateEdit>(dialog, QStringLiteral("DateTimePicker1"))->text(), QStringLiteral("     ") + returned);
}

void TestBoxes::dateDialogCancelKeepsDate()
{
    GuiFixture gui;
    TDateDialog *dialog = gui.screens().DateDialog;
    dialog->DatumStr = QStringLiteral("5-3-2024");
    ModalHooks::setNextAnswer(QStringLiteral("TDateDialog"), [](QDialog &d) {
        child<QDateEdit>(&d, QStringLiteral("DateTimePicker1"))->setDate(QDate(2025, 1, 1));
        child<QPushButton>(&d, QStringLiteral("Button1"))->click();
    });
    QVERIFY(!dialog->Execute());
    QCOMPARE(dialog->DatumStr, QStringLiteral("5-3-2024"));
}

// Today (Monday 2 March 2026) and before, weekends and bank holidays look muted,
// also on a page the user turns to; they can still be chosen.
void TestBoxes::dateDialogMutesDaysTheBankCannotUse()
{
    GuiFixture gui;
    TDateDialog *dialog = gui.screens().DateDialog;
    dialog->DatumStr = QStringLiteral("16-03-2026");
    QCalendarWidget *calendar = child<QDateEdit>(dialog, QStringLiteral("DateTimePicker1"))->calendarWidget();
    const auto muted = [calendar](const QDate &day) {
        return calendar->dateTextFormat(day).foreground().color() == TDateDialog::MutedDayColour;
    };
    ModalHooks::setNextAnswer(QStringLiteral("TDateDialog"), [&](QDialog &d) {
        QVERIFY(muted(QDate(2026, 3, 1)));
        QVERIFY(muted(QDate(2026, 3, 2)));
        QVERIFY(!muted(QDate(2026, 3, 3)));
        QVERIFY(muted(QDate(2026, 3, 7)));
        QVERIFY(!muted(QDate(2026, 3, 16)));
        QVERIFY(muted(QDate(2026, 4, 3))); // Good Friday, on the page of March
        // Days of the months around the page are drawn in the view's disabled colour: muted too.
        auto *view = calendar->findChild<QTableView *>(QStringLiteral("qt_calendar_calendarview"));
        QVERIFY(view);
        view->ensurePolished();
        QCOMPARE(view->palette().color(QPalette::Disabled, QPalette::Text), TDateDialog::MutedDayColour);
        calendar->setCurrentPage(2026, 12);
        QVERIFY(muted(QDate(2026, 12, 25)));
        QVERIFY(muted(QDate(2026, 12, 26)));
        QVERIFY(!muted(QDate(2026, 12, 24)));
        QVERIFY(muted(QDate(2027, 1, 1)));
        child<QDateEdit>(&d, QStringLiteral("DateTimePicker1"))->setDate(QDate(2026, 12, 26));
        child<QPushButton>(&d, QStringLiteral("Button2"))->click();
    });
    QVERIFY(dialog->Execute());
    QCOMPARE(dialog->DatumStr, QStringLiteral("26-12-2026"));
}

void TestBoxes::dateTyping_data()
{
    QTest::addColumn<QString>("typed"); // "^" for the up arrow
    QTest::addColumn<QString>("returned");
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("whole date") << "16-03-2027"
                                << "16-03-2027" << QStringList();
    QTest::newRow("short date") << "6-3-2027"
                                << "06-03-2027" << QStringList();
    QTest::newRow("up arrow") << "^"
                              << "06-03-2024" << QStringList();
    QTest::newRow("no date") << "31-02-2027"
                             << "05-03-2024"
                             << QStringList{QStringLiteral("Foutmelding: Dit is geen geldige datum: de vorige datum "
                                                           "blijft staan.\rTyp de datum als dd-mm-jjjj of kies hem "
                                                           "in de kalender.")};
}

void TestBoxes::dateTyping()
{
    QFETCH(QString, typed);
    QFETCH(QString, returned);
    QFETCH(QStringList, boxes);
    GuiFixture gui;
    TDateDialog *dialog = gui.screens().DateDialog;
    dialog->DatumStr = QStringLiteral("05-03-2024");
    QString shownAfterOk;
    ModalHooks::setNextAnswer(QStringLiteral("TDateDialog"), [&](QDialog &d) {
        auto *picker = child<QDateEdit>(&d, QStringLiteral("DateTimePicker1"));
        QCOMPARE(d.focusWidget(), picker);
        for (const QChar c : typed) {
            if (c == QLatin1Char('^'))
                QTest::keyClick(picker, Qt::Key_Up);
            else
                QTest::keyClick(picker, c.toLatin1());
        }
        QTest::keyClick(picker, Qt::Key_Return);
        // A text that is no date leaves the dialog open on the date it had.
        if (d.isVisible()) {
            QCOMPARE(dialog->pickerColour(), QColor(255, 0, 0));
            shownAfterOk = picker->text();
            child<QPushButton>(&d, QStringLiteral("Button1"))->click();
        }
    });
    dialog->Execute();
    QCOMPARE(dialog->DatumStr, returned);
    QCOMPARE(gui.takeShown().mid(1), boxes);
    if (!boxes.isEmpty())
        QCOMPARE(shownAfterOk, QStringLiteral("     05-03-2024"));
}

void TestBoxes::datePickerColours()
{
    GuiFixture gui;
    TDateDialog *dialog = gui.screens().DateDialog;
    QDateEdit *picker = child<QDateEdit>(dialog, QStringLiteral("DateTimePicker1"));
    auto send = [picker](QEvent::Type type) {
        QFocusEvent event(type, Qt::TabFocusReason);
        QApplication::sendEvent(picker, &event);
    };
    send(QEvent::FocusIn);
    QCOMPARE(dialog->pickerColour(), QColor(0, 0, 255));
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Shift, Qt::NoModifier);
    QApplication::sendEvent(picker, &key);
    QCOMPARE(dialog->pickerColour(), QColor(255, 0, 0));
    picker->setDate(picker->date().addDays(1));
    QCOMPARE(dialog->pickerColour(), QColor(48, 62, 69));
    send(QEvent::FocusOut);
    QCOMPARE(dialog->pickerColour(), QColor(0, 0, 0));
}

void TestBoxes::fileSelectionListsWorkbooksOnce()
{
    GuiFixture gui;
    for (const char *name : {"a.xls", "b.xlsx", "c.XLSX", "d.xlsm", "e.txt", "f.xls.bak"})
        touch(gui.path(QLatin1String(name)));
    QCOMPARE(TFileSelectionDialog::WorkbookFiles(gui.folder()),
             (QStringList{QStringLiteral("a.xls"), QStringLiteral("b.xlsx"), QStringLiteral("c.XLSX"),
                          QStringLiteral("d.xlsm")}));
}

void TestBoxes::fileSelectionTakesTheSelectedFile()
{
    GuiFixture gui;
    touch(gui.path(QStringLiteral("a.xls")));
    touch(gui.path(QStringLiteral("b.xlsx")));
    TFileSelectionDialog *dialog = gui.screens().FileSelectionDialog;
    dialog->SelectedFolder = gui.folder();
    dialog->SelectedFile = QStringLiteral("b.xlsx");

    // A single click on another file, then "OK": that file is taken.
    ModalHooks::setNextAnswer(QStringLiteral("TFileSelectionDialog"), [](QDialog &d) {
        auto *list = child<QListWidget>(&d, QStringLiteral("FileListBox1"));
        QCOMPARE(list->currentItem()->text(), QStringLiteral("b.xlsx"));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
        child<QPushButton>(&d, QStringLiteral("Button2"))->click();
    });
    QVERIFY(dialog->Execute());
    QCOMPARE(dialog->SelectedFile, QStringLiteral("a.xls"));

    // Enter in the list chooses the highlighted file and closes with "OK".
    ModalHooks::setNextAnswer(QStringLiteral("TFileSelectionDialog"), [](QDialog &d) {
        auto *list = child<QListWidget>(&d, QStringLiteral("FileListBox1"));
        list->setCurrentRow(1);
        QTest::keyClick(list, Qt::Key_Return);
    });
    QVERIFY(dialog->Execute());
    QCOMPARE(dialog->SelectedFile, QStringLiteral("b.xlsx"));
    QCOMPARE(child<QLineEdit>(dialog, QStringLiteral("Edit1"))->text(), QStringLiteral("b.xlsx"));
}

void TestBoxes::folderDialog_data()
{
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QString>("opensOn"); // "cwd", "start" or "" (unchanged)
    QTest::addColumn<QStringList>("boxes");
    QTest::newRow("placeholder") << "<map voor de te maken SEPA XML bestanden>"
                                 << "Button3" << true << "cwd" << QStringList();
    QTest::newRow("existing") << "temp"
                              << "Button3" << true << "start" << QStringList();
    QTest::newRow("cancel") << "temp"
                            << "Button2" << false << "start" << QStringList();
    QTest::newRow("missing") << "/bestaat/niet"
                             << "Button2" << false << ""
                             << QStringList{QStringLiteral("Foutmelding: De ingevoerde map wordt niet gevonden")};
}

void TestBoxes::folderDialog()
{
    QFETCH(QString, start);
    QFETCH(QString, button);
    QFETCH(bool, result);
    QFETCH(QString, opensOn);
    QFETCH(QStringList, boxes);
    GuiFixture gui;
    if (start == QLatin1String("temp"))
        start = QDir::toNativeSeparators(gui.folder());
    TSelectFolderDialog *dialog = gui.screens().SelectFolderDialog;
    dialog->SelectedFolder = start;
    ModalHooks::setNextAnswer(QStringLiteral("TSelectFolderDialog"), ModalHooks::press(button));
    QCOMPARE(dialog->Execute(), result);
    QStringList expected = boxes;
    expected.prepend(QStringLiteral("TSelectFolderDialog"));
    QCOMPARE(gui.takeShown(), expected);
    if (opensOn == QLatin1String("cwd"))
        QCOMPARE(dialog->SelectedFolder, QDir::toNativeSeparators(QDir::currentPath()));
    else if (opensOn == QLatin1String("start"))
        QCOMPARE(dialog->SelectedFolder, start);
    QVERIFY(!dialog->CurrentDrive.isEmpty());
}

void TestBoxes::folderDialogAddsFolder()
{
    GuiFixture gui;
    TSelectFolderDialog *dialog = gui.screens().SelectFolderDialog;
    dialog->SelectedFolder = gui.folder();
    ModalHooks::setNextAnswer(QStringLiteral("TSelectFolderDialog"), [](QDialog &d) {
        child<QLineEdit>(&d, QStringLiteral("edNewFolder"))->setText(QStringLiteral("logs/2026"));
        child<QPushButton>(&d, QStringLiteral("Button1"))->click();
        child<QPushButton>(&d, QStringLiteral("Button3"))->click();
    });
    QVERIFY(dialog->Execute());
    QVERIFY(QFileInfo(gui.path(QStringLiteral("logs/2026"))).isDir());
    // The new folder is not selected and the name stays.
    QCOMPARE(dialog->SelectedFolder, QDir::toNativeSeparators(gui.folder()));
    QCOMPARE(child<QLineEdit>(dialog, QStringLiteral("edNewFolder"))->text(), QStringLiteral("logs/2026"));
    auto *folders = child<QListWidget>(dialog, QStringLiteral("DirectoryListBox1"));
    QVERIFY(!folders->findItems(QStringLiteral("logs"), Qt::MatchEndsWith).isEmpty());
}

void TestBoxes::driveListStartsAtTheRoot()
{
    const QStringList roots = TSelectFolderDialog::DriveRoots();
    QVERIFY(!roots.isEmpty());
#ifndef Q_OS_WIN
    QCOMPARE(roots.first(), QStringLiteral("/"));
    for (const QString &root : roots.mid(1))
        QVERIFY2(root.startsWith(QLatin1String("/media/")) || root.startsWith(QLatin1String("/mnt/")),
                 qPrintable(root));
#endif
}

QTEST_MAIN(TestBoxes)
#include "TestBoxes.moc"
