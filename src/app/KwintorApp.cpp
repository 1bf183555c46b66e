#include "app/KwintorApp.h"

#include "app/Dashboard.h"
#include "app/Help.h"
#include "ui/ModalHooks.h"
#include "ui/Screens.h"

#ifdef KW_HAVE_HELP
#include "app/help/Style.h"
#endif

#include <QApplication>

TKwintorApp::TKwintorApp()
    : m_screens(std::make_unique<TScreenSet>([] { return new TDashboard; }, [] { return new THelp; }))
{}

TKwintorApp::~TKwintorApp() = default;

void TKwintorApp::start()
{
    Screens().Dashboard->show();
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
