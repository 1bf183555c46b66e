#pragma once

#include "ui/MessageBoxes.h"

#include <functional>
#include <memory>
#include <vector>

struct TInputData;
class Clock;
class QWidget;
class SettingsStore;
class TDateDialog;
class TFileSaveDialog;
class TFileSelectionDialog;
class TInputForm;
class TLayout;
class TSelectFolderDialog;
class TSelectSheet;
class TfmProcessing;

// The single instance of every screen, in the order of creation.
struct TScreens
{
    QWidget *Dashboard = nullptr;
    TSelectFolderDialog *SelectFolderDialog = nullptr;
    TErrorMessage *ErrorMessage = nullptr;
    TFileSelectionDialog *FileSelectionDialog = nullptr;
    TLayout *Layout = nullptr;
    TInputForm *InputForm = nullptr;
    TDateDialog *DateDialog = nullptr;
    TSelectSheet *SelectSheet = nullptr;
    TfmProcessing *fmProcessing = nullptr;
    TfmMelding *fmMelding = nullptr;
    QWidget *Help = nullptr;
    TFileSaveDialog *FileSaveDialog = nullptr;
    TfmVraag *fmVraag = nullptr;
};

// Creates the input data record and every screen once, in the fixed order of
// start-up, hands each screen the record and the screens it talks to, and
// installs the boxes as the notice sink. The settings store, the clock, the
// main window and the help window come from the application; the store and
// the clock must outlive the screens.
class TScreenSet final
{
public:
    using Factory = std::function<QWidget *()>;

    TScreenSet(const SettingsStore &settings, const Clock &clock, const Factory &makeDashboard,
               const Factory &makeHelp);
    ~TScreenSet();
    TScreenSet(const TScreenSet &) = delete;
    TScreenSet &operator=(const TScreenSet &) = delete;

    TInputData &data() const { return *m_data; }
    const TScreens &screens() const { return m_screens; }

private:
    std::unique_ptr<TInputData> m_data;
    TScreens m_screens;
    std::vector<QWidget *> m_created;
    TBoxNotices m_notices;
};
