#include "ui/Screens.h"

#include "ui/InputForm.h"

#include <QWidget>

TScreens &Screens()
{
    static TScreens screens;
    return screens;
}

TInputData &InputData()
{
    return *Screens().InputData;
}

const SettingsStore &AppSettings()
{
    return *Screens().Settings;
}

const Clock &AppClock()
{
    return *Screens().Time;
}

TScreenRect InputFormRect()
{
    const QWidget *form = Screens().InputForm;
    if (!form)
        return {};
    const QRect r = form->frameGeometry();
    return {r.left(), r.top(), r.width(), r.height()};
}
