#include "ui/FileSelectionDialog.h"

#include "ui/Look.h"
#include "ui/ModalHooks.h"
#include "ui/Screens.h"

#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

TFileSelectionDialog::TFileSelectionDialog(QWidget *parent) : TScreenDialog(parent)
{
    Look::setupWindow(this, QStringLiteral("FileSelectionDialog"), QStringLiteral("Excel bestand Selecteren"), 580, 347,
                      Look::Border::None, Look::DialogBackground);
    Look::label(this, QStringLiteral("Label1"), QStringLiteral("Selecteer een bestand (dubbelklik of Enter) :"), 40,
                24);
    FileListBox1 = new QListWidget(this);
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->setGeometry(40, 56, 385, 97);
    Look::label(this, QStringLiteral("Label2"), QStringLiteral("Geselecteerd bestand :"), 40, 173);
    Edit1 = Look::edit(this, QStringLiteral("Edit1"), 40, 195, 385);
    Button1 = Look::button(this, QStringLiteral("Button1"), QStringLiteral("Cancel"), 332, 240, 93, 25);
    Button2 = Look::button(this, QStringLiteral("Button2"), QStringLiteral("OK"), 456, 240, 93, 25);
    Look::label(this, QStringLiteral("Label3"), QStringLiteral("in de geselecteerde map :"), 40, 269);
    Edit2 = Look::edit(this, QStringLiteral("Edit2"), 40, 293, 377);
    Edit2->setFrame(false);
    Edit2->setReadOnly(true);
    Edit2->setStyleSheet(
        QStringLiteral("QLineEdit { color: white; background-color: rgb(48, 62, 69); border: none; }"));

    connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button2, &QPushButton::clicked, this, &QDialog::accept);
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
    const TScreenRect form = InputFormRect();
    move(form.left - 80, form.top + 180);
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
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
