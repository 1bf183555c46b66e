#include "app/KwintorApp.h"

#include "app/Dashboard.h"
#include "app/Help.h"
#include "ui/InputForm.h"
#include "ui/ModalHooks.h"

#ifdef KW_HAVE_HELP
#include "app/help/Style.h"
#endif

#include <QApplication>

TKwintorApp::TKwintorApp(const SettingsStore &settings, const Clock &clock)
    : m_screens(std::make_unique<TScreenSet>(
          settings, clock, [this] { return m_dashboard = new TDashboard; },
          [this, &settings] { return m_help = new THelp(*m_dashboard, settings); }))
{
    m_dashboard->setScreens(screens().InputForm, m_help);
}

TKwintorApp::~TKwintorApp() = default;

void TKwintorApp::start(const QString &workbook)
{
    m_dashboard->show();
    if (workbook.isEmpty())
        return;
    m_dashboard->openInputScreen();
    // The fields are the record: the choice is saved with the settings when the screen closes.
    screens().InputForm->chooseWorkbook(workbook);
}

bool ApplyVisualStyle()
{
    QString sheet;
#ifdef KW_HAVE_HELP
    const bool loaded = LoadStyleSheet(&sheet);
#else
    const bool loaded = false;
#endif
    if (!loaded) {
        ModalHooks::plainMessage(QMessageBox::Critical, QStringLiteral("Kwintor2"),
                                 QStringLiteral("De stijl \"Windows10 SlateGray\" kan niet worden toegepast."));
        return false;
    }
    qApp->setStyleSheet(sheet);
    return true;
}
