#include "ui/InputForm.h"

#include "model/Error.h"
#include "model/Settings.h"
#include "rules/AccountRules.h"
#include "rules/TextRules.h"
#include "rules/Verification.h"
#include "ui/DateDialog.h"
#include "ui/FileSelectionDialog.h"
#include "ui/LayoutScreen.h"
#include "ui/Look.h"
#include "ui/MessageBoxes.h"
#include "ui/ModalHooks.h"
#include "ui/ProcessingScreen.h"
#include "ui/SelectFolderDialog.h"
#include "ui/SelectSheet.h"
#include "ui/SummaryGrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>

namespace {
QLineEdit *field(QWidget *parent, const QString &name, const QString &hint, int x, int y, int width,
                 bool readOnly = false)
{
    QLineEdit *e = Look::edit(parent, name, x, y, width);
    e->setToolTip(hint);
    e->setReadOnly(readOnly);
    return e;
}

QPushButton *dots(QWidget *parent, const QString &name, int x, int y)
{
    return Look::button(parent, name, QStringLiteral(" . . ."), x, y, 40, 24);
}
} // namespace

TInputForm::TInputForm(TInputData &data, QWidget *parent) : QWidget(parent, Qt::Window), m_data(data)
{
    Look::setupWindow(this, QStringLiteral("InputForm"), QStringLiteral("SEPA incasso bestand - invoergegevens"), 1115,
                      857, Look::Border::CloseOnly, Look::MainBackground, 14);

    QLabel *title =
        Look::label(this, QStringLiteral("Label1"),
                    QStringLiteral("Invoergegevens voor de generatie van SEPA incassobestanden"), 368, 8, true);
    title->setFont(Look::tahoma(16, true));
    title->adjustSize();
    auto *image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setGeometry(952, 33, 100, 107);
    image->setPixmap(Look::emblem(100, 107));

    Look::label(this, QStringLiteral("Label3"), QStringLiteral("Naam van de incassant"), 48, 58);
    edIncassant = field(this, QStringLiteral("edIncassant"), QStringLiteral("<naam van de incassant>"), 368, 56, 220);
    Look::label(this, QStringLiteral("Label4"), QStringLiteral("Code machtiging tot incasseren (ZZZ-code)"), 48, 97);
    edZZZ = field(this, QStringLiteral("edZZZ"), QStringLiteral("<NLxxZZZcode>"), 368, 95, 220);
    Look::label(this, QStringLiteral("Label5"), QStringLiteral("IBAN rekening nummer"), 48, 136);
    edIBAN = field(this, QStringLiteral("edIBAN"), QStringLiteral("<IBAN rekeningnummer>"), 368, 134, 220);
    Look::label(this, QStringLiteral("Label6"), QStringLiteral("BIC van de incasserende bank"), 48, 175);
    edBIC = field(this, QStringLiteral("edBIC"), QStringLiteral("<BIC>"), 368, 173, 220);
    Look::label(this, QStringLiteral("Label11"), QStringLiteral("Uniek label  voor deze incasso"), 48, 224);
    edIncassoLabel = field(this, QStringLiteral("edIncassoLabel"),
                           QStringLiteral("<uniek label voor deze incasso batch>"), 368, 217, 363);
    Look::label(this, QStringLiteral("Label7"), QStringLiteral("Map met het Excel incassobestand"), 46, 263);
    edInputFolder = field(this, QStringLiteral("edInputFolder"), QStringLiteral("<map van het Excel incassobestand>"),
                          368, 261, 420, true);
    Button1 = dots(this, QStringLiteral("Button1"), 823, 262);
    Look::label(this, QStringLiteral("Label8"), QStringLiteral("Naam van het Excel incassobestand"), 46, 302);
    edInputFile = field(this, QStringLiteral("edInputFile"), QStringLiteral("<naam van het incassobestand>"), 368, 300,
                        420, true);
    Button11 = dots(this, QStringLiteral("Button11"), 823, 301);
    Look::label(this, QStringLiteral("Label9"), QStringLiteral("Layout van de  Excel inputtabel"), 46, 341);
    Button2 =
        Look::button(this, QStringLiteral("Button2"), QStringLiteral("Definieer de layout"), 368, 335, 220, 30, true);
    cbHeadings =
        Look::checkBox(this, QStringLiteral("cbHeadings"), QStringLiteral("Heeft de tabel koppen "), 599, 343, true);
    Label23 = Look::label(this, QStringLiteral("Label23"), QString(), 601, 377);
    Label23->setFixedWidth(500);
    Look::label(this, QStringLiteral("Label10"), QStringLiteral("Doelmap voor de SEPA bestanden"), 46, 415);
    edTargetFolder = field(this, QStringLiteral("edTargetFolder"),
                           QStringLiteral("<map voor de te maken SEPA XML bestanden>"), 368, 413, 420, true);
    Button3 = dots(this, QStringLiteral("Button3"), 823, 414);
    Look::label(this, QStringLiteral("Label16"), QStringLiteral("Standaard sequentie code"), 46, 463);
    edDefaultSequenceCode = field(this, QStringLiteral("edDefaultSequenceCode"),
                                  QStringLiteral("De omschrijving voor al deze incassos."), 368, 461, 57);
    edDefaultSequenceCode->setPlaceholderText(
        QStringLiteral("Geef hier de omschrijving die voor al deze incassos geldt."));
    QLabel *explanation = Look::label(this, QStringLiteral("Label14"),
                                      QStringLiteral("(RCUR: default voor incasso's. Indien afwijkend,\n"
                                                     "specificeer in de layout een kolom voor FRST,\n"
                                                     "RCUR,LASTof OOFF en laat dit veld leeg.)"),
                                      46, 487);
    explanation->setFont(Look::tahoma(12));
    explanation->adjustSize();
    Look::label(this, QStringLiteral("Label17"), QStringLiteral("Incassodatum"), 46, 555);
    edIncDate2 =
        field(this, QStringLiteral("edIncDate2"), QStringLiteral("Incassodatum 2 (RCUR)"), 368, 553, 113, true);
    Button14 = dots(this, QStringLiteral("Button14"), 493, 553);
    Look::label(this, QStringLiteral("Label24"), QStringLiteral("Algemene omschrijving voor deze incasso"), 46, 599);
    edOmschrijving =
        field(this, QStringLiteral("edOmschrijving"), QStringLiteral("Omschrijving voor elke incasso"), 368, 597, 349);
    edOmschrijving->setPlaceholderText(QStringLiteral("Omschrijving voor elke incasso"));

    Look::label(this, QStringLiteral("Label19"), QStringLiteral("Terug naar originele"), 706, 485);
    Button8 = Look::button(this, QStringLiteral("Button8"), QStringLiteral("Startwaarden"), 710, 509, 120, 30, true);
    Look::label(this, QStringLiteral("Label18"), QStringLiteral("of deze invoer opslaan"), 901, 487);
    Button7 =
        Look::button(this, QStringLiteral("Button7"), QStringLiteral("Gegevens vastleggen"), 876, 511, 180, 30, true);
    QLabel *verify =
        Look::label(this, QStringLiteral("Label20"), QStringLiteral("Verifieer deze invoergegevens"), 915, 567);
    Look::wrapLabel(verify, 130);
    Button9 = Look::button(this, QStringLiteral("Button9"), QStringLiteral("Check"), 929, 609, 75, 30, true);
    Look::label(this, QStringLiteral("Label21"), QStringLiteral("Incassobestanden aanmaken"), 870, 652);
    Button10 = Look::button(this, QStringLiteral("Button10"), QStringLiteral("Go !"), 929, 680, 75, 50, true);

    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setGeometry(93, 678, 736, 144);
    Memo1 = Look::memo(panel, QStringLiteral("Memo1"),
                       {QString(), QStringLiteral("Samenvatting van "), QStringLiteral("de aangemaakte "),
                        QStringLiteral("bestanden, het "), QStringLiteral("aantal incasso's en "),
                        QStringLiteral("de bedragen")},
                       0, 0, 149, 144);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1 = CreateSummaryGrid(panel);
    StringGrid1->setGeometry(149, 0, 587, 144);
    SetupSummaryGrid(StringGrid1);
    Button12 = Look::button(this, QStringLiteral("Button12"), QStringLiteral("Afsluiten"), 915, 772, 102, 50, true);
    Look::setKeyButtons(this, nullptr, Button12);

    const QList<QWidget *> tabOrder = {
        edIncassant,    edZZZ,      edIBAN,   edBIC,          Button1,        Button11,
        Button2,        cbHeadings, Button3,  edIncassoLabel, Button14,       Button7,
        Button8,        Button9,    Button10, Button12,       edInputFolder,  edInputFile,
        edTargetFolder, edIncDate2, Memo1,    StringGrid1,    edOmschrijving, edDefaultSequenceCode};
    for (int i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    // Each field is a view of one field of the input data: a change is at once the record's value.
    m_bindings = {{edIncassant, &TInputData::Incassant},
                  {edZZZ, &TInputData::ZZZCode},
                  {edIBAN, &TInputData::IBAN},
                  {edBIC, &TInputData::BIC},
                  {edIncassoLabel, &TInputData::IncassoLabel},
                  {edInputFolder, &TInputData::InputFolder},
                  {edInputFile, &TInputData::InputFile},
                  {edTargetFolder, &TInputData::TargetFolder},
                  {edDefaultSequenceCode, &TInputData::DefaultSequenceCode},
                  {edIncDate2, &TInputData::IncassoDate},
                  {edOmschrijving, &TInputData::Omschrijving}};
    for (const Binding &b : std::as_const(m_bindings)) {
        QString TInputData::*member = b.field;
        connect(b.edit, &QLineEdit::textChanged, this, [this, member](const QString &text) { m_data.*member = text; });
    }
    connect(cbHeadings, &QCheckBox::toggled, this, [this](bool on) { m_data.HasHeadings = on; });
    for (QLineEdit *e : {edIncassant, edIncassoLabel, edIBAN, edZZZ})
        e->installEventFilter(this);

    auto guarded = [this](void (TInputForm::*handler)()) {
        return [this, handler] { Guarded([&] { (this->*handler)(); }); };
    };
    connect(Button1, &QPushButton::clicked, this, guarded(&TInputForm::Button1Click));
    connect(Button2, &QPushButton::clicked, this, guarded(&TInputForm::Button2Click));
    connect(Button3, &QPushButton::clicked, this, guarded(&TInputForm::Button3Click));
    connect(Button7, &QPushButton::clicked, this, guarded(&TInputForm::Button7Click));
    connect(Button8, &QPushButton::clicked, this, guarded(&TInputForm::Button8Click));
    connect(Button9, &QPushButton::clicked, this, guarded(&TInputForm::Button9Click));
    connect(Button10, &QPushButton::clicked, this, guarded(&TInputForm::Button10Click));
    connect(Button11, &QPushButton::clicked, this, guarded(&TInputForm::Button11Click));
    connect(Button14, &QPushButton::clicked, this, guarded(&TInputForm::Button14Click));
    connect(Button12, &QPushButton::clicked, this, &QWidget::close);

    showFields();
    Look::applyWindowFont(this);
    Memo1->setFont(Look::tahoma(12));
}

TInputForm::~TInputForm() = default;

void TInputForm::chooseWorkbook(const QString &path)
{
    const QFileInfo file(path);
    edInputFolder->setText(file.absolutePath());
    edInputFile->setText(file.fileName());
}

void TInputForm::showScreen()
{
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    show();
    Guarded([this] { FormShow(); });
}

void TInputForm::FormShow()
{
    TInputData &data = m_data;
    data.InputArray = QList<int>(LayoutFieldCount, 0);
    const bool loaded = LoadSettings(data);
    showFields();
    refreshFilterLine(false);

    const QRect screen = this->screen() ? this->screen()->geometry() : QRect();
    move(screen.left() + (screen.width() - frameGeometry().width()) / 2, screen.top() + 50);

    SetupSummaryGrid(StringGrid1);

    if (!m_excel.attach()) {
        ModalHooks::plainMessage(QMessageBox::NoIcon, QApplication::applicationName(),
                                 QStringLiteral("Cannot start Excel/Excel not installed ?"));
        return;
    }
    if (loaded)
        primeLayout();
    Button9->setFocus();
}

void TInputForm::closeEvent(QCloseEvent *event)
{
    FormClose();
    event->accept();
}

void TInputForm::FormClose()
{
    if (m_excel.isHeld()) {
        try {
            if (m_excel.workbookCount() == 0)
                m_excel.quit();
        } catch (const KwError &) {
            // A service that no longer answers is let go; the settings are saved all the same.
            m_excel.release();
        }
    }
    saveSettings();
}

void TInputForm::saveSettings()
{
    if (SaveSettings(m_data))
        ShowMelding(QStringLiteral("Input gegevens zijn opgeslagen"));
    else
        ShowErrorMessage(QStringLiteral("FOUT: Inputgegevens zijn niet opgeslagen"));
}

void TInputForm::showFields()
{
    const TInputData &data = m_data;
    for (const Binding &b : std::as_const(m_bindings))
        b.edit->setText(data.*(b.field));
    cbHeadings->setChecked(data.HasHeadings);
}

void TInputForm::setHeadings(bool on)
{
    cbHeadings->setChecked(on);
}

void TInputForm::refreshFilterLine(bool layoutAccepted)
{
    const TInputData &data = m_data;
    if (!data.cbFilter)
        Label23->setText(QStringLiteral("Selectie filter is : UIT"));
    else if (layoutAccepted)
        Label23->setText(QStringLiteral("Selectie filter is : AAN,  selectie criterium : \"") + data.strFilterReq +
                         QLatin1Char('"'));
    else
        Label23->setText(QStringLiteral("Selectie filter is : AAN, criterioum : \"") + data.strFilterReq +
                         QLatin1Char('"'));
}

void TInputForm::primeLayout()
{
    const TInputData &data = m_data;
    TLayout *layout = m_dialogs.layout;
    layout->KolomNumbers = data.InputArray;
    layout->HasHeadings = data.HasHeadings;
    layout->HasFilter = data.cbFilter;
    layout->FilterReq = data.strFilterReq;
    layout->FilterCol = data.intFilterCol;
}

bool TInputForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        // Another window becoming active is no exit from the field.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            fieldExit(static_cast<QLineEdit *>(watched));
    }
    return QWidget::eventFilter(watched, event);
}

void TInputForm::fieldExit(QLineEdit *edit)
{
    const QString text = edit->text();
    const bool filledIn = !text.isEmpty() && !IsPlaceholder(text);
    if (edit == edIBAN) {
        if (filledIn)
            CheckIBAN(text);
    } else if (edit == edZZZ) {
        if (filledIn)
            CheckZZZCode(text);
    } else {
        if (filledIn)
            CheckSEPAChars(text);
        QString message;
        if (!CheckLength(text, edit == edIncassant ? 70 : 25, message))
            ShowErrorMessage(message);
    }
}

void TInputForm::Button1Click()
{
    TSelectFolderDialog *dialog = m_dialogs.folders;
    dialog->SelectedFolder = m_data.InputFolder;
    if (dialog->Execute())
        edInputFolder->setText(dialog->SelectedFolder);
}

void TInputForm::Button3Click()
{
    TSelectFolderDialog *dialog = m_dialogs.folders;
    dialog->SelectedFolder = m_data.TargetFolder;
    if (dialog->Execute())
        edTargetFolder->setText(dialog->SelectedFolder);
}

void TInputForm::Button11Click()
{
    const TInputData &data = m_data;
    if (!CheckFolderExists(data.InputFolder))
        return;
    TFileSelectionDialog *dialog = m_dialogs.files;
    dialog->SelectedFolder = data.InputFolder;
    dialog->SelectedFile = data.InputFile;
    if (dialog->Execute())
        edInputFile->setText(dialog->SelectedFile);
}

void TInputForm::Button14Click()
{
    TDateDialog *dialog = m_dialogs.date;
    dialog->DatumStr = m_data.IncassoDate;
    if (dialog->Execute())
        edIncDate2->setText(dialog->DatumStr);
}

void TInputForm::Button2Click()
{
    TLayout *layout = m_dialogs.layout;
    if (!layout->Execute())
        return;
    TInputData &data = m_data;
    data.InputArray = layout->KolomNumbers;
    data.HasHeadings = layout->HasHeadings;
    data.cbFilter = layout->HasFilter;
    data.strFilterReq = layout->FilterReq;
    data.intFilterCol = layout->FilterCol;
    cbHeadings->setChecked(data.HasHeadings);
    refreshFilterLine(true);
}

void TInputForm::Button7Click()
{
    saveSettings();
}

void TInputForm::Button8Click()
{
    const bool loaded = LoadSettings(m_data);
    showFields();
    refreshFilterLine(false);
    if (loaded)
        primeLayout();
    TfmMelding *box = m_dialogs.melding;
    box->SetWidth(450);
    box->Melding = loaded ? QStringLiteral("Input gegevens zijn teruggezet op de startwaarden")
                          : QStringLiteral("FOUT: Inputgegevens kunnen niet worden teruggezet");
    box->Execute();
    box->SetBasics();
}

void TInputForm::Button9Click()
{
    TInputData &data = m_data;
    QString message;
    if (VerifyInput(data)) {
        message = QStringLiteral("De input is getest. Er zijn geen\rfouten gevonden\r");
        if (data.onlyRCUR)
            message += QStringLiteral("Alle incassos krijgen sequentiecode : ") + data.defaultSeqCode;
        else
            message += QStringLiteral("Incasso sequentiecodes als per input\rExcel tabel kolom  : ") +
                       ColumnLetters(data.column(lfSeqCode));
    } else {
        message = QStringLiteral("Corrigeer de fouten in dit inputscherm\ren verifieer opnieuw");
    }
    ShowMelding(message);
}

void TInputForm::Button10Click()
{
    TInputData &data = m_data;
    if (!VerifyInput(data)) {
        ShowErrorMessage(QStringLiteral("Corrigeer de fouten in het inputscherm\ren verifieer opnieuw"));
        return;
    }
    TSelectSheet *selection = m_dialogs.sheet;
    selection->SheetName.clear();
    selection->WorkBookName = JoinPath(data.InputFolder, data.InputFile);
    selection->Caption = QStringLiteral("\rSelecteer met een dubbelklik het werkblad met de incasso gegevens in "
                                        "\rwerkbook : \r") +
                         selection->WorkBookName;
    if (!selection->Execute())
        return;
    data.SelectedWorkbook = selection->WorkBookName;
    data.SelectedSheet = selection->SheetName;
    m_dialogs.processing->Execute();
}
