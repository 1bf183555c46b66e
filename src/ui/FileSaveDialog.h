#pragma once

#include "ui/Look.h"

#include <QString>

struct TInputData;
class QLineEdit;
class QPushButton;
class TSelectFolderDialog;

// "Bestand opslaan": the folder and the name of a saved processing log.
// Folder, prefix and extension are views of the logging fields of the input data.
class TFileSaveDialog final : public TScreenDialog
{
    Q_OBJECT
public:
    TFileSaveDialog(TInputData &data, TSelectFolderDialog &folders, QWidget *parent = nullptr);

    // Shows the dialog with this name part and waits; true when closed with "Opslaan".
    bool Execute(const QString &namePart);
    // The folder, the separator and the composed name.
    QString filePath() const;

    QLineEdit *edSaveFolder;
    QPushButton *Button1; // " . . ."
    QLineEdit *edLogSavePrefix;
    QLineEdit *edBestandsNaam;
    QLineEdit *edLogExtension;
    QLineEdit *edFileSaveName;
    QPushButton *btSave;
    QPushButton *Button3; // Cancel

private:
    void FormShow();
    void composeFileName();
    void Button1Click();

    TInputData &m_data;
    TSelectFolderDialog &m_folders;
};
