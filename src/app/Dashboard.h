#pragma once

#include <QWidget>

#include <memory>

class THelp;
class TInputForm;
namespace Ui {
class TDashboard;
}

// The main window "SEPA incasso": opens the input screen and the help window,
// or ends the application.
class TDashboard final : public QWidget
{
    Q_OBJECT
public:
    explicit TDashboard(QWidget *parent = nullptr);
    ~TDashboard() override;
    // Both are made after the main window.
    void setScreens(TInputForm *input, THelp *help);

public Q_SLOTS:
    // "Verwerk Excel input".
    void openInputScreen();
    // "Beschrijving".
    void showHelp();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    const std::unique_ptr<Ui::TDashboard> m_ui;
    TInputForm *m_input = nullptr;
    THelp *m_help = nullptr;
};
