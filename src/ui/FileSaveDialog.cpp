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

TFileSaveDialog::TFileSaveDialog(TInputData &record, TSelectFolderDialog &folders, QWidget *parent)
    : TScreenDialog(parent), m_ui(std::make_unique<Ui::TFileSaveDialog>()), m_data(record), m_folders(folders)
{
    m_ui->setupUi(this);
    Look::setupFormWindow(this, Look::Border::None, Look::DialogBackground);
    Look::setKeyButtons(this, m_ui->btSave, m_ui->Button3);
    m_ui->Label2->setFont(Look::tahoma(17, true));
    m_ui->Label2->adjustSize();

    connect(m_ui->edLogSavePrefix, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_data.LogSavePrefix = text;
        composeFileName();
    });
    connect(m_ui->edLogExtension, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_data.LogExtension = text;
        composeFileName();
    });
    connect(m_ui->edBestandsNaam, &QLineEdit::textChanged, this, &TFileSaveDialog::composeFileName);
    connect(m_ui->edSaveFolder, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_data.LogSaveFolder = text; });
    connect(m_ui->Button1, &QPushButton::clicked, this, [this] { Guarded([this] { chooseSaveFolder(); }); });
    connect(m_ui->btSave, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->Button3, &QPushButton::clicked, this, &QDialog::reject);
    Look::applyWindowFont(this);
}

TFileSaveDialog::~TFileSaveDialog() = default;

bool TFileSaveDialog::Execute(const QString &namePart)
{
    m_ui->edSaveFolder->setText(m_data.LogSaveFolder);
    m_ui->edLogSavePrefix->setText(m_data.LogSavePrefix);
    m_ui->edLogExtension->setText(m_data.LogExtension);
    m_ui->edBestandsNaam->setText(namePart);
    const QRect form = anchorRect();
    move(form.left() - 100, form.top() + 150);
    return ModalHooks::run(*this, QStringLiteral("TFileSaveDialog"), [this] { FormShow(); }) == QDialog::Accepted;
}

void TFileSaveDialog::FormShow()
{
    if (!CheckFolderExists(m_ui->edSaveFolder->text())) {
        ShowMelding(QStringLiteral("De ingevoerde map wordt niet gevonden"));
        if (m_folders.Execute())
            m_ui->edSaveFolder->setText(m_folders.SelectedFolder);
    }
    if (m_ui->edSaveFolder->text().isEmpty())
        m_ui->edSaveFolder->setText(QDir::toNativeSeparators(QDir::currentPath()));
    composeFileName();
}

void TFileSaveDialog::composeFileName()
{
    m_ui->edFileSaveName->setText(
        ::composeFileName(m_ui->edLogSavePrefix->text(), m_ui->edBestandsNaam->text(), m_ui->edLogExtension->text()));
}

void TFileSaveDialog::chooseSaveFolder()
{
    m_folders.SelectedFolder = m_ui->edSaveFolder->text();
    if (m_folders.Execute())
        m_ui->edSaveFolder->setText(m_folders.SelectedFolder);
}

QString TFileSaveDialog::filePath() const
{
    return JoinPath(m_ui->edSaveFolder->text(), m_ui->edFileSaveName->text());
}
