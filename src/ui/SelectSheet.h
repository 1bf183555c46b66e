#pragma once

#include "ui/Look.h"

#include <QString>
#include <QStringList>

#include <memory>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class TExcelApp;

// "Selecteer Excel Worksheet": picks the worksheet of the run.
class TSelectSheet final : public TScreenDialog
{
    Q_OBJECT
public:
    // The worksheets are read through the input screen's handle on the spreadsheet application.
    explicit TSelectSheet(TExcelApp &excel, QWidget *parent = nullptr);

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

    TExcelApp &m_excel;
    std::unique_ptr<QStringList> m_sheetList;
};
