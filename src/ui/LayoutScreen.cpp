#include "ui/LayoutScreen.h"

#include "model/InputData.h"
#include "rules/TextRules.h"
#include "ui/MessageBoxes.h"
#include "ui/ModalHooks.h"
#include "ui_LayoutScreen.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

TLayout::TLayout(const TInputData &data, QWidget *parent)
    : TScreenDialog(parent), KolomNumbers(LayoutFieldCount, 0), m_data(data)
{
    // The form makes "Accepteer" first and starts the tab order there, so the screen opens with the focus on it.
    Ui::TLayout form;
    form.setupUi(this);
    Button1 = form.Button1;
    Button2 = form.Button2;
    CheckBox1 = form.CheckBox1;
    CheckBox2 = form.CheckBox2;
    Label15 = form.Label15;
    Edit11 = form.Edit11;
    Label16 = form.Label16;
    Edit12 = form.Edit12;
    static_assert(LayoutFieldCount == 10, "the form has one column field per layout field");
    columnEdits = {form.Edit1, form.Edit2, form.Edit3, form.Edit4, form.Edit5,
                   form.Edit6, form.Edit7, form.Edit8, form.Edit9, form.Edit10};
    Memo1 = form.Memo1;
    Look::setupFormWindow(this, Look::Border::None, Look::DialogBackground);
    Look::setKeyButtons(this, Button1, Button2);
    form.Label1->setFont(Look::tahoma(18, true));
    form.Label1->adjustSize();
    // The longest hint wraps over two lines in a smaller size.
    form.Label22->setFont(Look::tahoma(13));
    Look::wrapLabel(form.Label22, 250);

    connect(CheckBox2, &QCheckBox::clicked, this, &TLayout::CheckBox2Click);
    connect(Button1, &QPushButton::clicked, this, &TLayout::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TLayout::Button2Click);
    Look::applyWindowFont(this);
    // The guidance lines are laid out for a narrow font; a smaller size keeps them whole.
    Memo1->setFont(Look::tahoma(12));
    // Tab goes on to the filter fields after the memo instead of typing a tab into it.
    Memo1->setTabChangesFocus(true);
}

bool TLayout::Execute()
{
    FormShow();
    return ModalHooks::run(*this, QStringLiteral("TLayout")) == QDialog::Accepted;
}

void TLayout::FormShow()
{
    const QRect form = anchorRect();
    move(form.left() - 40, form.top() + 60);
    for (int i = 0; i < LayoutFieldCount; ++i)
        columnEdits[i]->setText(ColumnLetters(KolomNumbers.value(i, 0)));
    CheckBox1->setChecked(m_data.HasHeadings);
    CheckBox2->setChecked(HasFilter);
    Edit11->setText(FilterReq);
    Edit12->setText(ColumnLetters(FilterCol));
    CheckBox2Click();
}

void TLayout::CheckBox2Click()
{
    const bool on = CheckBox2->isChecked();
    for (QWidget *w : {static_cast<QWidget *>(Edit11), static_cast<QWidget *>(Edit12), static_cast<QWidget *>(Label15),
                       static_cast<QWidget *>(Label16)})
        w->setVisible(on);
}

void TLayout::Button1Click()
{
    CollectInfo();
    accept();
}

void TLayout::CollectInfo()
{
    KolomNumbers = QList<int>(LayoutFieldCount, 0);
    for (int i = 0; i < LayoutFieldCount; ++i)
        KolomNumbers[i] = ColumnNumber(columnEdits[i]->text());
    HasHeadings = CheckBox1->isChecked();
    HasFilter = CheckBox2->isChecked();
    FilterReq = Edit11->text();
    FilterCol = ColumnNumber(Edit12->text());
    // Only warnings: the binding test is the verification of "Check" and "Go !".
    TestRequiredInput();
}

bool TLayout::TestRequiredInput()
{
    bool complete = true;
    TfmMelding *box = m_melding;
    for (int i = 0; i < LayoutFieldCount; ++i) {
        if (IsRequiredLayoutField(static_cast<TLayoutField>(i)) && KolomNumbers.value(i, 0) == 0) {
            box->move(50, box->y());
            box->SetWidth(580);
            box->SetTextWidth(450);
            box->Melding = QStringLiteral("WAARSCHUWING\r\rAlleen de twee adresregels en de BIC code zijn optioneel."
                                          "\rVerder mag de kolom voor BIC en SequentieCode leeg blijven."
                                          "\rAlle andere velden moeten een kolomletter krijgen.");
            box->Execute();
            box->SetBasics();
            complete = false;
            break;
        }
    }
    if (CheckBox2->isChecked() && (Edit11->text().isEmpty() || Edit12->text().isEmpty())) {
        ShowMelding(QStringLiteral("WAARSCHUWING\r\rBij gebruik van het filter moeten zowel te testen kolom"
                                   "\rals ook het criterium ingevuld worden. "));
        complete = false;
    }
    return complete;
}

void TLayout::Button2Click()
{
    Q_EMIT headingsChosen(CheckBox1->isChecked());
    reject();
}
