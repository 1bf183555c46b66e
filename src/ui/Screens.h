#pragma once

struct TInputData;
class Clock;
class SettingsStore;
class QWidget;
class TSelectFolderDialog;
class TErrorMessage;
class TFileSelectionDialog;
class TLayout;
class TInputForm;
class TDateDialog;
class TSelectSheet;
class TfmProcessing;
class TfmMelding;
class TFileSaveDialog;

// The single instance of every screen, set as each is created at start and
// cleared when the application ends. Screens reach each other through here.
struct TScreens
{
    TInputData *InputData = nullptr;
    const SettingsStore *Settings = nullptr; // from the application, as the clock
    const Clock *Time = nullptr;
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
};

TScreens &Screens();
TInputData &InputData();
const SettingsStore &AppSettings();
const Clock &AppClock();

// Where the boxes and dialogs place themselves: the input screen's frame
// (its geometry before it was ever shown).
struct TScreenRect
{
    int left = 0, top = 0, width = 0, height = 0;
};
TScreenRect InputFormRect();
// Halving rounded down, also for negative numbers.
constexpr int halfDown(int value)
{
    return value >= 0 ? value / 2 : -((-value + 1) / 2);
}
