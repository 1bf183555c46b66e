#include "ui/ScreenSet.h"

#include "model/InputData.h"
#include "ui/DateDialog.h"
#include "ui/FileSaveDialog.h"
#include "ui/FileSelectionDialog.h"
#include "ui/InputForm.h"
#include "ui/LayoutScreen.h"
#include "ui/ProcessingScreen.h"
#include "ui/SelectFolderDialog.h"
#include "ui/SelectSheet.h"

#include <QWidget>

TScreenSet::TScreenSet(const SettingsStore &settings, const Clock &clock, const Factory &makeDashboard,
                       const Factory &makeHelp)
    : m_data(std::make_unique<TInputData>())
{
    setNoticeSink(&m_notices);
    auto keep = [this](auto *w) {
        m_created.push_back(w);
        return w;
    };
    TInputData &data = *m_data;
    TScreens &s = m_screens;
    s.Dashboard = keep(makeDashboard());
    s.SelectFolderDialog = keep(new TSelectFolderDialog);
    s.ErrorMessage = keep(new TErrorMessage);
    s.FileSelectionDialog = keep(new TFileSelectionDialog);
    s.Layout = keep(new TLayout(data));
    s.InputForm = keep(new TInputForm(data, settings, clock));
    s.DateDialog = keep(new TDateDialog(clock));
    s.SelectSheet = keep(new TSelectSheet(s.InputForm->excelApp()));
    s.fmProcessing = keep(new TfmProcessing(data, settings, clock, *s.InputForm));
    s.fmMelding = keep(new TfmMelding);
    s.Help = keep(makeHelp());
    s.FileSaveDialog = keep(new TFileSaveDialog(data, *s.SelectFolderDialog));
    s.fmVraag = keep(new TfmVraag);

    // What the order of creation could not hand over yet.
    m_notices.setBoxes(s.fmMelding, s.ErrorMessage, s.fmVraag);
    for (TScreenDialog *dialog : std::initializer_list<TScreenDialog *>{
             s.SelectFolderDialog, s.ErrorMessage, s.FileSelectionDialog, s.Layout, s.DateDialog, s.SelectSheet,
             s.fmProcessing, s.fmMelding, s.FileSaveDialog, s.fmVraag})
        dialog->setAnchor(s.InputForm);
    s.Layout->setMessageBox(s.fmMelding);
    QObject::connect(s.Layout, &TLayout::headingsChosen, s.InputForm, &TInputForm::setHeadings);
    s.InputForm->setDialogs({s.Layout, s.SelectFolderDialog, s.FileSelectionDialog, s.DateDialog, s.SelectSheet,
                             s.fmProcessing, s.fmMelding});
    s.fmProcessing->setLogSaveDialog(s.FileSaveDialog);
}

TScreenSet::~TScreenSet()
{
    setNoticeSink(nullptr);
    for (auto it = m_created.rbegin(); it != m_created.rend(); ++it)
        delete *it;
}
