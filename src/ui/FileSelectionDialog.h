#pragma once

#include "ui/Look.h"

#include <QDialog>
#include <QString>
#include <QStringList>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// "Excel bestand Selecteren": picks the workbook within a folder.
class TFileSelectionDialog final : public TScreenDialog
{
    Q_OBJECT
public:
    explicit TFileSelectionDialog(QWidget *parent = nullptr);

    QString SelectedFolder;
    QString SelectedFile;

    // Shows the dialog and waits; true when closed with OK.
    bool Execute();

    // The workbook names in the folder, each once, in name order.
    static QStringList WorkbookFiles(const QString &folder);

    QListWidget *FileListBox1;
    QLineEdit *Edit1;
    QLineEdit *Edit2;
    QPushButton *Button1; // Cancel
    QPushButton *Button2; // OK

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    void chooseHighlighted();
};
