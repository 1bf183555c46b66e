#pragma once

#include <QWidget>

class QPushButton;
class QTextEdit;

// "SEPA incasso help": the help text, read from "Kwintor2 incasso.rtf" in the
// working directory each time the window opens.
class THelp final : public QWidget
{
    Q_OBJECT
public:
    explicit THelp(QWidget *parent = nullptr);

    static QString helpFileName();

    // Shows the window and loads the text; a visible window is only brought to the front.
    void showScreen();

    QPushButton *Button3; // Top
    QPushButton *Button2; // Einde
    QPushButton *Button1; // Sluit
    QTextEdit *RichEdit1;

private:
    void FormShow();
};
