#pragma once

#include "ui/Look.h"

#include <memory>

struct TInputData;
class Clock;
class ProcessingRun;
class SettingsStore;
class TFileSaveDialog;
class TInputForm;
namespace Ui {
class TfmProcessing;
}

// "Verwerking": drives a run. The work itself is the core's processing run;
// the screen mirrors its log, its buttons and, at the end, the summary grid
// of the input screen.
class TfmProcessing final : public TScreenDialog
{
    Q_OBJECT
public:
    // The settings store and the clock must outlive the screen.
    TfmProcessing(TInputData &data, const SettingsStore &settings, const Clock &clock, TInputForm &input,
                  QWidget *parent = nullptr);
    ~TfmProcessing() override;
    // Made after this screen: the dialog of "Deze log opslaan".
    void setLogSaveDialog(TFileSaveDialog *dialog) { m_logSave = dialog; }

    // Shows the screen modally: header and row control, then waits until it is closed.
    void Execute();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private Q_SLOTS:
    void saveLog();
    void buildFiles();
    void goBack();

private:
    void FormShow();
    void followLog();

    const std::unique_ptr<Ui::TfmProcessing> m_ui;
    TInputData &m_data;
    const SettingsStore &m_settings;
    const Clock &m_clock;
    TInputForm &m_input;
    TFileSaveDialog *m_logSave = nullptr;
    std::unique_ptr<ProcessingRun> m_run;
    int m_linesShown = 0;
};
