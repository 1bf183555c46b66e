#pragma once

#include <QString>

// Everything the system reports to the user goes through one sink: the
// desktop app shows real boxes, the batch command writes to stderr, tests
// record. Texts may hold carriage returns as line breaks.
class NoticeSink
{
public:
    virtual ~NoticeSink() = default;
    // The message box "Melding" (notices and warnings).
    virtual void message(const QString &text) = 0;
    // The error box "Foutmelding".
    virtual void error(const QString &text) = 0;
    // The plain platform error dialog (error icon, one OK button) of the file builder.
    virtual void errorDialog(const QString &text) = 0;
    // The question box with the buttons "Ja" and "Nee"; true for "Ja".
    virtual bool question(const QString &text) = 0;
};

// A box told on a thread that works ahead, kept to be shown in its turn.
struct HeldBox
{
    enum class Kind : quint8
    {
        Message,
        Error,
        ErrorDialog,
    };
    Kind kind;
    QString text;
    void show() const;
};

// A sink that keeps the boxes it is told instead of showing them; it asks nothing,
// since a thread that works ahead cannot wait for an answer.
class HoldingNotices : public NoticeSink
{
public:
    void message(const QString &text) final { hold({HeldBox::Kind::Message, text}); }
    void error(const QString &text) final { hold({HeldBox::Kind::Error, text}); }
    void errorDialog(const QString &text) final { hold({HeldBox::Kind::ErrorDialog, text}); }
    bool question(const QString &) final { return false; }

protected:
    virtual void hold(HeldBox box) = 0;
};

// A value as messages and log lines echo it: a text from a cell or a settings
// file can be megabytes long, so beyond ShownValueLimit characters it is cut
// and followed by "… (" + its length + " tekens)".
constexpr qsizetype ShownValueLimit = 200;
QString ShownValue(const QString &value);

// Installs the sink; nullptr restores the silent default. The caller keeps ownership.
void setNoticeSink(NoticeSink *sink);
// Installs a sink for the calling thread alone, ahead of the one above; nullptr
// removes it. Gives the one it replaces. A thread that works ahead keeps its
// boxes to show them in turn.
NoticeSink *setThreadNoticeSink(NoticeSink *sink);
NoticeSink &notices();

// Shorthands for the boxes.
inline void ShowMelding(const QString &text)
{
    notices().message(text);
}
inline void ShowErrorMessage(const QString &text)
{
    notices().error(text);
}
inline void ShowErrorDialog(const QString &text)
{
    notices().errorDialog(text);
}
inline bool AskQuestion(const QString &text)
{
    return notices().question(text);
}
