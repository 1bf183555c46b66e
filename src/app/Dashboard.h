#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;

// The main window "SEPA incasso": opens the input screen and the help window,
// or ends the application.
class TDashboard final : public QWidget
{
    Q_OBJECT
public:
    explicit TDashboard(QWidget *parent = nullptr);

    QPushButton *Button5; // Beschrijving
    QPushButton *Button1; // Verwerk Excel input
    QPushButton *Button6; // Afsluiten
    QPlainTextEdit *Memo1;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
};
