#pragma once

#include <QWidget>

class QPlainTextEdit;
class QPushButton;
class THelp;
class TInputForm;

// The main window "SEPA incasso": opens the input screen and the help window,
// or ends the application.
class TDashboard final : public QWidget
{
    Q_OBJECT
public:
    explicit TDashboard(QWidget *parent = nullptr);
    // Both are made after the main window.
    void setScreens(TInputForm *input, THelp *help);

    QPushButton *Button5; // Beschrijving
    QPushButton *Button1; // Verwerk Excel input
    QPushButton *Button6; // Afsluiten
    QPlainTextEdit *Memo1;

public Q_SLOTS:
    // "Verwerk Excel input".
    void openInputScreen();
    // "Beschrijving".
    void showHelp();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    TInputForm *m_input = nullptr;
    THelp *m_help = nullptr;
};
