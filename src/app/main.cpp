#include "app/KwintorApp.h"
#include "model/Error.h"
#include "ui/MessageBoxes.h"

#include <QApplication>

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
            ShowErrorBox(error.message());
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
    TKwintorApp kwintor;
    kwintor.start();
    return app.exec();
}
