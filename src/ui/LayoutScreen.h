#pragma once

#include "ui/Look.h"

#include <QList>
#include <QString>

#include <memory>

struct TInputData;
class QLineEdit;
class TfmMelding;
namespace Ui {
class TLayout;
}

// "Layout van de Excel tabel": the column of each table field, the heading
// row and the row filter, on a working copy that the input screen fills and
// takes over when the user accepts.
class TLayout final : public TScreenDialog
{
    Q_OBJECT
public:
    // The record is only read: the heading row that the screen starts with.
    explicit TLayout(const TInputData &data, QWidget *parent = nullptr);
    ~TLayout() override;
    // Made after this screen: the box of the warnings.
    void setMessageBox(TfmMelding *box) { m_melding = box; }

    // The working copy.
    QList<int> KolomNumbers;
    bool HasHeadings = false;
    bool HasFilter = false;
    QString FilterReq;
    int FilterCol = 0;

    // Shows the screen and waits; true when closed with "Accepteer".
    bool Execute();
    // True when every required column and, with the filter on, criterion and column are given.
    bool TestRequiredInput();

Q_SIGNALS:
    // "Terug": the input screen's heading check box takes this state.
    void headingsChosen(bool on);

private Q_SLOTS:
    void showFilterFields();
    void acceptLayout();
    void goBack();

private:
    void FormShow();
    void CollectInfo();

    const std::unique_ptr<Ui::TLayout> m_ui;
    const TInputData &m_data;
    TfmMelding *m_melding = nullptr;
    QList<QLineEdit *> m_columnEdits; // Edit1 to Edit10
};
