#pragma once

#include <QWidget>

class QLabel;
class SettingsStore;
class QPushButton;
class QTextEdit;

// "SEPA incasso help": the help text, read from "Kwintor2 incasso.rtf" each time
// the window opens, and the settings file in use. Built in code: it is its text
// view and a column of three buttons.
class THelp final : public QWidget
{
    Q_OBJECT
public:
    // It opens by the main window and names the settings file of settings, which must outlive it.
    THelp(const QWidget &mainWindow, const SettingsStore &settings, QWidget *parent = nullptr);

    static QString helpFileName();
    // The help file in the working directory, else among the installed program's
    // files (../share/kwintor2), else beside the executable; the bare name when none is there.
    static QString helpFilePath();

    // Shows the window and loads the text; a visible window is only brought to the front.
    void showScreen();

private Q_SLOTS:
    void scrollToTop();
    void scrollToEnd();
    void closeHelp();

private:
    void FormShow();

    const QWidget &m_mainWindow;
    const SettingsStore &m_settings;
    QPushButton *m_close;
    QTextEdit *m_text;
    QLabel *m_settingsFile;
};
