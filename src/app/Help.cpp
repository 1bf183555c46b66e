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

THelp::THelp(const QWidget &mainWindow, QWidget *parent) : QWidget(parent, Qt::Window), m_mainWindow(mainWindow)
{
    Look::setupWindow(this, QStringLiteral("Help"), QStringLiteral("SEPA incasso help"), 985, 861, Look::Border::None,
                      Look::MainBackground);
    Button3 = Look::button(this, QStringLiteral("Button3"), QStringLiteral("Top"), 16, 24, 80, 30, true);
    Button2 = Look::button(this, QStringLiteral("Button2"), QStringLiteral("Einde"), 16, 68, 80, 30, true);
    Button1 = Look::button(this, QStringLiteral("Button1"), QStringLiteral("Sluit"), 16, 112, 80, 30, true);
    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setGeometry(112, 24, 857, 798);
    RichEdit1->setReadOnly(true);
    RichEdit1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setStyleSheet(QStringLiteral("QTextEdit { color: blue; background-color: rgb(238, 250, 238); }"));
    lbSettingsFile = Look::label(this, QStringLiteral("lbSettingsFile"), QString(), 112, 830);
    // A fixed size: the window's font pass would shrink a label to its empty text.
    lbSettingsFile->setFixedSize(857, 24);
    lbSettingsFile->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Look::setKeyButtons(this, nullptr, Button1);

    connect(Button3, &QPushButton::clicked, this, [this] {
        RichEdit1->setFocus();
        RichEdit1->moveCursor(QTextCursor::Start);
        RichEdit1->ensureCursorVisible();
        Button1->setFocus();
    });
    connect(Button2, &QPushButton::clicked, this, [this] {
        RichEdit1->setFocus();
        QTextCursor cursor = RichEdit1->textCursor();
        cursor.movePosition(QTextCursor::End);
        cursor.movePosition(QTextCursor::PreviousCharacter);
        RichEdit1->setTextCursor(cursor);
        RichEdit1->ensureCursorVisible();
        Button1->setFocus();
    });
    connect(Button1, &QPushButton::clicked, this, [this] {
        RichEdit1->clear();
        close();
    });
    Look::applyWindowFont(this);
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
    lbSettingsFile->setText(QStringLiteral("Instellingenbestand: ") + QDir::toNativeSeparators(SettingsFilePath()));
    QString error;
#ifdef KW_HAVE_HELP
    const bool loaded = LoadRtfInto(RichEdit1->document(), helpFilePath(), &error);
#else
    const bool loaded = false;
    error = QStringLiteral("Het helpbestand kan niet worden gelezen: ") + helpFileName();
#endif
    if (!loaded) {
        RichEdit1->clear();
        ShowErrorMessage(error);
    }
    RichEdit1->moveCursor(QTextCursor::Start);
    RichEdit1->setFocus();
}
