#include "ui/ScreenSet.h"

#include "model/InputData.h"
#include "ui/DateDialog.h"
#include "ui/FileSaveDialog.h"
#include "ui/FileSelectionDialog.h"
#include "ui/InputForm.h"
#include "ui/LayoutScreen.h"
#include "ui/ProcessingScreen.h"
#include "ui/Screens.h"
#include "ui/SelectFolderDialog.h"
#include "ui/SelectSheet.h"

#include <QWidget>

TScreenSet::TScreenSet(const SettingsStore &settings, const Clock &clock, const Factory &makeDashboard,
                       const Factory &makeHelp)
    : m_data(std::make_unique<TInputData>())
{
    TScreens &s = Screens();
    s = TScreens();
    s.InputData = m_data.get();
    s.Settings = &settings;
    s.Time = &clock;
    setNoticeSink(&m_notices);
    auto keep = [this](QWidget *w) {
        if (w)
            m_created.push_back(w);
        return w;
    };
    s.Dashboard = keep(makeDashboard ? makeDashboard() : nullptr);
    keep(s.SelectFolderDialog = new TSelectFolderDialog);
    keep(s.ErrorMessage = new TErrorMessage);
    keep(s.FileSelectionDialog = new TFileSelectionDialog);
    keep(s.Layout = new TLayout);
    keep(s.InputForm = new TInputForm);
    keep(s.DateDialog = new TDateDialog);
    keep(s.SelectSheet = new TSelectSheet);
    keep(s.fmProcessing = new TfmProcessing);
    keep(s.fmMelding = new TfmMelding);
    s.Help = keep(makeHelp ? makeHelp() : nullptr);
    keep(s.FileSaveDialog = new TFileSaveDialog);
}

TScreenSet::~TScreenSet()
{
    setNoticeSink(nullptr);
    for (auto it = m_created.rbegin(); it != m_created.rend(); ++it)
        delete *it;
    Screens() = TScreens();
}
