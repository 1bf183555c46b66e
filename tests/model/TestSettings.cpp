#include "model/Clock.h"
#include "model/Error.h"
#include "model/IniFile.h"
#include "model/Settings.h"
#include "util/FileSizeLimit.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

    QTemporaryDir *m_dir = nullptr;
    SettingsStore m_store;
    const FixedClock m_clock{QDateTime(QDate(2024, 5, 6), QTime(8, 58))};
    QString path(const QString &name) const { return m_dir->filePath(name); }

private Q_SLOTS:
    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        m_store = SettingsStore::inFolder(m_dir->path());
    }
    void cleanup()
    {
        delete m_dir;
        m_dir = nullptr;
    }

    void missingFileGivesDefaultsAndKeepsTexts()
    {
        TInputData d;
        d.Incassant = QStringLiteral("Typed on the screen");
        d.IncassoDate = QStringLiteral("01-01-2024");
        d.HasHeadings = false;
        d.InputArray[lfNaam] = 3;
        d.BatchVolgnummer = 7;
        QVERIFY(m_store.LoadSettings(d));
        QCOMPARE(d.Incassant, QStringLiteral("Typed on the screen"));
        QCOMPARE(d.ZZZCode, QStringLiteral("<NLxxZZZcode>"));
        QCOMPARE(d.IncassoDate, QString());
        QCOMPARE(d.Omschrijving, QString());
        QCOMPARE(d.DefaultSequenceCode, QStringLiteral("RCUR"));
        QVERIFY(d.HasHeadings);
        QVERIFY(!d.cbFilter);
        QCOMPARE(d.InputArray, QList<int>(10, 0));
        QCOMPARE(d.BatchVolgnummer, 0);
        QCOMPARE(d.LogSaveFolder, QStringLiteral("<folder voor logbestanden>"));
        QCOMPARE(d.LogExtension, QStringLiteral("log"));
        QCOMPARE(d.LogSavePrefix, QStringLiteral("SEPA_log_"));
    }

    // Every key of the table both ways: each stored field comes back, none is
    // left out of loading or saving.
    void saveThenLoadRoundTrips()
    {
        const QList<QString TInputData::*> texts{&TInputData::Incassant,
                                                 &TInputData::ZZZCode,
                                                 &TInputData::IBAN,
                                                 &TInputData::BIC,
                                                 &TInputData::InputFolder,
                                                 &TInputData::InputFile,
                                                 &TInputData::TargetFolder,
                                                 &TInputData::IncassoLabel,
                                                 &TInputData::IncassoDate,
                                                 &TInputData::Omschrijving,
                                                 &TInputData::DefaultSequenceCode,
                                                 &TInputData::strFilterReq,
                                                 &TInputData::LogSaveFolder,
                                                 &TInputData::LogExtension,
                                                 &TInputData::LogSavePrefix};
        TInputData d;
        for (qsizetype i = 0; i < texts.size(); ++i)
            d.*texts[i] = QStringLiteral("waarde %1").arg(i);
        d.HasHeadings = true;
        d.cbFilter = true;
        d.intFilterCol = 12;
        d.InputArray = {1, 2, 0, 4, 5, 0, 7, 8, 9, 10};
        d.BatchVolgnummer = 17;
        d.Incassovolgnummer = 9999;
        QVERIFY(m_store.SaveSettings(d, m_clock));

        TInputData back;
        QVERIFY(m_store.LoadSettings(back));
        for (QString TInputData::*text : texts)
            QCOMPARE(back.*text, d.*text);
        QVERIFY(back.HasHeadings && back.cbFilter);
        QCOMPARE(back.intFilterCol, 12);
        QCOMPARE(back.InputArray, d.InputArray);
        QCOMPARE(back.BatchVolgnummer, 17);
        QCOMPARE(back.Incassovolgnummer, 9999);

        // Values are read trimmed, as the original platform does.
        d.LogSavePrefix = QStringLiteral("SEPA incasso verwerking ");
        QVERIFY(m_store.SaveSettings(d, m_clock));
        QVERIFY(m_store.LoadSettings(back));
        QCOMPARE(back.LogSavePrefix, QStringLiteral("SEPA incasso verwerking"));

        const QByteArray bytes = readFile(path(QStringLiteral("Kwintor2.ini")));
        QVERIFY(bytes.contains("\nFilter kolom no =12\n"));
        QVERIFY(bytes.contains("Excel tabel heeft een kopregel=1\n"));
        QVERIFY(bytes.contains("Layout 3=0\n"));
        QVERIFY(!bytes.contains('\r'));
        // The date of the save is the clock's.
        const QByteArray saved = QLocale().toString(m_clock.now().date(), QLocale::ShortFormat).toUtf8();
        QVERIFY(bytes.contains(QByteArray("Instellingen voor :=" + saved + '\n')));
        // A new file has the sections in their fixed order.
        const QList<qsizetype> at{bytes.indexOf("[SEPA incasso]"), bytes.indexOf("[Input]"),
                                  bytes.indexOf("[Counters]"), bytes.indexOf("[Layout]"), bytes.indexOf("[Logging]")};
        QVERIFY(at.first() >= 0);
        QVERIFY(std::is_sorted(at.begin(), at.end()));
        QVERIFY(bytes.indexOf("Naam incassant") < bytes.indexOf("Default_sequence_code"));
        QVERIFY(bytes.indexOf("Layout 1=") < bytes.indexOf("Layout 10="));
    }

    void valuesAreReadLeniently_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("layout1");
        QTest::addColumn<bool>("headings");
        QTest::newRow("text number") << QByteArray("Layout 1=abc") << 0 << true;
        QTest::newRow("empty number") << QByteArray("Layout 1=") << 0 << true;
        QTest::newRow("blanks around") << QByteArray("Layout 1=  4  ") << 4 << true;
        QTest::newRow("negative") << QByteArray("Layout 1=-2") << -2 << true;
        QTest::newRow("bool zero") << QByteArray("Excel tabel heeft een kopregel=0") << 0 << false;
        QTest::newRow("bool five") << QByteArray("Excel tabel heeft een kopregel=5") << 0 << true;
        QTest::newRow("bool word keeps default") << QByteArray("Excel tabel heeft een kopregel=ja") << 0 << true;
    }
    void valuesAreReadLeniently()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, layout1);
        QFETCH(bool, headings);
        const QByteArray section = line.startsWith("Layout") ? "[Layout]\n" : "[Input]\n";
        writeFile(path(QStringLiteral("Kwintor2.ini")), section + line + "\n");
        TInputData d;
        QVERIFY(m_store.LoadSettings(d));
        QCOMPARE(d.InputArray[lfNaam], layout1);
        QCOMPARE(d.HasHeadings, headings);
    }

    void keysAndSectionsIgnoreCase()
    {
        writeFile(path(QStringLiteral("Kwintor2.ini")),
                  "[input]\r\nNAAM INCASSANT = Club \r\nnaam incassant=Second\r\n[LAYOUT]\r\nfilter KOLOM no=6\r\n");
        TInputData d;
        QVERIFY(m_store.LoadSettings(d));
        QCOMPARE(d.Incassant, QStringLiteral("Club")); // the first of two keys counts
        QCOMPARE(d.intFilterCol, 6);
    }

    void saveKeepsPlaceOfKnownKeysAndOtherLines()
    {
        writeFile(path(QStringLiteral("Kwintor2.ini")),
                  "; my notes\n[Layout]\nLayout 2=5\nOwn key=kept\n\n[Input]\nIBAN=old\n");
        TInputData d;
        QVERIFY(m_store.LoadSettings(d));
        d.IBAN = QStringLiteral("NL13TEST0123456789");
        QVERIFY(m_store.SaveSettings(d, m_clock));
        const QString text = QString::fromUtf8(readFile(path(QStringLiteral("Kwintor2.ini"))));
        QVERIFY(text.startsWith(QStringLiteral("; my notes\n[Layout]\nLayout 2=5\nOwn key=kept\n")));
        // New keys of a section follow its existing ones, before the blank line.
        QVERIFY(text.contains(QStringLiteral("Own key=kept\nGebruik van het filter=0\n")));
        QVERIFY(text.contains(QStringLiteral("[Input]\nIBAN=NL13TEST0123456789\nNaam incassant=")));
        QCOMPARE(text.count(QStringLiteral("IBAN=")), 1);
    }

    void windows1252FileIsRead()
    {
        writeFile(path(QStringLiteral("Kwintor2.ini")), "[Input]\r\nNaam incassant=Caf\xe9 \x80uro\r\n");
        TInputData d;
        QVERIFY(m_store.LoadSettings(d));
        QCOMPARE(d.Incassant, QStringLiteral("Caf\u00e9 \u20acuro"));
    }

    void oldNameIsReadAndNewNameWritten()
    {
        writeFile(path(QStringLiteral("Dravelin.INI")),
                  "[Input]\nNaam incassant=Oud\n[Counters]\nLaatste batchnummer=4\n");
        QCOMPARE(m_store.SettingsFilePath(), path(QStringLiteral("Dravelin.INI")));
        TInputData d;
        QVERIFY(m_store.LoadSettings(d));
        QCOMPARE(d.Incassant, QStringLiteral("Oud"));
        d.Incassant = QStringLiteral("Nieuw");
        QVERIFY(m_store.SaveSettings(d, m_clock));
        QCOMPARE(m_store.SettingsFilePath(), path(QStringLiteral("Kwintor2.ini")));
        TInputData again;
        QVERIFY(m_store.LoadSettings(again));
        QCOMPARE(again.Incassant, QStringLiteral("Nieuw"));
        QCOMPARE(again.BatchVolgnummer, 4);
    }

    void nameInOtherCaseIsFoundAndWritten()
    {
        writeFile(path(QStringLiteral("KWINTOR2.INI")), "[Input]\nIBAN=X\n");
        QCOMPARE(m_store.SettingsFilePath(), path(QStringLiteral("KWINTOR2.INI")));
        TInputData d;
        QVERIFY(m_store.LoadSettings(d));
        QVERIFY(m_store.SaveSettings(d, m_clock));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("KWINTOR2.INI")});
    }

    void countersFallBackToOldFile()
    {
        writeFile(path(QStringLiteral("Kwintor2.ini")),
                  "[Counters]\nLaatste batchnummer=0\nLaatste incassonummer=55\n");
        writeFile(path(QStringLiteral("dravelin.ini")),
                  "[Counters]\nLaatste batchnummer=12\nLaatste incassonummer=340\n");
        const TCounters stored = m_store.ReadCounters();
        QCOMPARE(stored.BatchVolgnummer, 12);
        QCOMPARE(stored.Incassovolgnummer, 340);
        m_store.WriteCounters({13, 345});
        const QByteArray bytes = readFile(path(QStringLiteral("Kwintor2.ini")));
        QVERIFY(bytes.contains("Laatste batchnummer=13\n"));
        QVERIFY(bytes.contains("Laatste incassonummer=345\n"));
        QCOMPARE(m_store.ReadCounters().BatchVolgnummer, 13);
    }

    // A counter that is there but no whole number from 0 to MaxCounter stops
    // the numbering with its value named, and stays in the file, also through
    // a save of the screen; the old file is no way around it.
    void damagedCounters_data()
    {
        QTest::addColumn<QByteArray>("batch"); // the line's value; "-": no line
        QTest::addColumn<QByteArray>("incasso");
        QTest::addColumn<QByteArray>("old");  // "Laatste batchnummer" of Dravelin.INI; "-": no such file
        QTest::addColumn<QString>("damaged"); // the file and key named, "": readable
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("readBatch");
        QTest::addColumn<int>("readIncasso");
        const QString batchKey = QStringLiteral("Kwintor2.ini|Laatste batchnummer");
        QTest::newRow("letters after digits") << QByteArray("57abc") << QByteArray("9") << QByteArray("-") << batchKey
                                              << QStringLiteral("57abc") << 0 << 0;
        QTest::newRow("one past 32 bits") << QByteArray("2147483648") << QByteArray("9") << QByteArray("-") << batchKey
                                          << QStringLiteral("2147483648") << 0 << 0;
        QTest::newRow("top of 32 bits") << QByteArray("2147483647") << QByteArray("9") << QByteArray("-") << batchKey
                                        << QStringLiteral("2147483647") << 0 << 0;
        QTest::newRow("decimal") << QByteArray("12.0") << QByteArray("9") << QByteArray("-") << batchKey
                                 << QStringLiteral("12.0") << 0 << 0;
        QTest::newRow("empty") << QByteArray("") << QByteArray("9") << QByteArray("-") << batchKey << QString() << 0
                               << 0;
        QTest::newRow("negative") << QByteArray("-1") << QByteArray("9") << QByteArray("-") << batchKey
                                  << QStringLiteral("-1") << 0 << 0;
        QTest::newRow("plus sign") << QByteArray("+5") << QByteArray("9") << QByteArray("-") << batchKey
                                   << QStringLiteral("+5") << 0 << 0;
        QTest::newRow("collection counter")
            << QByteArray("5") << QByteArray("x9") << QByteArray("-")
            << QStringLiteral("Kwintor2.ini|Laatste incassonummer") << QStringLiteral("x9") << 0 << 0;
        QTest::newRow("long value is cut")
            << QByteArray(300, '7') + 'x' << QByteArray("9") << QByteArray("-") << batchKey
            << QString(200, u'7') + QStringLiteral("\u2026 (301 tekens)") << 0 << 0;
        QTest::newRow("damaged beside an old file") << QByteArray("57abc") << QByteArray("9") << QByteArray("4")
                                                    << batchKey << QStringLiteral("57abc") << 0 << 0;
        QTest::newRow("zero, the old file damaged")
            << QByteArray("0") << QByteArray("9") << QByteArray("4x")
            << QStringLiteral("Dravelin.INI|Laatste batchnummer") << QStringLiteral("4x") << 0 << 0;
        // Read without blanks at their ends, as every value is.
        QTest::newRow("blanks around") << QByteArray(" 5 ") << QByteArray("\t9") << QByteArray("-") << QString()
                                       << QString() << 5 << 9;
        QTest::newRow("leading zeros") << QByteArray("0057") << QByteArray("9") << QByteArray("-") << QString()
                                       << QString() << 57 << 9;
        QTest::newRow("the last number") << QByteArray("2147483646") << QByteArray("2147483646") << QByteArray("-")
                                         << QString() << QString() << MaxCounter << MaxCounter;
        QTest::newRow("missing, the old file taken")
            << QByteArray("-") << QByteArray("9") << QByteArray("4") << QString() << QString() << 4 << 0;
    }
    void damagedCounters()
    {
        QFETCH(QByteArray, batch);
        QFETCH(QByteArray, incasso);
        QFETCH(QByteArray, old);
        QFETCH(QString, damaged);
        QFETCH(QString, shown);
        QFETCH(int, readBatch);
        QFETCH(int, readIncasso);
        const QString file = path(QStringLiteral("Kwintor2.ini"));
        QByteArray bytes = "[Input]\nIBAN=NL13TEST0123456789\n[Counters]\n";
        if (batch != "-")
            bytes += "Laatste batchnummer=" + batch + "\n";
        bytes += "Laatste incassonummer=" + incasso + "\n";
        writeFile(file, bytes);
        if (old != "-")
            writeFile(path(QStringLiteral("Dravelin.INI")), "[Counters]\nLaatste batchnummer=" + old + "\n");

        if (damaged.isEmpty()) {
            const TCounters read = m_store.ReadCounters();
            QCOMPARE(read.BatchVolgnummer, readBatch);
            QCOMPARE(read.Incassovolgnummer, readIncasso);
            return;
        }
        const QString expected = QStringLiteral("Het volgnummer ") + damaged.section(u'|', 1) + QStringLiteral(" in ") +
                                 path(damaged.section(u'|', 0, 0)) + QStringLiteral(" is onleesbaar: ") + shown +
                                 QStringLiteral(". Herstel het instellingenbestand.");
        for (int pass = 0; pass < 2; ++pass) {
            try {
                m_store.ReadCounters();
                QFAIL("a damaged counter was read");
            } catch (const KwError &e) {
                QCOMPARE(e.message(), expected);
            }
            // The screen saves the settings when it closes: the damaged value stays for the user to see.
            TInputData d;
            QVERIFY(m_store.LoadSettings(d));
            QVERIFY(m_store.SaveSettings(d, m_clock));
            QVERIFY(readFile(file).contains(bytes.mid(bytes.indexOf("[Counters]"))));
        }
    }

    // A screen opened before a run saves what it loaded then: the counters the
    // run stored in between must stay, or the next run would repeat its numbers.
    void savingKeepsTheRunsCounters()
    {
        TInputData d;
        d.BatchVolgnummer = 3;
        d.Incassovolgnummer = 30;
        QVERIFY(m_store.SaveSettings(d, m_clock));
        m_store.WriteCounters({58, 580});
        d.Incassant = QStringLiteral("Later");
        QVERIFY(m_store.SaveSettings(d, m_clock));
        const TCounters stored = m_store.ReadCounters();
        QCOMPARE(stored.BatchVolgnummer, 58);
        QCOMPARE(stored.Incassovolgnummer, 580);
        TInputData back;
        QVERIFY(m_store.LoadSettings(back));
        QCOMPARE(back.Incassant, QStringLiteral("Later"));
    }

    void countersWriteOnlyTheCounters()
    {
        writeFile(path(QStringLiteral("Kwintor2.ini")), "[Input]\nIBAN=Mine\n");
        m_store.WriteCounters({1, 0});
        const QByteArray bytes = readFile(path(QStringLiteral("Kwintor2.ini")));
        QVERIFY(bytes.startsWith("[Input]\nIBAN=Mine\n"));
        QVERIFY(bytes.contains("[Counters]\nLaatste batchnummer=1\nLaatste incassonummer=0\n"));
    }

    void explicitFileIsUsedForBoth()
    {
        const QString file = path(QStringLiteral("elders/club.ini"));
        QVERIFY(QDir().mkpath(QFileInfo(file).path()));
        m_store = SettingsStore::ofFile(file);
        TInputData d;
        d.BatchVolgnummer = 3;
        QVERIFY(m_store.SaveSettings(d, m_clock));
        QVERIFY(QFile::exists(file));
        QVERIFY(!QFile::exists(path(QStringLiteral("Kwintor2.ini"))));
        QCOMPARE(m_store.ReadCounters().BatchVolgnummer, 3);
    }

    void failedSaveLeavesOldFileIntact()
    {
        const QString file = path(QStringLiteral("Kwintor2.ini"));
        TInputData d;
        d.Incassant = QStringLiteral("Eerst");
        d.BatchVolgnummer = 41;
        QVERIFY(m_store.SaveSettings(d, m_clock));
        const QByteArray before = readFile(file);

        d.Incassant = QStringLiteral("Daarna");
        bool saved = true;
        bool countersThrew = false;
        {
            FileSizeLimit limit(64);
            saved = m_store.SaveSettings(d, m_clock);
            try {
                m_store.WriteCounters({d.BatchVolgnummer, d.Incassovolgnummer});
            } catch (const KwError &) {
                countersThrew = true;
            }
        }
        QVERIFY(!saved);
        QVERIFY(countersThrew);
        QCOMPARE(readFile(file), before);
        // No temporary file is left behind either.
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Kwintor2.ini")});
    }

    // Saving replaces the file, but a file the user made private stays private.
    void saveKeepsTheFilePermissions()
    {
        const QString file = path(QStringLiteral("Kwintor2.ini"));
        writeFile(file, "[Counters]\nLaatste batchnummer=3\n");
        QVERIFY(QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        // Seen from the owner who runs the test: read and write for owner and user, nothing for others.
        const QFileDevice::Permissions privateFile = QFile::permissions(file);
        QVERIFY(!(privateFile & (QFileDevice::ReadGroup | QFileDevice::ReadOther)));
        QVERIFY(m_store.SaveSettings(TInputData(), m_clock));
        QCOMPARE(QFile::permissions(file), privateFile);
        m_store.WriteCounters({});
        QCOMPARE(QFile::permissions(file), privateFile);
    }

    void saveIntoMissingFolderFails()
    {
        m_store = SettingsStore::inFolder(path(QStringLiteral("bestaat-niet")));
        QVERIFY(!m_store.SaveSettings(TInputData(), m_clock));
        QVERIFY_THROWS_EXCEPTION(KwError, m_store.WriteCounters({}));
    }

    // Which folder a program in bin/ uses: beside itself unless it is installed
    // (../share/kwintor2 exists) or may not write there.
    void defaultFolder_data()
    {
        QTest::addColumn<bool>("installed");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("xdgConfigHome"); // "-": unset; a leading "/" is made absolute in the test folder
        QTest::addColumn<QString>("expected");      // "bin", or a path below the test folder

        QTest::newRow("build folder or portable copy") << false << false << "/cfg"
                                                       << "bin";
        QTest::newRow("installed, XDG_CONFIG_HOME") << true << false << "/cfg"
                                                    << "cfg/Kwintor2";
        QTest::newRow("installed, no XDG_CONFIG_HOME") << true << false << "-"
                                                       << "home/.config/Kwintor2";
        QTest::newRow("installed, empty XDG_CONFIG_HOME") << true << false << ""
                                                          << "home/.config/Kwintor2";
        QTest::newRow("installed, relative XDG_CONFIG_HOME") << true << false << "cfg"
                                                             << "home/.config/Kwintor2";
        QTest::newRow("read-only folder") << false << true << "-"
                                          << "home/.config/Kwintor2";
    }
    void defaultFolder()
    {
        QFETCH(bool, installed);
        QFETCH(bool, readOnly);
        QFETCH(QString, xdgConfigHome);
        QFETCH(QString, expected);

        const QDir root(m_dir->path());
        QVERIFY(root.mkpath(QStringLiteral("bin")));
        if (installed)
            QVERIFY(root.mkpath(QStringLiteral("share/kwintor2")));
        const QString bin = root.filePath(QStringLiteral("bin"));
        if (readOnly) {
            QFile::setPermissions(bin, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
            if (QFileInfo(bin).isWritable())
                QSKIP("root may write in every folder");
        }
        const QByteArray oldHome = qgetenv("HOME");
        const QByteArray oldXdg = qgetenv("XDG_CONFIG_HOME");
        const bool hadXdg = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
        qputenv("HOME", root.filePath(QStringLiteral("home")).toLocal8Bit());
        if (xdgConfigHome == QLatin1String("-"))
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME",
                    (xdgConfigHome.startsWith(QLatin1Char('/')) ? m_dir->path() + xdgConfigHome : xdgConfigHome)
                        .toLocal8Bit());

        const QString folder = DefaultSettingsFolder(bin);

        qputenv("HOME", oldHome);
        if (hadXdg)
            qputenv("XDG_CONFIG_HOME", oldXdg);
        else
            qunsetenv("XDG_CONFIG_HOME");
        QFile::setPermissions(bin, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(folder, root.filePath(expected));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "TestSettings.moc"
