#pragma once

#include "model/Notice.h"

#include <QStringList>

// Keeps every box a test provokes, in order, as "Melding: ...", "Foutmelding: ..."
// or "Fout: ..." (the plain error dialog). Installs itself for its lifetime.
class NoticeRecorder final : public NoticeSink
{
public:
    NoticeRecorder();
    ~NoticeRecorder() override;

    void message(const QString &text) override;
    void error(const QString &text) override;
    void errorDialog(const QString &text) override;

    QStringList all;      // every box, prefixed by its kind
    QStringList messages; // texts of the message box
    QStringList errors;   // texts of the error box
    QStringList dialogs;  // texts of the plain error dialog

    void clear();
    bool isEmpty() const { return all.isEmpty(); }
};
