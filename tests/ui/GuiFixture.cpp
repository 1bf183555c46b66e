#include "GuiFixture.h"

#include "ui/LayoutScreen.h"
#include "util/XlsxMaker.h"

#include <QApplication>
#include <QCheckBox>
#include <QDate>
#include <QDialog>
#include <QDir>
#include <QFocusEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

GuiFixture::GuiFixture(const QString &fixedFolder)
    : m_folder(fixedFolder.isEmpty() ? m_dir.path() : fixedFolder), m_settings(SettingsStore::inFolder(m_folder)),
      m_clock(QDateTime(QDate(2026, 3, 2), QTime(9, 5, 7)))
{
    if (!fixedFolder.isEmpty()) {
        QDir(fixedFolder).removeRecursively();
        QDir().mkpath(fixedFolder);
    }
    ModalHooks::setActive(true);
    ModalHooks::clear();
    m_app = std::make_unique<TKwintorApp>(m_settings, m_clock);
}

GuiFixture::~GuiFixture()
{
    m_app.reset();
    ModalHooks::clear();
}

QString GuiFixture::path(const QString &name) const
{
    return QDir(m_folder).filePath(name);
}

void GuiFixture::writeSettings(const std::function<void(TInputData &)> &edit)
{
    TInputData record;
    if (edit)
        edit(record);
    QVERIFY(m_settings.SaveSettings(record, m_clock));
}

void GuiFixture::writeValidSettings(const std::function<void(TInputData &)> &edit)
{
    QDir(m_folder).mkpath(QStringLiteral("in"));
    QDir(m_folder).mkpath(QStringLiteral("uit"));
    writeSettings([this, &edit](TInputData &d) {
        d.Incassant = QStringLiteral("Sportclub De Bal");
        d.ZZZCode = QStringLiteral("NL69ZZZ123456780000");
        d.IBAN = QStringLiteral("NL13TEST0123456789");
        d.BIC = QStringLiteral("TESTNL2A");
        d.IncassoLabel = QStringLiteral("Contributie maart");
        d.InputFolder = QDir::toNativeSeparators(path(QStringLiteral("in")));
        d.InputFile = QStringLiteral("incasso.xlsx");
        d.HasHeadings = true;
        d.TargetFolder = QDir::toNativeSeparators(path(QStringLiteral("uit")));
        d.DefaultSequenceCode.clear();
        d.IncassoDate = QStringLiteral("16-03-2026");
        d.Omschrijving = QStringLiteral("Contributie");
        d.InputArray = {1, 2, 0, 3, 4, 0, 5, 6, 0, 7};
        d.LogSaveFolder = QDir::toNativeSeparators(m_folder);
        d.LogSavePrefix = QStringLiteral("SEPA_log_");
        if (edit)
            edit(d);
    });
}

void GuiFixture::writeWorkbook()
{
    QDir(m_folder).mkpath(QStringLiteral("in"));
    const SheetRows rows = {
        {QStringLiteral("Naam"), QStringLiteral("Adres"), QStringLiteral("Bedrag"), QStringLiteral("IBAN"),
         QStringLiteral("Mandaat"), QStringLiteral("Getekend"), QStringLiteral("Omschrijving")},
        {QStringLiteral("J. de Vries"), QStringLiteral("Dorpsstraat 12"), 12.5, QStringLiteral("NL13TEST0123456789"),
         QStringLiteral("M-0001"), QDate(2024, 4, 20), QStringLiteral("lid 1")},
        {QStringLiteral("M. Jansen"), QVariant(), 25, QStringLiteral("NL13TEST0123456789"), QStringLiteral("M-0002"),
         QDate(2023, 1, 5), QStringLiteral("lid 2")},
        {QStringLiteral("A. Bakker"), QStringLiteral("Kerkweg 3"), 100.25, QStringLiteral("NL13TEST0123456789"),
         QStringLiteral("M-0003"), QDate(2022, 6, 30), QStringLiteral("lid 3")},
    };
    QVERIFY(WriteXlsx(
        path(QStringLiteral("in/incasso.xlsx")),
        {{QStringLiteral("Leden"), rows},
         {QStringLiteral("Fout"),
          {rows.first(), {QStringLiteral("K. Smit"), QVariant(), QStringLiteral("veel"), QStringLiteral("NL00")}}}}));
}

QStringList GuiFixture::takeShown()
{
    const QStringList shown = ModalHooks::shown();
    ModalHooks::shown().clear();
    return shown;
}

ModalHooks::Answer chooseSheet(const QString &sheet)
{
    return [sheet](QDialog &dialog) {
        auto *list = child<QListWidget>(&dialog, QStringLiteral("ListBox1"));
        const QList<QListWidgetItem *> found = list->findItems(sheet, Qt::MatchExactly);
        if (found.isEmpty())
            return;
        list->setCurrentItem(found.first());
        QTest::keyClick(list, Qt::Key_Return);
        child<QPushButton>(&dialog, QStringLiteral("Button2"))->click();
    };
}

ModalHooks::Answer typeLayout(const QStringList &letters, bool filter, const QString &criterion, const QString &column,
                              const QString &button)
{
    return [=](QDialog &dialog) {
        for (int i = 0; i < letters.size(); ++i)
            child<QLineEdit>(&dialog, QStringLiteral("Edit%1").arg(i + 1))->setText(letters[i]);
        auto *box = child<QCheckBox>(&dialog, QStringLiteral("CheckBox2"));
        if (box->isChecked() != filter)
            box->click();
        child<QLineEdit>(&dialog, QStringLiteral("Edit11"))->setText(criterion);
        child<QLineEdit>(&dialog, QStringLiteral("Edit12"))->setText(column);
        child<QPushButton>(&dialog, button)->click();
    };
}

void click(QWidget *window, const QString &button)
{
    QAbstractButton *found = child<QAbstractButton>(window, button);
    QVERIFY2(found, qPrintable(button));
    found->click();
}

void leaveField(QWidget *field)
{
    QFocusEvent event(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(field, &event);
}
