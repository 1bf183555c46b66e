#include "ui/SelectFolderDialog.h"

#include "model/InputData.h"
#include "rules/Verification.h"
#include "ui/MessageBoxes.h"
#include "ui/ModalHooks.h"
#include "ui/Screens.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>

namespace {
constexpr int PathRole = Qt::UserRole;

QString cleanFolder(const QString &folder)
{
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()));
}
} // namespace

TSelectFolderDialog::TSelectFolderDialog(QWidget *parent) : TScreenDialog(parent)
{
    Look::setupWindow(this, QStringLiteral("SelectFolderDialog"), QStringLiteral("Map Selecteren"), 575, 470,
                      Look::Border::None, Look::DialogBackground);
    Look::label(this, QStringLiteral("Label1"), QStringLiteral("Dubbelklik om een map te selecteren"), 42, 21);
    Look::label(this, QStringLiteral("Label2"), QStringLiteral("Drive :"), 48, 74);
    DriveComboBox1 = new QComboBox(this);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    DriveComboBox1->setGeometry(42, 100, 127, 26);
    Look::label(this, QStringLiteral("Label3"), QStringLiteral("Nieuwe map"), 266, 75);
    edNewFolder = Look::edit(this, QStringLiteral("edNewFolder"), 264, 100, 169, 26);
    Button1 = Look::button(this, QStringLiteral("Button1"), QStringLiteral("Toevoegen"), 458, 97, 87, 33);
    Look::label(this, QStringLiteral("Label4"), QStringLiteral("Folder :"), 42, 132);
    DirectoryListBox1 = new QListWidget(this);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setGeometry(42, 161, 503, 144);
    Look::label(this, QStringLiteral("Label5"), QStringLiteral("Geselecteerd :"), 42, 327);
    Edit1 = Look::edit(this, QStringLiteral("Edit1"), 42, 360, 503, 26);
    Button2 = Look::button(this, QStringLiteral("Button2"), QStringLiteral("Cancel"), 290, 414, 121, 33);
    Button3 = Look::button(this, QStringLiteral("Button3"), QStringLiteral("OK"), 445, 414, 98, 33);

    connect(Button1, &QPushButton::clicked, this, &TSelectFolderDialog::addFolder);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button3, &QPushButton::clicked, this, &QDialog::accept);
    connect(DriveComboBox1, &QComboBox::activated, this, &TSelectFolderDialog::driveChanged);
    connect(DirectoryListBox1, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { setDirectory(item->data(PathRole).toString()); });
    DriveComboBox1->addItems(DriveRoots());
    setDirectory(QDir::currentPath());
    Look::applyWindowFont(this);
}

QStringList TSelectFolderDialog::DriveRoots()
{
    QStringList roots;
#ifdef Q_OS_WIN
    for (const QFileInfo &drive : QDir::drives())
        roots.append(QDir::toNativeSeparators(drive.absoluteFilePath()));
#else
    roots.append(QStringLiteral("/"));
    QStringList mounted;
    for (const QStorageInfo &volume : QStorageInfo::mountedVolumes()) {
        const QString root = volume.rootPath();
        if (root.startsWith(QLatin1String("/media/")) || root.startsWith(QLatin1String("/mnt/")))
            mounted.append(root);
    }
    mounted.sort();
    roots += mounted;
#endif
    return roots;
}

bool TSelectFolderDialog::Execute()
{
    const TScreenRect form = InputFormRect();
    move(form.left - 100, form.top + 150);
    const int result = ModalHooks::run(*this, QStringLiteral("TSelectFolderDialog"), [this] { FormShow(); });
    SelectedFolder = Edit1->text();
    return result == QDialog::Accepted;
}

void TSelectFolderDialog::FormShow()
{
    CurrentDrive.clear();
    Edit1->clear();
    if (IsPlaceholder(SelectedFolder))
        SelectedFolder.clear();
    if (SelectedFolder.isEmpty()) {
        setDirectory(QDir::currentPath());
    } else if (QFileInfo(SelectedFolder).isDir()) {
        showDrive(driveOf(SelectedFolder));
        setDirectory(SelectedFolder);
    } else {
        ShowErrorBox(QStringLiteral("De ingevoerde map wordt niet gevonden"));
    }
    CurrentDrive = DriveComboBox1->currentText();
}

QString TSelectFolderDialog::driveOf(const QString &folder) const
{
    const QString path = cleanFolder(folder);
    QString best;
    for (int i = 0; i < DriveComboBox1->count(); ++i) {
        const QString root = DriveComboBox1->itemText(i);
        const bool inside =
            path.compare(root, Qt::CaseInsensitive) == 0 ||
            path.startsWith(root.endsWith(QDir::separator()) ? root : root + QDir::separator(), Qt::CaseInsensitive);
        if (inside && root.size() > best.size())
            best = root;
    }
    return best;
}

void TSelectFolderDialog::showDrive(const QString &drive)
{
    const int index = DriveComboBox1->findText(drive);
    if (index >= 0)
        DriveComboBox1->setCurrentIndex(index);
}

void TSelectFolderDialog::setDirectory(const QString &folder)
{
    m_directory = cleanFolder(folder);
    readDirectory();
    Edit1->setText(m_directory);
    SelectedFolder = m_directory;
}

void TSelectFolderDialog::readDirectory()
{
    DirectoryListBox1->clear();
    // The path from the root down to the folder, then its subfolders one step deeper.
    QStringList chain;
    QDir dir(m_directory);
    do {
        chain.prepend(QDir::toNativeSeparators(dir.absolutePath()));
    } while (dir.cdUp());
    int depth = 0;
    for (const QString &path : std::as_const(chain)) {
        const QString name = depth == 0 ? path : QFileInfo(path).fileName();
        auto *item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + name, DirectoryListBox1);
        item->setData(PathRole, path);
        ++depth;
    }
    const int current = DirectoryListBox1->count() - 1;
    const QStringList subfolders =
        QDir(m_directory).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString &name : subfolders) {
        auto *item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + name, DirectoryListBox1);
        item->setData(PathRole,
                      JoinPath(m_directory.endsWith(QDir::separator()) ? m_directory.chopped(1) : m_directory, name));
    }
    DirectoryListBox1->setCurrentRow(current);
}

void TSelectFolderDialog::driveChanged(int index)
{
    const QString drive = DriveComboBox1->itemText(index);
    const QDir root(drive);
    if (root.exists() && root.isReadable()) {
        setDirectory(drive);
        CurrentDrive = drive;
    } else {
        ShowErrorBox(QStringLiteral("Geen toegang tot deze drive"));
    }
    showDrive(CurrentDrive);
}

void TSelectFolderDialog::addFolder()
{
    const QString name = edNewFolder->text();
    if (name.isEmpty())
        return;
    const QString base = m_directory.endsWith(QDir::separator()) ? m_directory.chopped(1) : m_directory;
    const QString folder = JoinPath(base, name);
    if (!QDir().mkpath(folder)) {
        ShowErrorBox(QStringLiteral("De map: ") + folder + QStringLiteral("  kan niet worden aangemaakt"));
        return;
    }
    readDirectory();
}
