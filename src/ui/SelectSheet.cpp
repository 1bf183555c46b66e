#include "ui/SelectSheet.h"

#include "model/Error.h"
#include "ui/ExcelApp.h"
#include "ui/MessageBoxes.h"
#include "ui/ModalHooks.h"
#include "ui_SelectSheet.h"
#include "workbook/WorkbookService.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

TSelectSheet::TSelectSheet(TExcelApp &excel, QWidget *parent) : TScreenDialog(parent), m_excel(excel)
{
    Ui::TSelectSheet form;
    form.setupUi(this);
    Label1 = form.Label1;
    ListBox1 = form.ListBox1;
    Edit1 = form.Edit1;
    Button1 = form.Button1;
    Button2 = form.Button2;
    Look::setupFormWindow(this, Look::Border::None, Look::DialogBackground);
    Look::setKeyButtons(this, Button2, Button1);

    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button2, &QPushButton::clicked, this, &QDialog::accept);
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { chooseHighlighted(); });
    connect(Edit1, &QLineEdit::textChanged, this, [this] { Button2->setEnabled(true); });
    ListBox1->installEventFilter(this);
    Look::applyWindowFont(this);
}

bool TSelectSheet::Execute()
{
    move(300, 250);
    const bool chosen =
        ModalHooks::run(*this, QStringLiteral("TSelectSheet"), [this] { FormShow(); }) == QDialog::Accepted;
    m_sheetList.reset();
    try {
        if (m_excel.isHeld() && m_excel.workbookCount() > 0)
            m_excel.service()->closeActiveWorkbook();
    } catch (const KwError &) {
        // The workbook was only read; a server that lost it has nothing to close.
    }
    return chosen;
}

void TSelectSheet::FormShow()
{
    ListBox1->clear();
    Button2->setEnabled(true);
    if (!m_excel.startAnew()) {
        ModalHooks::plainMessage(QMessageBox::NoIcon, QApplication::applicationName(),
                                 QStringLiteral("Het Excel werkboek kan niet worden gevonden. Exit."));
        return;
    }
    m_sheetList = std::make_unique<QStringList>();
    try {
        m_excel.service()->openWorkbook(WorkBookName);
        ListWorksheetNames(*m_excel.service(), *m_sheetList);
    } catch (const KwError &error) {
        ShowErrorMessage(error.message());
        return;
    }
    ListBox1->addItems(*m_sheetList);
    if (ListBox1->count() > 0)
        ListBox1->setCurrentRow(0);
    Label1->setText(Look::displayText(Caption));
    Edit1->setText(SheetName);
    ListBox1->setFocus();
    Button2->setEnabled(false);
}

void TSelectSheet::chooseHighlighted()
{
    const QListWidgetItem *item = ListBox1->currentItem();
    if (!item)
        return;
    SheetName = item->text();
    Edit1->setText(SheetName);
    Button2->setEnabled(true);
    Button2->setFocus();
}

bool TSelectSheet::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ListBox1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            chooseHighlighted();
            Button2->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
