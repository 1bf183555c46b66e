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

TFileSelectionDialog::TFileSelectionDialog(QWidget *parent) : TScreenDialog(parent)
{
    Ui::TFileSelectionDialog form;
    form.setupUi(this);
    FileListBox1 = form.FileListBox1;
    Edit1 = form.Edit1;
    Button1 = form.Button1;
    Button2 = form.Button2;
    Edit2 = form.Edit2;
    Look::setupFormWindow(this, Look::Border::None, Look::DialogBackground);
    Look::setKeyButtons(this, Button2, Button1);
    Edit2->setStyleSheet(
        QStringLiteral("QLineEdit { color: white; background-color: rgb(48, 62, 69); border: none; }"));

    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button2, &QPushButton::clicked, this, [this] {
        // The file the list shows selected is the one the user sees chosen, also after a single click.
        if (!FileListBox1->selectedItems().isEmpty())
            chooseHighlighted();
        accept();
    });
    connect(FileListBox1, &QListWidget::itemDoubleClicked, this, [this] { chooseHighlighted(); });
    FileListBox1->installEventFilter(this);
    Look::applyWindowFont(this);
}

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
    Edit1->clear();
    Edit2->setText(SelectedFolder);
    FileListBox1->clear();
    // A folder that does not exist simply lists nothing.
    FileListBox1->addItems(WorkbookFiles(SelectedFolder));
    const QList<QListWidgetItem *> found = FileListBox1->findItems(SelectedFile, Qt::MatchExactly);
    if (!SelectedFile.isEmpty() && !found.isEmpty())
        FileListBox1->setCurrentItem(found.first());
    FileListBox1->setFocus();
}

void TFileSelectionDialog::chooseHighlighted()
{
    const QListWidgetItem *item = FileListBox1->currentItem();
    if (!item)
        return;
    Edit1->setText(QFileInfo(item->text()).fileName());
    SelectedFile = Edit1->text();
}

bool TFileSelectionDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FileListBox1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            chooseHighlighted();
            Button2->setFocus();
            Button2->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
