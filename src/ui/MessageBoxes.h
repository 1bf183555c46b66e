#pragma once

#include "model/Notice.h"
#include "ui/Look.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

namespace Ui {
class TErrorMessage;
class TfmMelding;
class TfmVraag;
} // namespace Ui

// The message box "Melding": every notice and warning of the system.
class TfmMelding final : public TScreenDialog
{
    Q_OBJECT
public:
    explicit TfmMelding(QWidget *parent = nullptr);
    ~TfmMelding() override;

    QString Melding;

    // Shows Melding and waits; true when closed with "Sluit".
    bool Execute();
    // The standard geometry: left edge 200, width 420, "Sluit" at 288, text 380 wide.
    void SetBasics();
    // For callers that need more room before Execute; "Sluit" is centred at every showing.
    void SetWidth(int width);
    // The width of the text; the next showing sizes the text anew.
    void SetTextWidth(int width);

private:
    void FormShow();

    const std::unique_ptr<Ui::TfmMelding> m_ui;
};

// The error box "Foutmelding": every error the system itself reports.
class TErrorMessage final : public TScreenDialog
{
    Q_OBJECT
public:
    explicit TErrorMessage(QWidget *parent = nullptr);
    ~TErrorMessage() override;

    QString ErrorMessage;

    // Shows ErrorMessage and waits; true when closed with "Sluit".
    bool Execute();

private:
    void FormShow();

    const std::unique_ptr<Ui::TErrorMessage> m_ui;
};

// The question box "Vraag", in the style of the message box, with "Ja" and
// "Nee"; "Nee" has the focus and Escape, so that a key pressed in haste never
// says "Ja".
class TfmVraag final : public TScreenDialog
{
    Q_OBJECT
public:
    explicit TfmVraag(QWidget *parent = nullptr);
    ~TfmVraag() override;

    QString Vraag;

    // Shows Vraag and waits; true when answered "Ja".
    bool Execute();

private:
    void FormShow();

    const std::unique_ptr<Ui::TfmVraag> m_ui;
};

// The notices of the core and of the screens reach the user through the
// boxes; the file builder's own errors through the platform's plain error dialog.
// Without its boxes (before they are made) a notice goes to a plain message box,
// and a question is answered "Nee".
class TBoxNotices final : public NoticeSink
{
public:
    void setBoxes(TfmMelding *melding, TErrorMessage *error, TfmVraag *vraag);

    void message(const QString &text) override;
    void error(const QString &text) override;
    void errorDialog(const QString &text) override;
    bool question(const QString &text) override;

private:
    QPointer<TfmMelding> m_melding;
    QPointer<TErrorMessage> m_error;
    QPointer<TfmVraag> m_vraag;
};

// Runs a user action; an error that ends it is shown with its own message in the error box.
void Guarded(const std::function<void()> &action);
