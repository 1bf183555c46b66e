#pragma once

#include "ui/Look.h"

#include <QString>
#include <QStringList>

#include <memory>

class TExcelApp;
namespace Ui {
class TSelectSheet;
}

// "Selecteer Excel Worksheet": picks the worksheet of the run.
class TSelectSheet final : public TScreenDialog
{
    Q_OBJECT
public:
    // The worksheets are read through the input screen's handle on the spreadsheet application.
    explicit TSelectSheet(TExcelApp &excel, QWidget *parent = nullptr);
    ~TSelectSheet() override;

    QString Caption;      // the prompt shown in Label1
    QString SheetName;    // the chosen worksheet
    QString WorkBookName; // folder, separator, file name

    // Shows the dialog and waits; true when closed with "Verder".
    bool Execute();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    void chooseHighlighted();

    const std::unique_ptr<Ui::TSelectSheet> m_ui;
    TExcelApp &m_excel;
    std::unique_ptr<QStringList> m_sheetList;
};
