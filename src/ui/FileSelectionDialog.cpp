#include "ui/FileSelectionDialog.h"

#include "ui/Look.h"
#include "ui/ModalHooks.h"
#include "ui_FileSelectionDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

TFileSelectionDialog::TFileSelectionDialog(QWidget *parent)
    : TScreenDialog(parent), m_ui(std::make_unique<Ui::TFileSelectionDialog>())
{
    m_ui->setupUi(this);
    Look::setupFormWindow(this, Look::Border::None, Look::DialogBackground);
    Look::setKeyButtons(this, m_ui->Button2, m_ui->Button1);
    m_ui->Edit2->setStyleSheet(
        QStringLiteral("QLineEdit { color: white; background-color: rgb(48, 62, 69); border: none; }"));

    connect(m_ui->Button1, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->Button2, &QPushButton::clicked, this, [this] {
        // The file the list shows selected is the one the user sees chosen, also after a single click.
        if (!m_ui->FileListBox1->selectedItems().isEmpty())
            chooseHighlighted();
        accept();
    });
    connect(m_ui->FileListBox1, &QListWidget::itemDoubleClicked, this, [this] { chooseHighlighted(); });
    m_ui->FileListBox1->installEventFilter(this);
    Look::applyWindowFont(this);
}

TFileSelectionDialog::~TFileSelectionDialog() = default;

QStringList TFileSelectionDialog::WorkbookFiles(const QString &folder)
{
    QStringList names;
    // One mask after the other, without regard to case; a name found twice stays at its first place.
    for (const QString &mask : {QStringLiteral("*.xls"), QStringLiteral("*.xlsx"), QStringLiteral("*.xlsm")}) {
        const QDir dir(folder, mask, QDir::Name | QDir::IgnoreCase, QDir::Files | QDir::Hidden);
        names += dir.entryList();
    }
    names.removeDuplicates();
    names.sort(Qt::CaseInsensitive);
    return names;
}

bool TFileSelectionDialog::Execute()
{
    FormShow();
    return ModalHooks::run(*this, QStringLiteral("TFileSelectionDialog")) == QDialog::Accepted;
}

void TFileSelectionDialog::FormShow()
{
    const QRect form = anchorRect();
    move(form.left() - 80, form.top() + 180);
    m_ui->Edit1->clear();
    m_ui->Edit2->setText(SelectedFolder);
    QListWidget *list = m_ui->FileListBox1;
    list->clear();
    // A folder that does not exist simply lists nothing.
    list->addItems(WorkbookFiles(SelectedFolder));
    const QList<QListWidgetItem *> found = list->findItems(SelectedFile, Qt::MatchExactly);
    if (!SelectedFile.isEmpty() && !found.isEmpty())
        list->setCurrentItem(found.first());
    list->setFocus();
}

void TFileSelectionDialog::chooseHighlighted()
{
    const QListWidgetItem *item = m_ui->FileListBox1->currentItem();
    if (!item)
        return;
    m_ui->Edit1->setText(QFileInfo(item->text()).fileName());
    SelectedFile = m_ui->Edit1->text();
}

bool TFileSelectionDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->FileListBox1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            chooseHighlighted();
            m_ui->Button2->setFocus();
            m_ui->Button2->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
