#pragma once

#include "ui/Look.h"

#include <QString>

#include <memory>

struct TInputData;
class TSelectFolderDialog;
namespace Ui {
class TFileSaveDialog;
}

// "Bestand opslaan": the folder and the name of a saved processing log.
// Folder, prefix and extension are views of the logging fields of the input data.
class TFileSaveDialog final : public TScreenDialog
{
    Q_OBJECT
public:
    TFileSaveDialog(TInputData &data, TSelectFolderDialog &folders, QWidget *parent = nullptr);
    ~TFileSaveDialog() override;

    // Shows the dialog with this name part and waits; true when closed with "Opslaan".
    bool Execute(const QString &namePart);
    // The folder, the separator and the composed name.
    QString filePath() const;

private Q_SLOTS:
    void chooseSaveFolder();

private:
    void FormShow();
    void composeFileName();

    const std::unique_ptr<Ui::TFileSaveDialog> m_ui;
    TInputData &m_data;
    TSelectFolderDialog &m_folders;
};
