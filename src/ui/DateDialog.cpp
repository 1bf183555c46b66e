#include "ui/DateDialog.h"

#include "model/Clock.h"
#include "rules/DateAmountRules.h"
#include "ui/DateTyping.h"
#include "ui/Look.h"
#include "ui/MessageBoxes.h"
#include "ui/ModalHooks.h"
#include "ui_DateDialog.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTextCharFormat>

namespace {
// The picker's date from a "d-m-y" text; an invalid text gives no date.
QDate parseDatum(const QString &text)
{
    QStringList parts = text.split(QLatin1Char('-'));
    while (parts.size() > 3)
        parts[2] += QLatin1Char('-') + parts.takeAt(3);
    if (parts.size() != 3)
        return {};
    bool okDay = false, okMonth = false, okYear = false;
    const int day = parts[0].trimmed().toInt(&okDay);
    const int month = parts[1].trimmed().toInt(&okMonth);
    const int year = parts[2].trimmed().toInt(&okYear);
    if (!okDay || !okMonth || !okYear)
        return {};
    return QDate(year, month, day);
}
} // namespace

TDateDialog::TDateDialog(const Clock &clock, QWidget *parent)
    : TScreenDialog(parent), m_ui(std::make_unique<Ui::TDateDialog>()), m_clock(clock)
{
    // The form makes "OK" first and starts the tab order there.
    m_ui->setupUi(this);
    Look::setupFormWindow(this, Look::Border::None, Look::DialogBackground);
    Look::setKeyButtons(this, m_ui->Button2, m_ui->Button1);
    m_typing = new TDateTyping(m_ui->DateTimePicker1);

    connect(m_ui->Button1, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TDateDialog::acceptDate);
    // A typed day the month lacks is moved by the picker; that is no change to a date, and it stays red.
    connect(m_ui->DateTimePicker1, &QDateEdit::dateChanged, this,
            [this] { setPickerColour(m_typing->typedIsDate() ? Look::DialogBackground : QColor(255, 0, 0)); });
    m_ui->DateTimePicker1->installEventFilter(this);
    if (auto *text = m_ui->DateTimePicker1->findChild<QLineEdit *>())
        text->installEventFilter(this);
    if (QCalendarWidget *calendar = m_ui->DateTimePicker1->calendarWidget()) {
        m_calendarWindow = calendar->window();
        m_calendarWindow->installEventFilter(this);
        connect(calendar, &QCalendarWidget::currentPageChanged, this, &TDateDialog::muteUnusableDays);
        // The calendar draws the days of the months before and after in the view's disabled text
        // colour, over any format of their own; the style makes that white, as if they were usable.
        if (auto *view = calendar->findChild<QTableView *>(QStringLiteral("qt_calendar_calendarview")))
            view->setStyleSheet(QStringLiteral("QTableView:disabled { color: %1; }").arg(MutedDayColour.name()));
    }
    setPickerColour(Look::DialogBackground);
    Look::applyWindowFont(this);
}

TDateDialog::~TDateDialog() = default;

bool TDateDialog::Execute()
{
    FormShow();
    return ModalHooks::run(*this, QStringLiteral("TDateDialog")) == QDialog::Accepted;
}

void TDateDialog::FormShow()
{
    const QRect form = anchorRect();
    move(form.left() + 40, form.top() + 350);
    QDate date = DatumStr.isEmpty() ? m_clock.now().date() : parseDatum(DatumStr);
    // A hand-edited settings file may hold anything: the picker then starts today.
    if (!date.isValid())
        date = m_clock.now().date();
    const QSignalBlocker block(m_ui->DateTimePicker1);
    m_ui->DateTimePicker1->setDate(date);
    muteUnusableDays(date.year(), date.month());
    m_openedDate = date;
    m_typing->reset();
    // Digits and arrow keys go straight into the date, from the day on; Enter is "OK".
    m_ui->DateTimePicker1->setSelectedSection(QDateTimeEdit::DaySection);
    m_ui->DateTimePicker1->setFocus();
}

void TDateDialog::acceptDate()
{
    if (!m_typing->typedIsDate()) {
        {
            const QSignalBlocker block(m_ui->DateTimePicker1);
            m_ui->DateTimePicker1->setDate(m_openedDate);
        }
        m_typing->reset();
        ShowErrorMessage(QStringLiteral("Dit is geen geldige datum: de vorige datum blijft staan.\r"
                                        "Typ de datum als dd-mm-jjjj of kies hem in de kalender."));
        m_ui->DateTimePicker1->setSelectedSection(QDateTimeEdit::DaySection);
        m_ui->DateTimePicker1->setFocus();
        return;
    }
    DatumStr = m_ui->DateTimePicker1->date().toString(QStringLiteral("dd-MM-yyyy"));
    accept();
}

void TDateDialog::muteUnusableDays(int year, int month)
{
    QCalendarWidget *calendar = m_ui->DateTimePicker1->calendarWidget();
    if (!calendar)
        return;
    // Today and before, weekends and bank holidays: the bank cannot collect on them. They
    // can still be chosen; the verification then says why the date is refused.
    calendar->setDateTextFormat(QDate(), QTextCharFormat());
    QTextCharFormat muted;
    muted.setForeground(MutedDayColour);
    const QDate today = m_clock.now().date();
    const QDate first(year, month, 1);
    // A page shows six weeks, some days of the months before and after included.
    for (QDate day = first.addDays(-7); day <= first.addDays(45); day = day.addDays(1)) {
        if (day <= today || !IsBankWorkingDay(day))
            calendar->setDateTextFormat(day, muted);
    }
}

void TDateDialog::setPickerColour(const QColor &colour)
{
    m_colour = colour;
    // The text stays readable on every background the picker takes.
    const QString text = colour.lightness() > 128 ? QStringLiteral("black") : QStringLiteral("white");
    m_ui->DateTimePicker1->setStyleSheet(
        QStringLiteral("QDateEdit { background-color: %1; color: %2; }").arg(colour.name(), text));
}

bool TDateDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->DateTimePicker1 || watched->parent() == m_ui->DateTimePicker1) {
        switch (event->type()) {
        case QEvent::FocusIn:
            setPickerColour(QColor(0, 0, 255));
            break;
        case QEvent::FocusOut:
            if (static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
                setPickerColour(QColor(0, 0, 0));
            break;
        case QEvent::KeyPress:
            setPickerColour(QColor(255, 0, 0));
            break;
        case QEvent::MouseButtonPress:
            setPickerColour(Look::DialogBackground);
            break;
        default:
            break;
        }
    } else if (watched == m_calendarWindow) {
        if (event->type() == QEvent::Show)
            setPickerColour(QColor(255, 255, 0));
        else if (event->type() == QEvent::Hide)
            setPickerColour(QColor(0, 128, 0));
    }
    return QDialog::eventFilter(watched, event);
}
