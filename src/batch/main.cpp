#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream(stdout) << "kwintor2-batch: nog geen opdrachten beschikbaar.\n";
    return 0;
}
