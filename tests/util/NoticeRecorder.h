#pragma once

#include "model/Notice.h"

#include <QStringList>

// Keeps every box a test provokes, in order, as "Melding: ...", "Foutmelding: ...",
// "Fout: ..." (the plain error dialog) or "Vraag: ..." with its answer on a line
// of its own. Questions take the answers queued, then "Nee". Installs itself for its lifetime.
class NoticeRecorder final : public NoticeSink
{
public:
    NoticeRecorder();
    ~NoticeRecorder() override;

    void message(const QString &text) override;
    void error(const QString &text) override;
    void errorDialog(const QString &text) override;
    bool question(const QString &text) override;

    QStringList all;       // every box, prefixed by its kind
    QStringList messages;  // texts of the message box
    QStringList errors;    // texts of the error box
    QStringList dialogs;   // texts of the plain error dialog
    QStringList questions; // texts of the question box
    QList<bool> answers;   // the next answers, true for "Ja"

    void clear();
    bool isEmpty() const { return all.isEmpty(); }
};
