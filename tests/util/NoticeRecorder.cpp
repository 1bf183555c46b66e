#include "util/NoticeRecorder.h"

NoticeRecorder::NoticeRecorder()
{
    setNoticeSink(this);
}

NoticeRecorder::~NoticeRecorder()
{
    setNoticeSink(nullptr);
}

void NoticeRecorder::message(const QString &text)
{
    messages << text;
    all << QStringLiteral("Melding: ") + text;
}

void NoticeRecorder::error(const QString &text)
{
    errors << text;
    all << QStringLiteral("Foutmelding: ") + text;
}

void NoticeRecorder::errorDialog(const QString &text)
{
    dialogs << text;
    all << QStringLiteral("Fout: ") + text;
}

bool NoticeRecorder::question(const QString &text)
{
    const bool yes = !answers.isEmpty() && answers.takeFirst();
    questions << text;
    all << QStringLiteral("Vraag: ") + text + QLatin1Char('\r') + QStringLiteral("Antwoord: ") +
               (yes ? QStringLiteral("Ja") : QStringLiteral("Nee"));
    return yes;
}

void NoticeRecorder::clear()
{
    all.clear();
    messages.clear();
    errors.clear();
    dialogs.clear();
    questions.clear();
}
