#pragma once

#include "app/KwintorApp.h"
#include "model/Clock.h"
#include "model/InputData.h"
#include "model/Settings.h"
#include "ui/ModalHooks.h"

#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>

class QDialog;
class QWidget;

// The whole application with the modal hooks on, settings in a temporary
// folder and a fixed clock: one per test function.
class GuiFixture final
{
public:
    // fixedFolder: a folder of this name is used (emptied first) instead of a temporary one,
    // so that pictures of the screens show the same paths on every run.
    explicit GuiFixture(const QString &fixedFolder = QString());
    ~GuiFixture();

    TInputData &data() { return m_app->data(); }
    TKwintorApp &app() { return *m_app; }
    const SettingsStore &settings() const { return m_settings; }
    const TScreens &screens() const { return m_app->screens(); }
    // The temporary folder, and a path inside it.
    QString folder() const { return m_folder; }
    QString path(const QString &name) const;
    // Writes the settings file from a record that edit has filled in.
    void writeSettings(const std::function<void(TInputData &)> &edit);
    // A valid creditor, folders "in" and "uit", workbook "in/incasso.xlsx" and a complete layout
    // without sequence-code column; edit may change it afterwards.
    void writeValidSettings(const std::function<void(TInputData &)> &edit = {});
    // Writes in/incasso.xlsx: sheet "Leden" with a heading and three RCUR collections, and sheet "Fout" with a faulty
    // row.
    void writeWorkbook();
    // The boxes and dialogs shown so far, then forgets them.
    QStringList takeShown();

private:
    QTemporaryDir m_dir;
    QString m_folder;
    SettingsStore m_settings;
    FixedClock m_clock;
    std::unique_ptr<TKwintorApp> m_app;
};

// Answers for the dialogs.
ModalHooks::Answer chooseSheet(const QString &sheet);
ModalHooks::Answer typeLayout(const QStringList &letters, bool filter, const QString &criterion, const QString &column,
                              const QString &button);
// A child widget of a dialog or screen by object name.
template <typename T> T *child(QWidget *parent, const QString &name)
{
    return parent->findChild<T *>(name);
}
// Clicks the button of that name in the window.
void click(QWidget *window, const QString &button);
// Leaves a field as the Tab key does.
void leaveField(QWidget *field);
