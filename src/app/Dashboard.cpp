#include "app/Dashboard.h"

#include "app/Help.h"
#include "ui/InputForm.h"
#include "ui/Look.h"
#include "ui_Dashboard.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

TDashboard::TDashboard(QWidget *parent) : QWidget(parent, Qt::Window), m_ui(std::make_unique<Ui::TDashboard>())
{
    m_ui->setupUi(this);
    Look::setupFormWindow(this, Look::Border::System, Look::MainBackground);
    // A size in pixels, which a form cannot give.
    m_ui->Label1->setFont(Look::tahoma(20, true));
    m_ui->Image1->setPixmap(Look::emblem(150, 160));

    connect(m_ui->Button5, &QPushButton::clicked, this, &TDashboard::showHelp);
    connect(m_ui->Button1, &QPushButton::clicked, this, &TDashboard::openInputScreen);
    connect(m_ui->Button6, &QPushButton::clicked, this, &QWidget::close);
    Look::applyWindowFont(this);
    // The labels end where their buttons begin, and the version line at the right margin,
    // whatever width the font gives their texts; a form places only their left edges.
    for (const auto &[label, button] : {std::pair{m_ui->Label2, m_ui->Button5}, std::pair{m_ui->Label3, m_ui->Button1},
                                        std::pair{m_ui->Label4, m_ui->Button6}})
        label->move(button->x() - 16 - label->width(), button->y() + (button->height() - label->height()) / 2);
    m_ui->Label5->move(627 - m_ui->Label5->width(), m_ui->Label5->y());
}

TDashboard::~TDashboard() = default;

void TDashboard::setScreens(TInputForm *input, THelp *help)
{
    m_input = input;
    m_help = help;
}

void TDashboard::openInputScreen()
{
    m_ui->Button6->setFocus();
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
