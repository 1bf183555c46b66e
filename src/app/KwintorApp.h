#pragma once

#include "ui/ScreenSet.h"

#include <memory>

class Clock;
class SettingsStore;

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

private:
    std::unique_ptr<TScreenSet> m_screens;
};

// Applies the carried visual style; false (after an error message) when it cannot.
bool ApplyVisualStyle();
