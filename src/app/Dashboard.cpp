#include "app/Dashboard.h"

#include "app/Help.h"
#include "ui/InputForm.h"
#include "ui/Look.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

TDashboard::TDashboard(QWidget *parent) : QWidget(parent, Qt::Window)
{
    Look::setupWindow(this, QStringLiteral("Dashboard"), QStringLiteral("SEPA incasso"), 659, 400, Look::Border::System,
                      Look::MainBackground);
    QLabel *title = Look::label(this, QStringLiteral("Label1"),
                                QStringLiteral("Kwintor2  : SEPA incasso's uit Excel bestanden"), 32, 20, true);
    title->setFont(Look::tahoma(20, true));
    title->adjustSize();
    auto *image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setGeometry(48, 76, 150, 160);
    image->setPixmap(Look::emblem(150, 160));

    // The three buttons at the right, each with its bold label to its left.
    struct Row
    {
        QPushButton *&button;
        const char *name;
        const char *labelName;
        const char *label;
        int top;
    };
    const Row rows[] = {{Button5, "Button5", "Label2", "Beschrijving", 84},
                        {Button1, "Button1", "Label3", "Verwerk Excel input", 148},
                        {Button6, "Button6", "Label4", "Afsluiten", 212}};
    for (const Row &row : rows) {
        row.button = Look::button(this, QLatin1String(row.name), QString(), 568, row.top, 48, 40);
        QLabel *l = Look::label(this, QLatin1String(row.labelName), QLatin1String(row.label), 0, 0, true);
        l->move(552 - l->width(), row.top + (40 - l->height()) / 2);
    }
    Memo1 =
        Look::memo(this, QStringLiteral("Memo1"),
                   {QStringLiteral("Maak uit eenvoudige Excel tabellen"),
                    QStringLiteral("incassobestanden volgens de SEPA"), QStringLiteral("specificatie."),
                    QStringLiteral("Kwintor2 is aangepast aan de "), QStringLiteral("specificatie pain.008.001.08")},
                   32, 266, 300, 112);
    Memo1->setReadOnly(true);
    QLabel *version = Look::label(this, QStringLiteral("Label5"), QStringLiteral("Versie 0.903  dd 5 mei 2024"), 0, 0);
    version->move(627 - version->width(), 360);

    setTabOrder(Button1, Button5);
    setTabOrder(Button5, Button6);
    setTabOrder(Button6, Memo1);

    connect(Button5, &QPushButton::clicked, this, &TDashboard::showHelp);
    connect(Button1, &QPushButton::clicked, this, &TDashboard::openInputScreen);
    connect(Button6, &QPushButton::clicked, this, &QWidget::close);
    Look::applyWindowFont(this);
}

void TDashboard::setScreens(TInputForm *input, THelp *help)
{
    m_input = input;
    m_help = help;
}

void TDashboard::openInputScreen()
{
    Button6->setFocus();
    m_input->showScreen();
}

void TDashboard::showHelp()
{
    m_help->showScreen();
}

void TDashboard::showEvent(QShowEvent *event)
{
    const QRect screen = this->screen() ? this->screen()->geometry() : QRect();
    move(screen.left() + (screen.width() - frameGeometry().width()) / 2, screen.top() + 150);
    QWidget::showEvent(event);
}

void TDashboard::closeEvent(QCloseEvent *event)
{
    // An open input screen closes first, with its closing steps, so that the
    // user's input and the counters are saved as on every other close.
    if (m_input && m_input->isVisible())
        m_input->close();
    if (m_help && m_help->isVisible())
        m_help->close();
    event->accept();
    QApplication::quit();
}
