#include "model/Notice.h"

#include <utility>

namespace {
class SilentSink final : public NoticeSink
{
public:
    void message(const QString &) override {}
    void error(const QString &) override {}
    void errorDialog(const QString &) override {}
    // Nobody to ask: nothing is collected again unasked.
    bool question(const QString &) override { return false; }
};

SilentSink g_silent;
NoticeSink *g_sink = nullptr;
thread_local NoticeSink *t_sink = nullptr;
} // namespace

void setNoticeSink(NoticeSink *sink)
{
    g_sink = sink;
}

NoticeSink *setThreadNoticeSink(NoticeSink *sink)
{
    return std::exchange(t_sink, sink);
}

NoticeSink &notices()
{
    if (t_sink)
        return *t_sink;
    return g_sink ? *g_sink : g_silent;
}

QString ShownValue(const QString &value)
{
    if (value.size() <= ShownValueLimit)
        return value;
    qsizetype cut = ShownValueLimit;
    // Never half a character.
    if (value.at(cut - 1).isHighSurrogate())
        --cut;
    return value.left(cut) + QStringLiteral("\u2026 (") + QString::number(value.size()) + QStringLiteral(" tekens)");
}

void HeldBox::show() const
{
    switch (kind) {
    case Kind::Message:
        ShowMelding(text);
        break;
    case Kind::Error:
        ShowErrorMessage(text);
        break;
    case Kind::ErrorDialog:
        ShowErrorDialog(text);
        break;
    }
}
