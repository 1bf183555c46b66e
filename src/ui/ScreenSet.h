#pragma once

#include "ui/MessageBoxes.h"

#include <functional>
#include <memory>
#include <vector>

struct TInputData;
class Clock;
class SettingsStore;
class QWidget;

// Creates the input data record and every screen once, in the fixed order of
// start-up, and installs the boxes as the notice sink. The settings store, the
// clock, the main window and the help window come from the application; the
// store and the clock must outlive the screens.
class TScreenSet final
{
public:
    using Factory = std::function<QWidget *()>;

    TScreenSet(const SettingsStore &settings, const Clock &clock, const Factory &makeDashboard,
               const Factory &makeHelp);
    ~TScreenSet();
    TScreenSet(const TScreenSet &) = delete;
    TScreenSet &operator=(const TScreenSet &) = delete;

private:
    std::unique_ptr<TInputData> m_data;
    std::vector<QWidget *> m_created;
    TBoxNotices m_notices;
};
