#include "ui/InputForm.h"

#include "model/Error.h"
#include "model/Settings.h"
#include "rules/AccountRules.h"
#include "rules/FieldLimits.h"
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
#include "ui_InputForm.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>

TInputForm::TInputForm(TInputData &record, const SettingsStore &settings, const Clock &clock, QWidget *parent)
    : QWidget(parent, Qt::Window), m_ui(std::make_unique<Ui::TInputForm>()), m_data(record), m_settings(settings),
      m_clock(clock)
{
    m_ui->setupUi(this);
    Look::setupFormWindow(this, Look::Border::CloseOnly, Look::MainBackground, 14);
    // Sizes in pixels, which a form cannot give.
    m_ui->Label1->setFont(Look::tahoma(16, true));
    m_ui->Label14->setFont(Look::tahoma(12));
    Look::wrapLabel(m_ui->Label20, 130);

    m_ui->Image1->setPixmap(Look::emblem(100, 107));
    InitSummaryGrid(m_ui->StringGrid1);
    SetupSummaryGrid(m_ui->StringGrid1);
    Look::setKeyButtons(this, nullptr, m_ui->Button12);

    // Each field is a view of one field of the input data: a change is at once the record's value.
    m_bindings = {{m_ui->edIncassant, &TInputData::Incassant},
                  {m_ui->edZZZ, &TInputData::ZZZCode},
                  {m_ui->edIBAN, &TInputData::IBAN},
                  {m_ui->edBIC, &TInputData::BIC},
                  {m_ui->edIncassoLabel, &TInputData::IncassoLabel},
                  {m_ui->edInputFolder, &TInputData::InputFolder},
                  {m_ui->edInputFile, &TInputData::InputFile},
                  {m_ui->edTargetFolder, &TInputData::TargetFolder},
                  {m_ui->edDefaultSequenceCode, &TInputData::DefaultSequenceCode},
                  {m_ui->edIncDate2, &TInputData::IncassoDate},
                  {m_ui->edOmschrijving, &TInputData::Omschrijving}};
    for (const Binding &b : std::as_const(m_bindings)) {
        QString TInputData::*member = b.field;
        connect(b.edit, &QLineEdit::textChanged, this, [this, member](const QString &text) { m_data.*member = text; });
    }
    connect(m_ui->cbHeadings, &QCheckBox::toggled, this, [this](bool on) { m_data.HasHeadings = on; });
    for (QLineEdit *e : {m_ui->edIncassant, m_ui->edIncassoLabel, m_ui->edIBAN, m_ui->edZZZ})
        e->installEventFilter(this);

    auto guarded = [this](void (TInputForm::*handler)()) {
        return [this, handler] { Guarded([&] { (this->*handler)(); }); };
    };
    connect(m_ui->Button1, &QPushButton::clicked, this, guarded(&TInputForm::chooseInputFolder));
    connect(m_ui->Button11, &QPushButton::clicked, this, guarded(&TInputForm::chooseInputFile));
    connect(m_ui->Button2, &QPushButton::clicked, this, guarded(&TInputForm::defineLayout));
    connect(m_ui->Button3, &QPushButton::clicked, this, guarded(&TInputForm::chooseTargetFolder));
    connect(m_ui->Button14, &QPushButton::clicked, this, guarded(&TInputForm::chooseCollectionDate));
    connect(m_ui->Button7, &QPushButton::clicked, this, guarded(&TInputForm::saveInput));
    connect(m_ui->Button8, &QPushButton::clicked, this, guarded(&TInputForm::restoreStartValues));
    connect(m_ui->Button9, &QPushButton::clicked, this, guarded(&TInputForm::checkInput));
    connect(m_ui->Button10, &QPushButton::clicked, this, guarded(&TInputForm::startRun));
    connect(m_ui->Button12, &QPushButton::clicked, this, &QWidget::close);

    showFields();
    Look::applyWindowFont(this);
    // After the font pass, which would give it the window's size.
    m_ui->Memo1->setFont(Look::tahoma(12));
}

TInputForm::~TInputForm() = default;

QTableWidget *TInputForm::summaryGrid() const
{
    return m_ui->StringGrid1;
}

void TInputForm::chooseWorkbook(const QString &path)
{
    const QFileInfo file(path);
    m_ui->edInputFolder->setText(file.absolutePath());
    m_ui->edInputFile->setText(file.fileName());
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
    TInputData &record = m_data;
    record.InputArray = QList<int>(LayoutFieldCount, 0);
    const bool loaded = m_settings.LoadSettings(record);
    showFields();
    refreshFilterLine(false);

    const QRect screen = this->screen() ? this->screen()->geometry() : QRect();
    move(screen.left() + (screen.width() - frameGeometry().width()) / 2, screen.top() + 50);

    SetupSummaryGrid(m_ui->StringGrid1);

    if (!m_excel.attach()) {
        ModalHooks::plainMessage(QMessageBox::NoIcon, QApplication::applicationName(),
                                 QStringLiteral("Cannot start Excel/Excel not installed ?"));
        return;
    }
    if (loaded)
        primeLayout();
    m_ui->Button9->setFocus();
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
    saveInput();
}

void TInputForm::saveInput()
{
    if (m_settings.SaveSettings(m_data, m_clock))
        ShowMelding(QStringLiteral("Input gegevens zijn opgeslagen"));
    else
        ShowErrorMessage(QStringLiteral("FOUT: Inputgegevens zijn niet opgeslagen"));
}

void TInputForm::showFields()
{
    for (const Binding &b : std::as_const(m_bindings))
        b.edit->setText(m_data.*(b.field));
    m_ui->cbHeadings->setChecked(m_data.HasHeadings);
}

void TInputForm::setHeadings(bool on)
{
    m_ui->cbHeadings->setChecked(on);
}

void TInputForm::refreshFilterLine(bool layoutAccepted)
{
    const TInputData &record = m_data;
    QLabel *line = m_ui->Label23;
    if (!record.cbFilter)
        line->setText(QStringLiteral("Selectie filter is : UIT"));
    else if (layoutAccepted)
        line->setText(QStringLiteral("Selectie filter is : AAN,  selectie criterium : \"") + record.strFilterReq +
                      QLatin1Char('"'));
    else
        line->setText(QStringLiteral("Selectie filter is : AAN, criterioum : \"") + record.strFilterReq +
                      QLatin1Char('"'));
}

void TInputForm::primeLayout()
{
    const TInputData &record = m_data;
    TLayout *layout = m_dialogs.layout;
    layout->KolomNumbers = record.InputArray;
    layout->HasHeadings = record.HasHeadings;
    layout->HasFilter = record.cbFilter;
    layout->FilterReq = record.strFilterReq;
    layout->FilterCol = record.intFilterCol;
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
    if (edit == m_ui->edIBAN) {
        if (filledIn)
            CheckIBAN(text);
    } else if (edit == m_ui->edZZZ) {
        if (filledIn)
            CheckZZZCode(text);
    } else {
        if (filledIn)
            CheckSEPAChars(text);
        QString message;
        if (!CheckLength(text, edit == m_ui->edIncassant ? FieldLimit::Name : FieldLimit::MessageId, message))
            ShowErrorMessage(message);
    }
}

void TInputForm::chooseInputFolder()
{
    TSelectFolderDialog *dialog = m_dialogs.folders;
    dialog->SelectedFolder = m_data.InputFolder;
    if (dialog->Execute())
        m_ui->edInputFolder->setText(dialog->SelectedFolder);
}

void TInputForm::chooseTargetFolder()
{
    TSelectFolderDialog *dialog = m_dialogs.folders;
    dialog->SelectedFolder = m_data.TargetFolder;
    if (dialog->Execute())
        m_ui->edTargetFolder->setText(dialog->SelectedFolder);
}

void TInputForm::chooseInputFile()
{
    const TInputData &record = m_data;
    if (!CheckFolderExists(record.InputFolder))
        return;
    TFileSelectionDialog *dialog = m_dialogs.files;
    dialog->SelectedFolder = record.InputFolder;
    dialog->SelectedFile = record.InputFile;
    if (dialog->Execute())
        m_ui->edInputFile->setText(dialog->SelectedFile);
}

void TInputForm::chooseCollectionDate()
{
    TDateDialog *dialog = m_dialogs.date;
    dialog->DatumStr = m_data.IncassoDate;
    if (dialog->Execute())
        m_ui->edIncDate2->setText(dialog->DatumStr);
}

void TInputForm::defineLayout()
{
    TLayout *layout = m_dialogs.layout;
    if (!layout->Execute())
        return;
    TInputData &record = m_data;
    record.InputArray = layout->KolomNumbers;
    record.HasHeadings = layout->HasHeadings;
    record.cbFilter = layout->HasFilter;
    record.strFilterReq = layout->FilterReq;
    record.intFilterCol = layout->FilterCol;
    m_ui->cbHeadings->setChecked(record.HasHeadings);
    refreshFilterLine(true);
}

void TInputForm::restoreStartValues()
{
    const bool loaded = m_settings.LoadSettings(m_data);
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

void TInputForm::checkInput()
{
    TInputData &record = m_data;
    QString message;
    if (VerifyInput(record, m_clock)) {
        message = QStringLiteral("De input is getest. Er zijn geen\rfouten gevonden\r");
        if (record.onlyRCUR)
            message += QStringLiteral("Alle incassos krijgen sequentiecode : ") + record.defaultSeqCode;
        else
            message += QStringLiteral("Incasso sequentiecodes als per input\rExcel tabel kolom  : ") +
                       ColumnLetters(record.column(lfSeqCode));
    } else {
        message = QStringLiteral("Corrigeer de fouten in dit inputscherm\ren verifieer opnieuw");
    }
    ShowMelding(message);
}

void TInputForm::startRun()
{
    TInputData &record = m_data;
    if (!VerifyInput(record, m_clock)) {
        ShowErrorMessage(QStringLiteral("Corrigeer de fouten in het inputscherm\ren verifieer opnieuw"));
        return;
    }
    TSelectSheet *selection = m_dialogs.sheet;
    selection->SheetName.clear();
    selection->WorkBookName = JoinPath(record.InputFolder, record.InputFile);
    selection->Caption = QStringLiteral("\rSelecteer met een dubbelklik het werkblad met de incasso gegevens in "
                                        "\rwerkbook : \r") +
                         selection->WorkBookName;
    if (!selection->Execute())
        return;
    record.SelectedWorkbook = selection->WorkBookName;
    record.SelectedSheet = selection->SheetName;
    m_dialogs.processing->Execute();
}
