#include "ui/FileSaveDialog.h"

#include "model/InputData.h"
#include "processing/LogSaving.h"
#include "rules/Verification.h"
#include "ui/MessageBoxes.h"
#include "ui/ModalHooks.h"
#include "ui/Screens.h"
#include "ui/SelectFolderDialog.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TFileSaveDialog::TFileSaveDialog(QWidget *parent) : TScreenDialog(parent)
{
    Look::setupWindow(this, QStringLiteral("FileSaveDialog"), QStringLiteral("Bestand opslaan"), 553, 400,
                      Look::Border::None, Look::DialogBackground);
    QLabel *title =
        Look::label(this, QStringLiteral("Label2"), QStringLiteral("Opslaan van het logbestand"), 32, 20, true);
    title->setFont(Look::tahoma(17, true));
    title->adjustSize();
    const QString hint = QStringLiteral("<map van het Excel incassobestand>");
    Look::label(this, QStringLiteral("Label5"), QStringLiteral("Map"), 32, 76);
    edSaveFolder = Look::edit(this, QStringLiteral("edSaveFolder"), 140, 72, 330, 26);
    edSaveFolder->setReadOnly(true);
    edSaveFolder->setToolTip(hint);
    Button1 = Look::button(this, QStringLiteral("Button1"), QStringLiteral(" . . ."), 480, 72, 40, 26);
    Look::label(this, QStringLiteral("Label4"), QStringLiteral("Prefix"), 32, 120);
    edLogSavePrefix = Look::edit(this, QStringLiteral("edLogSavePrefix"), 140, 116, 330, 26);
    Look::label(this, QStringLiteral("Label8"), QStringLiteral("Naam"), 32, 164);
    edBestandsNaam = Look::edit(this, QStringLiteral("edBestandsNaam"), 140, 160, 330, 26);
    Look::label(this, QStringLiteral("Label1"), QStringLiteral("Extensie"), 32, 208);
    edLogExtension = Look::edit(this, QStringLiteral("edLogExtension"), 140, 204, 80, 26);
    Look::label(this, QStringLiteral("Label3"), QStringLiteral("Bestandsnaam :"), 32, 256);
    edFileSaveName = Look::edit(this, QStringLiteral("edFileSaveName"), 32, 282, 488, 26);
    edFileSaveName->setReadOnly(true);
    edFileSaveName->setToolTip(hint);
    Button3 = Look::button(this, QStringLiteral("Button3"), QStringLiteral("Cancel"), 300, 344, 100, 30);
    btSave = Look::button(this, QStringLiteral("btSave"), QStringLiteral("Opslaan"), 420, 344, 100, 30, true);

    connect(edLogSavePrefix, &QLineEdit::textChanged, this, [this](const QString &text) {
        InputData().LogSavePrefix = text;
        composeFileName();
    });
    connect(edLogExtension, &QLineEdit::textChanged, this, [this](const QString &text) {
        InputData().LogExtension = text;
        composeFileName();
    });
    connect(edBestandsNaam, &QLineEdit::textChanged, this, &TFileSaveDialog::composeFileName);
    connect(edSaveFolder, &QLineEdit::textChanged, this, [](const QString &text) { InputData().LogSaveFolder = text; });
    connect(Button1, &QPushButton::clicked, this, [this] { Guarded([this] { Button1Click(); }); });
    connect(btSave, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button3, &QPushButton::clicked, this, &QDialog::reject);
    Look::applyWindowFont(this);
}

bool TFileSaveDialog::Execute(const QString &namePart)
{
    const TInputData &data = InputData();
    edSaveFolder->setText(data.LogSaveFolder);
    edLogSavePrefix->setText(data.LogSavePrefix);
    edLogExtension->setText(data.LogExtension);
    edBestandsNaam->setText(namePart);
    const TScreenRect form = InputFormRect();
    move(form.left - 100, form.top + 150);
    return ModalHooks::run(*this, QStringLiteral("TFileSaveDialog"), [this] { FormShow(); }) == QDialog::Accepted;
}

void TFileSaveDialog::FormShow()
{
    if (!CheckFolderExists(edSaveFolder->text())) {
        ShowMeldingBox(QStringLiteral("De ingevoerde map wordt niet gevonden"));
        TSelectFolderDialog *folders = Screens().SelectFolderDialog;
        if (folders->Execute())
            edSaveFolder->setText(folders->SelectedFolder);
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
    TSelectFolderDialog *folders = Screens().SelectFolderDialog;
    folders->SelectedFolder = edSaveFolder->text();
    if (folders->Execute())
        edSaveFolder->setText(folders->SelectedFolder);
}

QString TFileSaveDialog::filePath() const
{
    return JoinPath(edSaveFolder->text(), edFileSaveName->text());
}
