#pragma once

#include <QMap>
#include <QObject>
#include <QString>

class QDateEdit;

// Typing a date into the date picker as dd-mm-yyyy. The picker edits the day,
// the month and the year one after the other, and on its own it would let a
// typed date go wrong without a sign: after a complete day it moves on to the
// month by itself, so the dash typed next skipped the month; and it turns a day
// that the month lacks (31-02) into the month's last day. This keeps the dash
// from skipping, and remembers what was typed so that such a date is known.
class TDateTyping final : public QObject
{
public:
    explicit TDateTyping(QDateEdit *picker);

    // Forgets what was typed (a new showing, or a date picked otherwise).
    void reset();
    // False when the text is no whole date or shows a part other than the one typed.
    bool typedIsDate() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QDateEdit *m_picker;
    QMap<int, QString> m_typed; // the digits typed into each part, by the part's index
    int m_lastPart = -1;        // the part that the last key typed into
};
