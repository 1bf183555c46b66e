// Not run from the build folder: install.sh copies this program into an
// installed bin/ folder, and into a portable copy's folder beside the help file,
// and starts it from another folder with a fresh HOME.
#include "app/Help.h"
#include "app/KwintorApp.h"
#include "model/Clock.h"
#include "model/Settings.h"
#include "ui/ModalHooks.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

class TestInstalled : public QObject
{
    Q_OBJECT

    bool m_installed = false;
    const SettingsStore m_settings; // the program's own, as the application makes it
    const SystemClock m_clock;
    QString exeFile(const QString &name) const { return QCoreApplication::applicationDirPath() + u'/' + name; }
    QString config() const { return QDir::homePath() + QStringLiteral("/.config/Kwintor2"); }
    QString settingsFile() const
    {
        return m_installed ? config() + QStringLiteral("/Kwintor2.ini") : exeFile(QStringLiteral("Kwintor2.ini"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_installed = QFileInfo(exeFile(QStringLiteral("../share/kwintor2"))).isDir();
        QVERIFY2(m_installed || QFileInfo::exists(exeFile(THelp::helpFileName())),
                 "run this from an installed bin/ folder or beside the help file");
        QVERIFY2(!QFileInfo::exists(QDir::current().filePath(THelp::helpFileName())),
                 "run this from a folder without the help file");
        QVERIFY(!QFileInfo::exists(config()));
        QVERIFY(!QFileInfo::exists(settingsFile()));
        ModalHooks::setActive(true);
    }

    void helpWindowFindsItsFile()
    {
        TKwintorApp app(m_settings, m_clock);
        app.start();
        THelp *help = &app.help();
        auto *text = help->findChild<QTextEdit *>(QStringLiteral("RichEdit1"));
        auto *settingsLine = help->findChild<QLabel *>(QStringLiteral("lbSettingsFile"));
        auto *sluit = help->findChild<QPushButton *>(QStringLiteral("Button1"));
        help->showScreen();
        QCOMPARE(ModalHooks::shown(), QStringList());
        QVERIFY(text->toPlainText().size() > 500);
        QCOMPARE(THelp::helpFilePath(),
                 QDir::cleanPath(exeFile((m_installed ? QStringLiteral("../share/kwintor2/") : QString()) +
                                         THelp::helpFileName())));
        QCOMPARE(settingsLine->text(), QStringLiteral("Instellingenbestand: ") + settingsFile());
        QVERIFY(settingsLine->width() >= settingsLine->sizeHint().width());
        sluit->click();

        // The working directory still comes first.
        QFile own(THelp::helpFileName());
        QVERIFY(own.open(QIODevice::WriteOnly));
        own.write("{\\rtf1\\ansi Eigen hulptekst\\par}");
        own.close();
        help->showScreen();
        QCOMPARE(text->toPlainText().trimmed(), QStringLiteral("Eigen hulptekst"));
        sluit->click();
        QFile::remove(THelp::helpFileName());
    }

    // An installed program writes nothing beside itself, even where it could;
    // a portable copy keeps its settings there.
    void firstSaveMakesTheSettingsFile()
    {
        QVERIFY(m_settings.SaveSettings(TInputData(), m_clock));
        QVERIFY(QFileInfo(settingsFile()).isFile());
        QCOMPARE(m_settings.SettingsFilePath(), settingsFile());
        QCOMPARE(QFileInfo::exists(exeFile(QStringLiteral("Kwintor2.ini"))), !m_installed);
        QCOMPARE(QFileInfo::exists(config()), m_installed);
    }
};

QTEST_MAIN(TestInstalled)
#include "TestInstalled.moc"
