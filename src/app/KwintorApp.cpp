#include "app/KwintorApp.h"

#include "app/Dashboard.h"
#include "app/Help.h"
#include "ui/InputForm.h"
#include "ui/ModalHooks.h"
#include "ui/Screens.h"

#ifdef KW_HAVE_HELP
#include "app/help/Style.h"
#endif

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>

TKwintorApp::TKwintorApp(const SettingsStore &settings, const Clock &clock)
    : m_screens(std::make_unique<TScreenSet>(
          settings, clock, [] { return new TDashboard; }, [] { return new THelp; }))
{}

TKwintorApp::~TKwintorApp() = default;

void TKwintorApp::start(const QString &workbook)
{
    Screens().Dashboard->show();
    if (workbook.isEmpty())
        return;
    static_cast<TDashboard *>(Screens().Dashboard)->Button1->click();
    // The fields are the record: the choice is saved with the settings when the screen closes.
    const QFileInfo file(workbook);
    TInputForm *input = Screens().InputForm;
    input->edInputFolder->setText(file.absolutePath());
    input->edInputFile->setText(file.fileName());
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
