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

#include <QCursor>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

TfmProcessing::TfmProcessing(TInputData &data, TInputForm &input, QWidget *parent)
    : TScreenDialog(parent), m_data(data), m_input(input)
{
    Look::setupWindow(this, QStringLiteral("fmProcessing"), QStringLiteral("Verwerking"), 751, 572, Look::Border::None,
                      Look::DialogBackground);
    Label1 = Look::label(this, QStringLiteral("Label1"),
                         QStringLiteral("Verwerking van de invoer en opbouw van de  SEPA bestanden"), 24, 16, true);
    Label1->setFont(Look::tahoma(17, true));
    Label1->adjustSize();
    Label3 = Look::label(this, QStringLiteral("Label3"), QStringLiteral("Voortgang :"), 24, 56);
    Memo1 = Look::memo(this, QStringLiteral("Memo1"), {}, 24, 80, 560, 468);
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setStyleSheet(QStringLiteral("QPlainTextEdit { color: white; background-color: rgb(64, 124, 124); }"));
    Button3 = Look::button(this, QStringLiteral("Button3"), QStringLiteral("Verwerken"), 604, 392, 130, 33, true);
    Button2 = Look::button(this, QStringLiteral("Button2"), QStringLiteral("Deze log opslaan"), 590, 454, 144, 33);
    Button4 = Look::button(this, QStringLiteral("Button4"), QStringLiteral("Terug"), 604, 515, 130, 33);
    Button3->hide();
    // Enter presses only the focused button here: "Verwerken" is offered by the focus when it may run.
    Look::setKeyButtons(this, nullptr, Button4);

    connect(Button2, &QPushButton::clicked, this, [this] { Guarded([this] { Button2Click(); }); });
    connect(Button3, &QPushButton::clicked, this, [this] { Guarded([this] { Button3Click(); }); });
    connect(Button4, &QPushButton::clicked, this, &TfmProcessing::Button4Click);
    Button2->installEventFilter(this);
    Look::applyWindowFont(this);
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
    Button3->hide();
    WorkbookService *service = m_input.excelApp().service();
    if (!service) {
        ShowErrorMessage(QStringLiteral("Cannot start Excel/Excel not installed ?"));
        return;
    }
    // The run's records live as long as the application: one run object, made at the first showing.
    if (!m_run) {
        m_run = std::make_unique<ProcessingRun>(m_data, *service);
        m_run->log().setListener([this] { followLog(); });
    }
    Memo1->clear();
    m_linesShown = 0;
    // From here on the grid must not show an earlier run's files as this run's.
    ClearSummaryGrid(m_input.summaryGrid());
    m_run->show();
    followLog();
    if (m_run->verwerkenOffered()) {
        Button3->setText(QStringLiteral("Verwerken"));
        Button3->show();
        Button3->setFocus();
    }
}

void TfmProcessing::followLog()
{
    const QStringList &lines = m_run->log().lines();
    if (lines.size() < m_linesShown) {
        Memo1->clear();
        m_linesShown = 0;
    }
    for (; m_linesShown < lines.size(); ++m_linesShown)
        Memo1->appendPlainText(Look::displayText(lines[m_linesShown]));
    // The last line stays in view.
    Memo1->verticalScrollBar()->setValue(Memo1->verticalScrollBar()->maximum());
}

void TfmProcessing::Button3Click()
{
    const RunOutcome outcome = m_run->verwerken();
    followLog();
    // After an error that ended the run, "Verwerken" stays only while no file was made.
    Button3->setVisible(m_run->verwerkenOffered());
    if (outcome == RunOutcome::Aborted)
        return;
    FillSummaryGrid(m_input.summaryGrid(), m_run->incassobatches());
    if (m_run->processed())
        Button4->setText(QStringLiteral("Afsluiten"));
    Button2->setFocus();
}

void TfmProcessing::Button2Click()
{
    if (!m_run)
        return;
    m_run->ReturnCode = 3;
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
    Button4->setFocus();
}

void TfmProcessing::Button4Click()
{
    if (m_run)
        m_run->ReturnCode = 2;
    accept();
}

bool TfmProcessing::eventFilter(QObject *watched, QEvent *event)
{
    // The pointer follows the focus to "Deze log opslaan".
    if (watched == Button2 && event->type() == QEvent::FocusIn)
        QCursor::setPos(Button2->mapToGlobal(QPoint(Button2->width() / 2, Button2->height() / 2)));
    return TScreenDialog::eventFilter(watched, event);
}
