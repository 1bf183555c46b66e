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

TSelectSheet::TSelectSheet(TExcelApp &excel, QWidget *parent)
    : TScreenDialog(parent), m_ui(std::make_unique<Ui::TSelectSheet>()), m_excel(excel)
{
    m_ui->setupUi(this);
    Look::setupFormWindow(this, Look::Border::None, Look::DialogBackground);
    Look::setKeyButtons(this, m_ui->Button2, m_ui->Button1);

    connect(m_ui->Button1, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->Button2, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->ListBox1, &QListWidget::itemDoubleClicked, this, [this] { chooseHighlighted(); });
    connect(m_ui->Edit1, &QLineEdit::textChanged, this, [this] { m_ui->Button2->setEnabled(true); });
    m_ui->ListBox1->installEventFilter(this);
    Look::applyWindowFont(this);
}

TSelectSheet::~TSelectSheet() = default;

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
    m_ui->ListBox1->clear();
    m_ui->Button2->setEnabled(true);
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
    m_ui->ListBox1->addItems(*m_sheetList);
    if (m_ui->ListBox1->count() > 0)
        m_ui->ListBox1->setCurrentRow(0);
    m_ui->Label1->setText(Look::displayText(Caption));
    m_ui->Edit1->setText(SheetName);
    m_ui->ListBox1->setFocus();
    m_ui->Button2->setEnabled(false);
}

void TSelectSheet::chooseHighlighted()
{
    const QListWidgetItem *item = m_ui->ListBox1->currentItem();
    if (!item)
        return;
    SheetName = item->text();
    m_ui->Edit1->setText(SheetName);
    m_ui->Button2->setEnabled(true);
    m_ui->Button2->setFocus();
}

bool TSelectSheet::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->ListBox1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            chooseHighlighted();
            m_ui->Button2->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
