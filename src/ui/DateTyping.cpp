#include "ui/DateTyping.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QKeyEvent>

TDateTyping::TDateTyping(QDateEdit *picker) : QObject(picker), m_picker(picker)
{
    picker->installEventFilter(this);
    // A date chosen in the calendar is no typed one.
    if (QCalendarWidget *calendar = picker->calendarWidget()) {
        connect(calendar, &QCalendarWidget::clicked, this, &TDateTyping::reset);
        connect(calendar, &QCalendarWidget::activated, this, &TDateTyping::reset);
    }
}

void TDateTyping::reset()
{
    m_typed.clear();
    m_lastPart = -1;
}

bool TDateTyping::typedIsDate() const
{
    if (!m_picker->hasAcceptableInput())
        return false;
    const QDate date = m_picker->date();
    for (auto it = m_typed.cbegin(); it != m_typed.cend(); ++it) {
        const QDateTimeEdit::Section part = m_picker->sectionAt(it.key());
        const int shown = part == QDateTimeEdit::DaySection     ? date.day()
                          : part == QDateTimeEdit::MonthSection ? date.month()
                                                                : date.year();
        if (it.value().toInt() != shown)
            return false;
    }
    return true;
}

bool TDateTyping::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_picker)
        return false;
    if (event->type() == QEvent::MouseButtonPress) {
        reset();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    const QString text = key->text();
    const int part = m_picker->currentSectionIndex();
    if (text.size() == 1 && text.at(0).isDigit()) {
        if (part != m_lastPart)
            m_typed[part].clear();
        m_typed[part] += text;
        m_lastPart = part;
        return false;
    }
    const bool separator = text == QLatin1String("-") || text == QLatin1String("/") || text == QLatin1String(".");
    // The picker moved on after a complete part: the separator is taken as typed already.
    const bool movedOn = separator && m_lastPart >= 0 && part != m_lastPart;
    m_lastPart = -1;
    switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        // Stepped with the arrows: what the picker shows is what the user chose.
        m_typed.clear();
        break;
    default:
        break;
    }
    return movedOn;
}
