#pragma once

#include "model/InputData.h"
#include "ui/ExcelApp.h"

#include <QList>
#include <QWidget>

#include <memory>

class Clock;
class QLineEdit;
class QTableWidget;
class SettingsStore;
class TDateDialog;
class TFileSelectionDialog;
class TLayout;
class TSelectFolderDialog;
class TSelectSheet;
class TfmMelding;
class TfmProcessing;
namespace Ui {
class TInputForm;
}

// "SEPA incasso bestand - invoergegevens": edits the input data in place,
// loads and saves the settings, verifies the input and starts a run.
class TInputForm final : public QWidget
{
    Q_OBJECT
public:
    // The screens it opens, all modal.
    struct Dialogs
    {
        TLayout *layout = nullptr;
        TSelectFolderDialog *folders = nullptr;
        TFileSelectionDialog *files = nullptr;
        TDateDialog *date = nullptr;
        TSelectSheet *sheet = nullptr;
        TfmProcessing *processing = nullptr;
        TfmMelding *melding = nullptr;
    };

    // The settings store and the clock must outlive the screen.
    TInputForm(TInputData &data, const SettingsStore &settings, const Clock &clock, QWidget *parent = nullptr);
    ~TInputForm() override;
    // Most are made after this screen, so they come once all are made.
    void setDialogs(const Dialogs &dialogs) { m_dialogs = dialogs; }

    // Shows the screen with its opening steps; a visible screen is only brought to the front.
    void showScreen();
    TExcelApp &excelApp() { return m_excel; }
    // The summary of the last run, which the processing screen fills.
    QTableWidget *summaryGrid() const;
    // The heading check box (the layout screen's "Terug" sets it).
    void setHeadings(bool on);
    // Folder and name of this workbook into their fields, as if chosen with their buttons.
    void chooseWorkbook(const QString &path);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private Q_SLOTS:
    void chooseInputFolder();
    void chooseInputFile();
    void defineLayout();
    void chooseTargetFolder();
    void chooseCollectionDate();
    void saveInput();
    void restoreStartValues();
    void checkInput();
    void startRun();

private:
    struct Binding
    {
        QLineEdit *edit;
        QString TInputData::*field;
    };

    void FormShow();
    void FormClose();
    void showFields();
    void refreshFilterLine(bool layoutAccepted);
    void primeLayout();
    void fieldExit(QLineEdit *edit);

    const std::unique_ptr<Ui::TInputForm> m_ui;
    TInputData &m_data;
    const SettingsStore &m_settings;
    const Clock &m_clock;
    Dialogs m_dialogs;
    TExcelApp m_excel;
    QList<Binding> m_bindings;
};
