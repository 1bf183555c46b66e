#pragma once

#include "ui/Look.h"

#include <QString>
#include <QStringList>

#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// "Selecteer Excel Worksheet": picks the worksheet of the run.
class TSelectSheet final : public TScreenDialog
{
    Q_OBJECT
public:
    explicit TSelectSheet(QWidget *parent = nullptr);

    QString Caption;      // the prompt shown in Label1
    QString SheetName;    // the chosen worksheet
    QString WorkBookName; // folder, separator, file name

    // Shows the dialog and waits; true when closed with "Verder".
    bool Execute();

    QLabel *Label1;
    QListWidget *ListBox1;
    QLineEdit *Edit1;
    QPushButton *Button1; // Terug
    QPushButton *Button2; // Verder

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    void chooseHighlighted();

    std::unique_ptr<QStringList> m_sheetList;
};
