#pragma once

#include "model/InputData.h"
#include "ui/ExcelApp.h"

#include <QList>
#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class TDateDialog;
class TFileSelectionDialog;
class TLayout;
class TSelectFolderDialog;
class TSelectSheet;
class TfmMelding;
class TfmProcessing;

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

    explicit TInputForm(TInputData &data, QWidget *parent = nullptr);
    ~TInputForm() override;
    // Most are made after this screen, so they come once all are made.
    void setDialogs(const Dialogs &dialogs) { m_dialogs = dialogs; }

    // Shows the screen with its opening steps; a visible screen is only brought to the front.
    void showScreen();
    TExcelApp &excelApp() { return m_excel; }
    // The summary of the last run, which the processing screen fills.
    QTableWidget *summaryGrid() const { return StringGrid1; }
    // The heading check box (the layout screen's "Terug" sets it).
    void setHeadings(bool on);
    // Folder and name of this workbook into their fields, as if chosen with their buttons.
    void chooseWorkbook(const QString &path);

    QLineEdit *edIncassant;
    QLineEdit *edZZZ;
    QLineEdit *edIBAN;
    QLineEdit *edBIC;
    QLineEdit *edIncassoLabel;
    QLineEdit *edInputFolder;
    QLineEdit *edInputFile;
    QLineEdit *edTargetFolder;
    QLineEdit *edDefaultSequenceCode;
    QLineEdit *edIncDate2;
    QLineEdit *edOmschrijving;
    QCheckBox *cbHeadings;
    QLabel *Label23;       // the filter line
    QPushButton *Button1;  // input folder
    QPushButton *Button11; // workbook file
    QPushButton *Button2;  // layout
    QPushButton *Button3;  // target folder
    QPushButton *Button14; // collection date
    QPushButton *Button7;  // save
    QPushButton *Button8;  // start values
    QPushButton *Button9;  // Check
    QPushButton *Button10; // Go !
    QPushButton *Button12; // Afsluiten
    QPlainTextEdit *Memo1;
    QTableWidget *StringGrid1;

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

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
    void saveSettings();

    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button7Click();
    void Button8Click();
    void Button9Click();
    void Button10Click();
    void Button11Click();
    void Button14Click();

    TInputData &m_data;
    Dialogs m_dialogs;
    TExcelApp m_excel;
    QList<Binding> m_bindings;
};
