#pragma once

#include "ui/Look.h"

#include <QList>
#include <QString>

struct TInputData;
class QCheckBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TfmMelding;

// "Layout van de Excel tabel": the column of each table field, the heading
// row and the row filter, on a working copy that the input screen fills and
// takes over when the user accepts.
class TLayout final : public TScreenDialog
{
    Q_OBJECT
public:
    // The record is only read: the heading row that the screen starts with.
    explicit TLayout(const TInputData &data, QWidget *parent = nullptr);
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

    QCheckBox *CheckBox1;
    QCheckBox *CheckBox2;
    QLabel *Label15;
    QLineEdit *Edit11;
    QLabel *Label16;
    QLineEdit *Edit12;
    QList<QLineEdit *> columnEdits; // Edit1 to Edit10
    QPlainTextEdit *Memo1;
    QPushButton *Button1; // Accepteer
    QPushButton *Button2; // Terug

Q_SIGNALS:
    // "Terug": the input screen's heading check box takes this state.
    void headingsChosen(bool on);

private:
    void FormShow();
    void CheckBox2Click();
    void Button1Click();
    void Button2Click();
    void CollectInfo();

    const TInputData &m_data;
    TfmMelding *m_melding = nullptr;
};
