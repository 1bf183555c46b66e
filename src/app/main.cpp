#include "app/KwintorApp.h"
#include "model/Clock.h"
#include "model/Error.h"
#include "model/Notice.h"
#include "model/Settings.h"

#include <QApplication>
#include <QCommandLineParser>

namespace {
// The last edge for an error that ends a user action: the event loop shows its
// message and the application keeps running.
class TApplication final : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const KwError &error) {
            ShowErrorMessage(error.message());
            return false;
        }
    }
};
} // namespace

int main(int argc, char *argv[])
{
    TApplication app(argc, argv);
    ApplyVisualStyle();
    QApplication::setApplicationName(QStringLiteral("SEPA Incasso"));
    // Names the menu entry, whose icon the desktop then shows for the window.
    QGuiApplication::setDesktopFileName(QStringLiteral("kwintor2"));
    QCommandLineParser parser;
    parser.addPositionalArgument(QStringLiteral("werkboek"), QStringLiteral("Het Excel werkboek om te verwerken."));
    parser.parse(QCoreApplication::arguments());
    const SettingsStore settings;
    const SystemClock clock;
    TKwintorApp kwintor(settings, clock);
    kwintor.start(parser.positionalArguments().value(0));
    return app.exec();
}
