#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>

#include <functional>

class QDialog;

// Every modal box and dialog of the screens runs through here. In normal use
// it shows the window and waits for it; with the hooks switched on (GUI
// tests) nothing waits: boxes close themselves with their one button and each
// dialog gets the next answer queued for it, and everything shown is recorded.
class ModalHooks final
{
public:
    // What a test does with an open dialog, e.g. fill a field and press "OK".
    using Answer = std::function<void(QDialog &dialog)>;

    static void setActive(bool active);
    static bool isActive();

    // Queues the answer for the next showing of the dialog of that class ("TSelectSheet").
    static void setNextAnswer(const QString &dialogClass, Answer answer);
    // An answer that clicks the button with this object name.
    static Answer press(const QString &buttonName);
    // Called with every box shown while the hooks are on, before it closes itself.
    static void setBoxObserver(Answer observer);
    // Answers not used yet.
    static int pendingAnswers();

    // In order: "Melding: text", "Foutmelding: text", "Fout: text" (plain error
    // dialog), "Bericht: text" (plain message box), "Vraag: text", or the class of a dialog;
    // a dialog that found no answer is recorded as its class + " (onbeantwoord)".
    static QStringList &shown();
    static void clear();

    // Shows the dialog modally. opening runs once it is visible; returns the dialog's result.
    static int run(QDialog &dialog, const QString &dialogClass, const std::function<void()> &opening = {});
    // A box that has only one button: it closes with that button (accepted).
    static int runBox(QDialog &dialog, const QString &record);
    // The question box: recorded as record, answered by the answer queued for "TfmVraag";
    // without one it closes with "Nee" (rejected) and is recorded + " (onbeantwoord)".
    static int runQuestion(QDialog &dialog, const QString &record);
    // The platform's plain message box with one OK button.
    static void plainMessage(QMessageBox::Icon icon, const QString &title, const QString &text);

private:
    // A dialog answered by the queue of dialogClass, recorded as record.
    static int runAnswered(QDialog &dialog, const QString &dialogClass, const QString &record,
                           const std::function<void()> &opening);
};
