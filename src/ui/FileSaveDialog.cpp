#include "ui/FileSaveDialog.h"

#include "model/InputData.h"
#include "processing/LogSaving.h"
#include "rules/Verification.h"
#include "ui/MessageBoxes.h"
#include "ui/ModalHooks.h"
#include "ui/SelectFolderDialog.h"
#include "ui_FileSaveDialog.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TFileSaveDialog::TFileSaveDialog(TInputData &data, TSelectFolderDialog &folders, QWidget *parent)
    : TScreenDialog(parent), m_data(data), m_folders(folders)
{
    Ui::TFileSaveDialog form;
    form.setupUi(this);
    edSaveFolder = form.edSaveFolder;
    Button1 = form.Button1;
    edLogSavePrefix = form.edLogSavePrefix;
    edBestandsNaam = form.edBestandsNaam;
    edLogExtension = form.edLogExtension;
    edFileSaveName = form.edFileSaveName;
    Button3 = form.Button3;
    btSave = form.btSave;
    Look::setupFormWindow(this, Look::Border::None, Look::DialogBackground);
    Look::setKeyButtons(this, btSave, Button3);
    form.Label2->setFont(Look::tahoma(17, true));
    form.Label2->adjustSize();

    connect(edLogSavePrefix, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_data.LogSavePrefix = text;
        composeFileName();
    });
    connect(edLogExtension, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_data.LogExtension = text;
        composeFileName();
    });
    connect(edBestandsNaam, &QLineEdit::textChanged, this, &TFileSaveDialog::composeFileName);
    connect(edSaveFolder, &QLineEdit::textChanged, this, [this](const QString &text) { m_data.LogSaveFolder = text; });
    connect(Button1, &QPushButton::clicked, this, [this] { Guarded([this] { Button1Click(); }); });
    connect(btSave, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button3, &QPushButton::clicked, this, &QDialog::reject);
    Look::applyWindowFont(this);
}

bool TFileSaveDialog::Execute(const QString &namePart)
{
    edSaveFolder->setText(m_data.LogSaveFolder);
    edLogSavePrefix->setText(m_data.LogSavePrefix);
    edLogExtension->setText(m_data.LogExtension);
    edBestandsNaam->setText(namePart);
    const QRect form = anchorRect();
    move(form.left() - 100, form.top() + 150);
    return ModalHooks::run(*this, QStringLiteral("TFileSaveDialog"), [this] { FormShow(); }) == QDialog::Accepted;
}

void TFileSaveDialog::FormShow()
{
    if (!CheckFolderExists(edSaveFolder->text())) {
        ShowMelding(QStringLiteral("De ingevoerde map wordt niet gevonden"));
        if (m_folders.Execute())
            edSaveFolder->setText(m_folders.SelectedFolder);
    }
    if (edSaveFolder->text().isEmpty())
        edSaveFolder->setText(QDir::toNativeSeparators(QDir::currentPath()));
    composeFileName();
}

void TFileSaveDialog::composeFileName()
{
    edFileSaveName->setText(::composeFileName(edLogSavePrefix->text(), edBestandsNaam->text(), edLogExtension->text()));
}

void TFileSaveDialog::Button1Click()
{
    m_folders.SelectedFolder = edSaveFolder->text();
    if (m_folders.Execute())
        edSaveFolder->setText(m_folders.SelectedFolder);
}

QString TFileSaveDialog::filePath() const
{
    return JoinPath(edSaveFolder->text(), edFileSaveName->text());
}
