#include "model/Notice.h"

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
} // namespace

void setNoticeSink(NoticeSink *sink)
{
    g_sink = sink;
}

NoticeSink &notices()
{
    return g_sink ? *g_sink : g_silent;
}
