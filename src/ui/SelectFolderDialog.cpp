#include "ui/SelectFolderDialog.h"

#include "model/InputData.h"
#include "rules/Verification.h"
#include "ui/MessageBoxes.h"
#include "ui/ModalHooks.h"
#include "ui_SelectFolderDialog.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
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

TSelectFolderDialog::TSelectFolderDialog(QWidget *parent)
    : TScreenDialog(parent), m_ui(std::make_unique<Ui::TSelectFolderDialog>())
{
    m_ui->setupUi(this);
    Look::setupFormWindow(this, Look::Border::None, Look::DialogBackground);
    Look::setKeyButtons(this, m_ui->Button3, m_ui->Button2);
    // A new folder's name is added with Enter, not taken for the dialog's answer.
    Look::setEnterButton(m_ui->edNewFolder, m_ui->Button1);

    connect(m_ui->Button1, &QPushButton::clicked, this, &TSelectFolderDialog::addFolder);
    connect(m_ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->Button3, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->DriveComboBox1, &QComboBox::activated, this, &TSelectFolderDialog::driveChanged);
    connect(m_ui->DirectoryListBox1, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { setDirectory(item->data(PathRole).toString()); });
    m_ui->DirectoryListBox1->installEventFilter(this);
    m_ui->DriveComboBox1->addItems(DriveRoots());
    setDirectory(QDir::currentPath());
    Look::applyWindowFont(this);
}

TSelectFolderDialog::~TSelectFolderDialog() = default;

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
    const QRect form = anchorRect();
    move(form.left() - 100, form.top() + 150);
    const int result = ModalHooks::run(*this, QStringLiteral("TSelectFolderDialog"), [this] { FormShow(); });
    SelectedFolder = m_ui->Edit1->text();
    return result == QDialog::Accepted;
}

void TSelectFolderDialog::FormShow()
{
    CurrentDrive.clear();
    m_ui->Edit1->clear();
    if (IsPlaceholder(SelectedFolder))
        SelectedFolder.clear();
    if (SelectedFolder.isEmpty()) {
        setDirectory(QDir::currentPath());
    } else if (QFileInfo(SelectedFolder).isDir()) {
        showDrive(driveOf(SelectedFolder));
        setDirectory(SelectedFolder);
    } else {
        ShowErrorMessage(QStringLiteral("De ingevoerde map wordt niet gevonden"));
    }
    CurrentDrive = m_ui->DriveComboBox1->currentText();
}

QString TSelectFolderDialog::driveOf(const QString &folder) const
{
    const QString path = cleanFolder(folder);
    QString best;
    for (int i = 0; i < m_ui->DriveComboBox1->count(); ++i) {
        const QString root = m_ui->DriveComboBox1->itemText(i);
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
    const int index = m_ui->DriveComboBox1->findText(drive);
    if (index >= 0)
        m_ui->DriveComboBox1->setCurrentIndex(index);
}

void TSelectFolderDialog::setDirectory(const QString &folder)
{
    m_directory = cleanFolder(folder);
    readDirectory();
    m_ui->Edit1->setText(m_directory);
    SelectedFolder = m_directory;
}

void TSelectFolderDialog::readDirectory()
{
    QListWidget *list = m_ui->DirectoryListBox1;
    list->clear();
    // The path from the root down to the folder, then its subfolders one step deeper.
    QStringList chain;
    QDir dir(m_directory);
    do {
        chain.prepend(QDir::toNativeSeparators(dir.absolutePath()));
    } while (dir.cdUp());
    int depth = 0;
    for (const QString &path : std::as_const(chain)) {
        const QString name = depth == 0 ? path : QFileInfo(path).fileName();
        auto *item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + name, list);
        item->setData(PathRole, path);
        ++depth;
    }
    const int current = list->count() - 1;
    const QStringList subfolders =
        QDir(m_directory).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QString &name : subfolders) {
        auto *item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + name, list);
        item->setData(PathRole,
                      JoinPath(m_directory.endsWith(QDir::separator()) ? m_directory.chopped(1) : m_directory, name));
    }
    list->setCurrentRow(current);
}

void TSelectFolderDialog::driveChanged(int index)
{
    const QString drive = m_ui->DriveComboBox1->itemText(index);
    const QDir root(drive);
    if (root.exists() && root.isReadable()) {
        setDirectory(drive);
        CurrentDrive = drive;
    } else {
        ShowErrorMessage(QStringLiteral("Geen toegang tot deze drive"));
    }
    showDrive(CurrentDrive);
}

void TSelectFolderDialog::addFolder()
{
    const QString name = m_ui->edNewFolder->text();
    if (name.isEmpty())
        return;
    const QString base = m_directory.endsWith(QDir::separator()) ? m_directory.chopped(1) : m_directory;
    const QString folder = JoinPath(base, name);
    if (!QDir().mkpath(folder)) {
        ShowErrorMessage(QStringLiteral("De map: ") + folder + QStringLiteral("  kan niet worden aangemaakt"));
        return;
    }
    readDirectory();
}

bool TSelectFolderDialog::eventFilter(QObject *watched, QEvent *event)
{
    // Enter opens the highlighted folder, as a double click does; on the folder already open it
    // goes on to "OK", so the folder that is taken is always the one the list stands on.
    if (watched == m_ui->DirectoryListBox1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        const QListWidgetItem *item = m_ui->DirectoryListBox1->currentItem();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && item && item->data(PathRole).toString() != m_directory) {
            setDirectory(item->data(PathRole).toString());
            return true;
        }
    }
    return TScreenDialog::eventFilter(watched, event);
}
