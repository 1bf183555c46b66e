#include "model/Clock.h"

namespace {
const Clock *g_clock = nullptr;
}

void setClock(const Clock *clock)
{
    g_clock = clock;
}

QDateTime currentDateTime()
{
    return g_clock ? g_clock->now() : QDateTime::currentDateTime();
}
