#pragma once

#include "ui/Look.h"

#include <QColor>
#include <QDate>
#include <QString>

#include <memory>

class Clock;
class TDateTyping;
namespace Ui {
class TDateDialog;
}

// "Datum invoer": picks the collection date.
class TDateDialog final : public TScreenDialog
{
    Q_OBJECT
public:
    // Today is the clock's, which must outlive the dialog.
    explicit TDateDialog(const Clock &clock, QWidget *parent = nullptr);
    ~TDateDialog() override;

    // "dd-mm-yyyy" or empty.
    QString DatumStr;

    // Shows the dialog and waits; true when closed with OK (DatumStr then holds the date).
    bool Execute();

    QColor pickerColour() const { return m_colour; }
    // The colour of the days in the calendar that the bank cannot use.
    static inline const QColor MutedDayColour{160, 160, 160};

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private Q_SLOTS:
    void acceptDate();

private:
    void FormShow();
    void muteUnusableDays(int year, int month);
    void setPickerColour(const QColor &colour);

    const std::unique_ptr<Ui::TDateDialog> m_ui;
    const Clock &m_clock;
    QColor m_colour;
    QObject *m_calendarWindow = nullptr;
    TDateTyping *m_typing;
    QDate m_openedDate;
};
