#pragma once

#include "ui/Look.h"

#include <memory>

class ProcessingRun;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// "Verwerking": drives a run. The work itself is the core's processing run;
// the screen mirrors its log, its buttons and, at the end, the summary grid.
class TfmProcessing final : public TScreenDialog
{
    Q_OBJECT
public:
    explicit TfmProcessing(QWidget *parent = nullptr);
    ~TfmProcessing() override;

    // Shows the screen modally: header and row control, then waits until it is closed.
    void Execute();
    // The run of the last showing; nullptr before the first.
    ProcessingRun *run() const { return m_run.get(); }

    QLabel *Label1;
    QLabel *Label3;
    QPlainTextEdit *Memo1;
    QPushButton *Button2; // Deze log opslaan
    QPushButton *Button3; // Verwerken
    QPushButton *Button4; // Terug / Afsluiten

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void followLog();

    std::unique_ptr<ProcessingRun> m_run;
    int m_linesShown = 0;
};
