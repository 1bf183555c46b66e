#include <QApplication>
#include <QMessageBox>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("SEPA Incasso"));
    QMessageBox::information(nullptr, QStringLiteral("SEPA Incasso"),
                             QStringLiteral("Kwintor2: de schermen zijn nog niet beschikbaar."));
    return 0;
}
