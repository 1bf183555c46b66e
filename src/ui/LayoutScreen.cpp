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

TLayout::TLayout(const TInputData &record, QWidget *parent)
    : TScreenDialog(parent), KolomNumbers(LayoutFieldCount, 0), m_ui(std::make_unique<Ui::TLayout>()), m_data(record)
{
    // The form makes "Accepteer" first and starts the tab order there, so the screen opens with the focus on it.
    m_ui->setupUi(this);
    static_assert(LayoutFieldCount == 10, "the form has one column field per layout field");
    m_columnEdits = {m_ui->Edit1, m_ui->Edit2, m_ui->Edit3, m_ui->Edit4, m_ui->Edit5,
                     m_ui->Edit6, m_ui->Edit7, m_ui->Edit8, m_ui->Edit9, m_ui->Edit10};
    Look::setupFormWindow(this, Look::Border::None, Look::DialogBackground);
    Look::setKeyButtons(this, m_ui->Button1, m_ui->Button2);
    m_ui->Label1->setFont(Look::tahoma(18, true));
    m_ui->Label1->adjustSize();
    // The longest hint wraps over two lines in a smaller size.
    m_ui->Label22->setFont(Look::tahoma(13));
    Look::wrapLabel(m_ui->Label22, 250);

    connect(m_ui->CheckBox2, &QCheckBox::clicked, this, &TLayout::showFilterFields);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TLayout::acceptLayout);
    connect(m_ui->Button2, &QPushButton::clicked, this, &TLayout::goBack);
    Look::applyWindowFont(this);
    // The guidance lines are laid out for a narrow font; a smaller size keeps them whole.
    m_ui->Memo1->setFont(Look::tahoma(12));
    // Tab goes on to the filter fields after the memo instead of typing a tab into it.
    m_ui->Memo1->setTabChangesFocus(true);
}

TLayout::~TLayout() = default;

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
        m_columnEdits[i]->setText(ColumnLetters(KolomNumbers.value(i, 0)));
    m_ui->CheckBox1->setChecked(m_data.HasHeadings);
    m_ui->CheckBox2->setChecked(HasFilter);
    m_ui->Edit11->setText(FilterReq);
    m_ui->Edit12->setText(ColumnLetters(FilterCol));
    showFilterFields();
}

void TLayout::showFilterFields()
{
    const bool on = m_ui->CheckBox2->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{m_ui->Edit11, m_ui->Edit12, m_ui->Label15, m_ui->Label16})
        w->setVisible(on);
}

void TLayout::acceptLayout()
{
    CollectInfo();
    accept();
}

void TLayout::CollectInfo()
{
    KolomNumbers = QList<int>(LayoutFieldCount, 0);
    for (int i = 0; i < LayoutFieldCount; ++i)
        KolomNumbers[i] = ColumnNumber(m_columnEdits[i]->text());
    HasHeadings = m_ui->CheckBox1->isChecked();
    HasFilter = m_ui->CheckBox2->isChecked();
    FilterReq = m_ui->Edit11->text();
    FilterCol = ColumnNumber(m_ui->Edit12->text());
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
    if (m_ui->CheckBox2->isChecked() && (m_ui->Edit11->text().isEmpty() || m_ui->Edit12->text().isEmpty())) {
        ShowMelding(QStringLiteral("WAARSCHUWING\r\rBij gebruik van het filter moeten zowel te testen kolom"
                                   "\rals ook het criterium ingevuld worden. "));
        complete = false;
    }
    return complete;
}

void TLayout::goBack()
{
    Q_EMIT headingsChosen(m_ui->CheckBox1->isChecked());
    reject();
}
