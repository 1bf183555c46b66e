#pragma once

#include "model/Clock.h"
#include "model/InputData.h"
#include "model/Settings.h"
#include "util/NoticeRecorder.h"
#include "util/XlsxMaker.h"
#include "workbook/WorkbookService.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A creditor, a settings store on the temporary folder, a target folder and a workbook in a
// temporary folder, with a fixed clock and a notice recorder.
struct RunFixture
{
    QTemporaryDir dir;
    SettingsStore settings = SettingsStore::inFolder(dir.path());
    FixedClock clock{QDateTime(QDate(2024, 5, 6), QTime(8, 58, 24))};
    NoticeRecorder notices;
    WorkbookService service;
    TInputData data;

    // Layout of the standard table: A naam, B adres1, C adres2, D bedrag, E IBAN,
    // F BIC, G mandaat, H datum, I code, J omschrijving, K filter.
    RunFixture()
    {
        QDir(dir.path()).mkdir(QStringLiteral("doel"));
        data.Incassant = QStringLiteral("Sportclub De Wikkel");
        data.ZZZCode = QStringLiteral("NL69ZZZ123456780000");
        data.IBAN = QStringLiteral("NL13TEST0123456789");
        data.BIC = QStringLiteral("TESTNL2A");
        data.IncassoLabel = QStringLiteral("Contributie mei");
        data.InputFolder = dir.path();
        data.InputFile = QStringLiteral("leden.xlsx");
        data.TargetFolder = dir.filePath(QStringLiteral("doel"));
        data.IncassoDate = QStringLiteral("10-05-2024");
        data.Omschrijving = QStringLiteral("Contributie");
        data.ssAlgOmschr = data.Omschrijving;
        data.DefaultSequenceCode.clear();
        data.HasHeadings = true;
        data.InputArray = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
        data.SelectedWorkbook = dir.filePath(QStringLiteral("leden.xlsx"));
        data.SelectedSheet = QStringLiteral("Leden");
    }
    static QVariantList headings()
    {
        return {QStringLiteral("Naam"),         QStringLiteral("Adres"), QStringLiteral("Plaats"),
                QStringLiteral("Bedrag"),       QStringLiteral("IBAN"),  QStringLiteral("BIC"),
                QStringLiteral("Mandaat"),      QStringLiteral("Datum"), QStringLiteral("Code"),
                QStringLiteral("Omschrijving"), QStringLiteral("Filter")};
    }

    // One ordinary member row; tests change single cells.
    static QVariantList member(const QString &name, double amount, const QString &code, const QString &iban,
                               const QString &mandate)
    {
        return {name,
                QVariant(),
                QVariant(),
                amount,
                iban,
                QVariant(),
                mandate,
                QDate(2023, 1, 15),
                code,
                QStringLiteral("mei"),
                QStringLiteral("ja")};
    }

    bool writeSheet(const SheetRows &rows, const QString &sheet = QStringLiteral("Leden"))
    {
        return WriteXlsx(data.SelectedWorkbook, {{sheet, rows}});
    }

    QString targetFile(const QString &name) const { return QDir(data.TargetFolder).filePath(name); }
    QByteArray readTarget(const QString &name) const
    {
        QFile f(targetFile(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
};
