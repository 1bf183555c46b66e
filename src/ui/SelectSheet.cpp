#include "ui/SelectSheet.h"

#include "model/Error.h"
#include "ui/ExcelApp.h"
#include "ui/InputForm.h"
#include "ui/MessageBoxes.h"
#include "ui/ModalHooks.h"
#include "ui/Screens.h"
#include "workbook/WorkbookService.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

TSelectSheet::TSelectSheet(QWidget *parent) : TScreenDialog(parent)
{
    Look::setupWindow(this, QStringLiteral("SelectSheet"), QStringLiteral("Selecteer Excel Worksheet"), 545, 357,
                      Look::Border::None, Look::DialogBackground);
    Label1 = Look::label(this, QStringLiteral("Label1"), QStringLiteral("Kies het werkblad met de incassogegevens :"),
                         32, 16);
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Label1->setFixedSize(490, 108);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setGeometry(56, 128, 221, 106);
    Look::label(this, QStringLiteral("Label2"), QStringLiteral("Geselecteerd :"), 32, 272);
    Edit1 = Look::edit(this, QStringLiteral("Edit1"), 56, 302, 221, 26);
    Button1 = Look::button(this, QStringLiteral("Button1"), QStringLiteral("Terug"), 442, 249, 75, 29);
    Button2 = Look::button(this, QStringLiteral("Button2"), QStringLiteral("Verder"), 442, 295, 75, 29);

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
    TExcelApp &excel = Screens().InputForm->excelApp();
    try {
        if (excel.isHeld() && excel.workbookCount() > 0)
            excel.service()->closeActiveWorkbook();
    } catch (const KwError &) {
        // The workbook was only read; a server that lost it has nothing to close.
    }
    return chosen;
}

void TSelectSheet::FormShow()
{
    ListBox1->clear();
    Button2->setEnabled(true);
    TExcelApp &excel = Screens().InputForm->excelApp();
    if (!excel.startAnew()) {
        ModalHooks::plainMessage(QMessageBox::NoIcon, QApplication::applicationName(),
                                 QStringLiteral("Het Excel werkboek kan niet worden gevonden. Exit."));
        return;
    }
    m_sheetList = std::make_unique<QStringList>();
    try {
        excel.service()->openWorkbook(WorkBookName);
        ListWorksheetNames(*excel.service(), *m_sheetList);
    } catch (const KwError &error) {
        ShowErrorBox(error.message());
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
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
