#include "ui/ProcessingScreen.h"

#include "processing/LogSaving.h"
#include "processing/ProcessingRun.h"
#include "rules/Verification.h"
#include "ui/ExcelApp.h"
#include "ui/FileSaveDialog.h"
#include "ui/InputForm.h"
#include "ui/MessageBoxes.h"
#include "ui/ModalHooks.h"
#include "ui/SummaryGrid.h"
#include "ui_ProcessingScreen.h"

#include <QCursor>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

TfmProcessing::TfmProcessing(TInputData &record, const SettingsStore &settings, const Clock &clock, TInputForm &input,
                             QWidget *parent)
    : TScreenDialog(parent), m_ui(std::make_unique<Ui::TfmProcessing>()), m_data(record), m_settings(settings),
      m_clock(clock), m_input(input)
{
    m_ui->setupUi(this);
    Look::setupFormWindow(this, Look::Border::None, Look::DialogBackground);
    // A size in pixels, which a form cannot give.
    m_ui->Label1->setFont(Look::tahoma(17, true));
    m_ui->Button3->hide();
    // Enter presses only the focused button here: "Verwerken" is offered by the focus when it may run.
    Look::setKeyButtons(this, nullptr, m_ui->Button4);

    connect(m_ui->Button2, &QPushButton::clicked, this, [this] { Guarded([this] { saveLog(); }); });
    connect(m_ui->Button3, &QPushButton::clicked, this, [this] { Guarded([this] { buildFiles(); }); });
    connect(m_ui->Button4, &QPushButton::clicked, this, &TfmProcessing::goBack);
    m_ui->Button2->installEventFilter(this);
    Look::applyWindowFont(this);
    // The log is written in the toolkit's own font, as it always was: its style sheet kept the window's font off it.
    m_ui->Memo1->setFont(QFont());
}

TfmProcessing::~TfmProcessing() = default;

void TfmProcessing::Execute()
{
    const QRect form = anchorRect();
    move(form.left() + 100, form.top() + 150);
    ModalHooks::run(*this, QStringLiteral("TfmProcessing"), [this] { Guarded([this] { FormShow(); }); });
}

void TfmProcessing::FormShow()
{
    QPushButton *verwerken = m_ui->Button3;
    verwerken->hide();
    WorkbookService *service = m_input.excelApp().service();
    if (!service) {
        ShowErrorMessage(QStringLiteral("Cannot start Excel/Excel not installed ?"));
        return;
    }
    // The run's records live as long as the application: one run object, made at the first showing.
    if (!m_run) {
        m_run = std::make_unique<ProcessingRun>(m_data, m_settings, m_clock, *service);
        m_run->log().setListener([this] { followLog(); });
    }
    m_ui->Memo1->clear();
    m_linesShown = 0;
    // From here on the grid must not show an earlier run's files as this run's.
    ClearSummaryGrid(m_input.summaryGrid());
    m_run->show();
    followLog();
    if (m_run->verwerkenOffered()) {
        verwerken->setText(QStringLiteral("Verwerken"));
        verwerken->show();
        verwerken->setFocus();
    }
}

void TfmProcessing::followLog()
{
    QPlainTextEdit *memo = m_ui->Memo1;
    const QStringList &lines = m_run->log().lines();
    if (lines.size() < m_linesShown) {
        memo->clear();
        m_linesShown = 0;
    }
    for (; m_linesShown < lines.size(); ++m_linesShown)
        memo->appendPlainText(Look::displayText(lines[m_linesShown]));
    // The last line stays in view.
    memo->verticalScrollBar()->setValue(memo->verticalScrollBar()->maximum());
}

void TfmProcessing::buildFiles()
{
    const RunOutcome outcome = m_run->verwerken();
    followLog();
    // After an error that ended the run, "Verwerken" stays only while no file was made.
    m_ui->Button3->setVisible(m_run->verwerkenOffered());
    if (outcome == RunOutcome::Aborted)
        return;
    FillSummaryGrid(m_input.summaryGrid(), m_run->incassobatches());
    if (m_run->processed())
        m_ui->Button4->setText(QStringLiteral("Afsluiten"));
    m_ui->Button2->setFocus();
}

void TfmProcessing::saveLog()
{
    if (!m_run)
        return;
    m_run->ReturnCode = ScreenAction::LogSaved;
    TFileSaveDialog *dialog = m_logSave;
    const bool save = dialog->Execute(m_run->logFileStamp());
    if (save) {
        QString error;
        if (!SaveProcessingLog(dialog->filePath(), m_run->log().lines(), &error)) {
            ShowErrorMessage(error);
            return;
        }
    }
    ShowMelding(save ? QStringLiteral("Log is opgeslagen") : QStringLiteral("Log is NIET opgeslagen"));
    m_ui->Button4->setFocus();
}

void TfmProcessing::goBack()
{
    if (m_run)
        m_run->ReturnCode = ScreenAction::Closed;
    accept();
}

bool TfmProcessing::eventFilter(QObject *watched, QEvent *event)
{
    // The pointer follows the focus to "Deze log opslaan".
    const QPushButton *save = m_ui->Button2;
    if (watched == save && event->type() == QEvent::FocusIn)
        QCursor::setPos(save->mapToGlobal(QPoint(save->width() / 2, save->height() / 2)));
    return TScreenDialog::eventFilter(watched, event);
}
