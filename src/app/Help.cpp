#include "app/Help.h"

#include "model/Notice.h"
#include "model/Settings.h"
#include "ui/Look.h"

#ifdef KW_HAVE_HELP
#include "app/help/RtfReader.h"
#endif

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QTextCursor>
#include <QTextEdit>

THelp::THelp(const QWidget &mainWindow, const SettingsStore &settings, QWidget *parent)
    : QWidget(parent, Qt::Window), m_mainWindow(mainWindow), m_settings(settings)
{
    Look::setupWindow(this, QStringLiteral("Help"), QStringLiteral("SEPA incasso help"), 985, 861, Look::Border::None,
                      Look::MainBackground);
    QPushButton *top = Look::button(this, QStringLiteral("Button3"), QStringLiteral("Top"), 16, 24, 80, 30, true);
    QPushButton *end = Look::button(this, QStringLiteral("Button2"), QStringLiteral("Einde"), 16, 68, 80, 30, true);
    m_close = Look::button(this, QStringLiteral("Button1"), QStringLiteral("Sluit"), 16, 112, 80, 30, true);
    m_text = new QTextEdit(this);
    m_text->setObjectName(QStringLiteral("RichEdit1"));
    m_text->setGeometry(112, 24, 857, 798);
    m_text->setReadOnly(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setStyleSheet(QStringLiteral("QTextEdit { color: blue; background-color: rgb(238, 250, 238); }"));
    // Made without measuring its text: a label measured before the window's font pass loses that
    // font when the window puts its content into a scroll area on a small screen.
    m_settingsFile = new QLabel(this);
    m_settingsFile->setObjectName(QStringLiteral("lbSettingsFile"));
    m_settingsFile->move(112, 830);
    // A fixed size: the window's font pass would shrink a label to its empty text.
    m_settingsFile->setFixedSize(857, 24);
    m_settingsFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Look::setKeyButtons(this, nullptr, m_close);

    connect(top, &QPushButton::clicked, this, &THelp::scrollToTop);
    connect(end, &QPushButton::clicked, this, &THelp::scrollToEnd);
    connect(m_close, &QPushButton::clicked, this, &THelp::closeHelp);
    Look::applyWindowFont(this);
}

void THelp::scrollToTop()
{
    m_text->setFocus();
    m_text->moveCursor(QTextCursor::Start);
    m_text->ensureCursorVisible();
    m_close->setFocus();
}

void THelp::scrollToEnd()
{
    m_text->setFocus();
    QTextCursor cursor = m_text->textCursor();
    cursor.movePosition(QTextCursor::End);
    cursor.movePosition(QTextCursor::PreviousCharacter);
    m_text->setTextCursor(cursor);
    m_text->ensureCursorVisible();
    m_close->setFocus();
}

void THelp::closeHelp()
{
    m_text->clear();
    close();
}

QString THelp::helpFileName()
{
    return QStringLiteral("Kwintor2 incasso.rtf");
}

QString THelp::helpFilePath()
{
    const QDir exe(QCoreApplication::applicationDirPath());
    const QString candidates[] = {QDir::current().filePath(helpFileName()),
                                  exe.filePath(QStringLiteral("../share/kwintor2/") + helpFileName()),
                                  exe.filePath(helpFileName())};
    for (const QString &path : candidates) {
        if (QFileInfo(path).isFile())
            return QDir::cleanPath(path);
    }
    return helpFileName();
}

void THelp::showScreen()
{
    if (isVisible()) {
        raise();
        activateWindow();
        return;
    }
    const QRect main = m_mainWindow.frameGeometry();
    move(main.left() - 100, main.top() - 50);
    show();
    FormShow();
}

void THelp::FormShow()
{
    m_settingsFile->setText(QStringLiteral("Instellingenbestand: ") + QDir::toNativeSeparators(m_settings.SettingsFilePath()));
    QString error;
#ifdef KW_HAVE_HELP
    const bool loaded = LoadRtfInto(m_text->document(), helpFilePath(), &error);
#else
    const bool loaded = false;
    error = QStringLiteral("Het helpbestand kan niet worden gelezen: ") + helpFileName();
#endif
    if (!loaded) {
        m_text->clear();
        ShowErrorMessage(error);
    }
    m_text->moveCursor(QTextCursor::Start);
    m_text->setFocus();
}
