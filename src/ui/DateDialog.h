#pragma once

#include "ui/Look.h"

#include <QColor>
#include <QDate>
#include <QDialog>
#include <QString>

class QDateEdit;
class QPushButton;
class TDateTyping;

// "Datum invoer": picks the collection date.
class TDateDialog final : public TScreenDialog
{
    Q_OBJECT
public:
    explicit TDateDialog(QWidget *parent = nullptr);

    // "dd-mm-yyyy" or empty.
    QString DatumStr;

    // Shows the dialog and waits; true when closed with OK (DatumStr then holds the date).
    bool Execute();

    QColor pickerColour() const { return m_colour; }
    // The colour of the days in the calendar that the bank cannot use.
    static inline const QColor MutedDayColour{160, 160, 160};

    QDateEdit *DateTimePicker1;
    QPushButton *Button1; // Cancel
    QPushButton *Button2; // OK

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    void muteUnusableDays(int year, int month);
    void Button2Click();
    void setPickerColour(const QColor &colour);

    QColor m_colour;
    QObject *m_calendarWindow = nullptr;
    TDateTyping *m_typing;
    QDate m_openedDate;
};
