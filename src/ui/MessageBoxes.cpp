#include "ui/MessageBoxes.h"

#include "model/Error.h"
#include "ui/Look.h"
#include "ui/ModalHooks.h"
#include "ui_ErrorMessage.h"
#include "ui_Melding.h"
#include "ui_Vraag.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace {
constexpr int MeldingStandardHeight = 150;
constexpr int MeldingButtonTop = 105;
constexpr int ErrorStandardHeight = 183;
constexpr int ErrorButtonTop = 136;

// Lets the box grow downwards when the wrapped text needs more room than the
// standard height gives, so nothing is cut off.
void fitHeight(QDialog *box, QLabel *text, QPushButton *button, int standardHeight, int standardButtonTop,
               bool buttonBelowText)
{
    text->setFixedHeight(text->heightForWidth(text->width()));
    int height = standardHeight;
    int buttonTop = standardButtonTop;
    const int textBottom = text->y() + text->height();
    if (buttonBelowText && textBottom + 8 > buttonTop) {
        buttonTop = textBottom + 8;
        height = buttonTop + (standardHeight - standardButtonTop);
    } else if (!buttonBelowText && textBottom + 12 > height) {
        height = textBottom + 12;
        buttonTop = height - (standardHeight - standardButtonTop);
    }
    button->move(button->x(), buttonTop);
    box->setFixedHeight(height);
}

// Halving rounded down, also for negative numbers.
constexpr int halfDown(int value)
{
    return value >= 0 ? value / 2 : -((-value + 1) / 2);
}

// The box's width changes from showing to showing (wide texts, callers that
// need room); its one button stays in the middle, so it is never cut off.
void centreButton(const QDialog *box, QPushButton *button)
{
    button->move((box->width() - button->width()) / 2, button->y());
}
} // namespace

TfmMelding::TfmMelding(QWidget *parent) : TScreenDialog(parent), m_ui(std::make_unique<Ui::TfmMelding>())
{
    m_ui->setupUi(this);
    Look::setupFormWindow(this, Look::Border::None, Look::BoxBackground);
    Look::setKeyButtons(this, m_ui->Button1, m_ui->Button1);
    connect(m_ui->Button1, &QPushButton::clicked, this, &QDialog::accept);
    Look::applyWindowFont(this);
}

TfmMelding::~TfmMelding() = default;

bool TfmMelding::Execute()
{
    FormShow();
    return ModalHooks::runBox(*this, QStringLiteral("Melding: ") + Melding) == QDialog::Accepted;
}

void TfmMelding::FormShow()
{
    QLabel *text = m_ui->Label1;
    text->setFixedWidth(Look::textWidth(text, Melding) >= 700 ? 500 : 380);
    text->setText(Look::displayText(Melding));
    // A wide label in a narrow box keeps its width; the box widens with it.
    const int needed = text->x() + text->width() + 20;
    if (width() < needed)
        setFixedWidth(needed);
    centreButton(this, m_ui->Button1);
    fitHeight(this, text, m_ui->Button1, MeldingStandardHeight, MeldingButtonTop, true);

    const QRect form = anchorRect();
    const int h = height();
    const int w = width();
    const int top = form.top() + halfDown(form.height() - h) - halfDown(h);
    const int left = form.left() + halfDown(form.width() - w) + h + halfDown(h);
    move(left, top);
    m_ui->Button1->setFocus();
}

void TfmMelding::SetBasics()
{
    setFixedWidth(420);
    move(200, y());
    m_ui->Button1->move(288, m_ui->Button1->y());
    m_ui->Label1->setFixedWidth(380);
}

void TfmMelding::SetWidth(int width)
{
    setFixedWidth(width);
}

void TfmMelding::SetTextWidth(int width)
{
    m_ui->Label1->setFixedWidth(width);
}

TErrorMessage::TErrorMessage(QWidget *parent) : TScreenDialog(parent), m_ui(std::make_unique<Ui::TErrorMessage>())
{
    m_ui->setupUi(this);
    Look::setupFormWindow(this, Look::Border::None, Look::BoxBackground);
    Look::setKeyButtons(this, m_ui->Button1, m_ui->Button1);
    connect(m_ui->Button1, &QPushButton::clicked, this, &QDialog::accept);
    Look::applyWindowFont(this);
}

TErrorMessage::~TErrorMessage() = default;

bool TErrorMessage::Execute()
{
    FormShow();
    return ModalHooks::runBox(*this, QStringLiteral("Foutmelding: ") + ErrorMessage) == QDialog::Accepted;
}

void TErrorMessage::FormShow()
{
    QLabel *text = m_ui->Label2;
    text->setFixedWidth(450);
    text->setText(Look::displayText(ErrorMessage));
    centreButton(this, m_ui->Button1);
    fitHeight(this, text, m_ui->Button1, ErrorStandardHeight, ErrorButtonTop, false);
    const QRect form = anchorRect();
    move(form.left() + halfDown(form.width() - width()), form.top() + halfDown(form.height() - height()));
    m_ui->Button1->setFocus();
}

TfmVraag::TfmVraag(QWidget *parent) : TScreenDialog(parent), m_ui(std::make_unique<Ui::TfmVraag>())
{
    m_ui->setupUi(this);
    Look::setupFormWindow(this, Look::Border::None, Look::BoxBackground);
    Look::setKeyButtons(this, m_ui->Button2, m_ui->Button2);
    connect(m_ui->Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
    Look::applyWindowFont(this);
}

TfmVraag::~TfmVraag() = default;

bool TfmVraag::Execute()
{
    FormShow();
    return ModalHooks::runQuestion(*this, QStringLiteral("Vraag: ") + Vraag) == QDialog::Accepted;
}

void TfmVraag::FormShow()
{
    // Placed and sized as the message box.
    QLabel *text = m_ui->Label1;
    text->setFixedWidth(Look::textWidth(text, Vraag) >= 700 ? 500 : 380);
    text->setText(Look::displayText(Vraag));
    const int needed = text->x() + text->width() + 20;
    setFixedWidth(std::max(388, needed));
    QPushButton *ja = m_ui->Button1;
    QPushButton *nee = m_ui->Button2;
    fitHeight(this, text, nee, MeldingStandardHeight, MeldingButtonTop, true);
    // The two buttons side by side in the middle, "Ja" first.
    const int gap = 16;
    const int left = (width() - ja->width() - gap - nee->width()) / 2;
    ja->move(left, nee->y());
    nee->move(left + ja->width() + gap, nee->y());

    const QRect form = anchorRect();
    const int h = height();
    const int w = width();
    move(form.left() + halfDown(form.width() - w) + h + halfDown(h),
         form.top() + halfDown(form.height() - h) - halfDown(h));
    nee->setFocus();
}

void TBoxNotices::setBoxes(TfmMelding *melding, TErrorMessage *error, TfmVraag *vraag)
{
    m_melding = melding;
    m_error = error;
    m_vraag = vraag;
}

bool TBoxNotices::question(const QString &text)
{
    if (!m_vraag)
        return false;
    m_vraag->Vraag = text;
    return m_vraag->Execute();
}

void TBoxNotices::message(const QString &text)
{
    if (m_melding) {
        m_melding->Melding = text;
        m_melding->Execute();
    } else {
        ModalHooks::plainMessage(QMessageBox::Information, QApplication::applicationName(), text);
    }
}

void TBoxNotices::error(const QString &text)
{
    if (m_error) {
        m_error->ErrorMessage = text;
        m_error->Execute();
    } else {
        ModalHooks::plainMessage(QMessageBox::Critical, QApplication::applicationName(), text);
    }
}

void TBoxNotices::errorDialog(const QString &text)
{
    ModalHooks::plainMessage(QMessageBox::Critical, QApplication::applicationName(), text);
}

void Guarded(const std::function<void()> &action)
{
    try {
        action();
    } catch (const KwError &error) {
        ShowErrorMessage(error.message());
    }
}
