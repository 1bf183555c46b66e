#pragma once

#include "ui/Look.h"

#include <QString>
#include <QStringList>

#include <memory>

namespace Ui {
class TSelectFolderDialog;
}

// "Map Selecteren": picks a folder, and may create one.
class TSelectFolderDialog final : public TScreenDialog
{
    Q_OBJECT
public:
    explicit TSelectFolderDialog(QWidget *parent = nullptr);
    ~TSelectFolderDialog() override;

    QString SelectedFolder;
    // The root chosen in the drive list: a drive letter on Windows, else "/" or a mounted volume.
    QString CurrentDrive;

    // Shows the dialog and waits; SelectedFolder then holds Edit1. True when closed with OK.
    bool Execute();

    // The drive list: the drives, or the file-system root and the volumes mounted under /media and /mnt.
    static QStringList DriveRoots();
    // The folder the folder list stands on.
    QString directory() const { return m_directory; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormShow();
    void setDirectory(const QString &folder);
    void readDirectory();
    void driveChanged(int index);
    void addFolder();
    QString driveOf(const QString &folder) const;
    void showDrive(const QString &drive);

    const std::unique_ptr<Ui::TSelectFolderDialog> m_ui;
    QString m_directory;
};
