#pragma once

#include "ui/Look.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace Ui {
class TFileSelectionDialog;
}

// "Excel bestand Selecteren": picks the workbook within a folder.
class TFileSelectionDialog final : public TScreenDialog
{
    Q_OBJECT
public:
    explicit TFileSelectionDialog(QWidget *parent = nullptr);
    ~TFileSelectionDialog() override;

    QString SelectedFolder;
    QString SelectedFile;

    // Shows the dialog and waits; true when closed with OK.
    bool Execute();

    // The workbook names in the folder, each once, in name order.
    static QStringList WorkbookFiles(const QString &folder);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    void chooseHighlighted();

    const std::unique_ptr<Ui::TFileSelectionDialog> m_ui;
};
