#pragma once

#include "ui/ScreenSet.h"

#include <memory>

class Clock;
class SettingsStore;
class TDashboard;
class THelp;

// The application's screens, created once at start in their fixed order;
// the main window is shown. Tests make one too, with their own settings
// folder and clock; both must outlive it.
class TKwintorApp final
{
public:
    TKwintorApp(const SettingsStore &settings, const Clock &clock);
    ~TKwintorApp();

    // Shows the main window. With a workbook (the file manager's "Open with"), the
    // input screen opens as "Verwerk Excel input" opens it, with that workbook chosen.
    void start(const QString &workbook = QString());

    const TScreens &screens() const { return m_screens->screens(); }
    TInputData &data() const { return m_screens->data(); }
    TDashboard &dashboard() const { return *m_dashboard; }
    THelp &help() const { return *m_help; }

private:
    // Made by the screen set at their places in the order, and owned by it.
    TDashboard *m_dashboard = nullptr;
    THelp *m_help = nullptr;
    std::unique_ptr<TScreenSet> m_screens;
};

// Applies the carried visual style; false (after an error message) when it cannot.
bool ApplyVisualStyle();
