#pragma once

#include <QDateTime>

// The local date and time as the run sees it. Tests install a fixed clock so
// timestamps in files and logs are exact.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class FixedClock final : public Clock
{
public:
    explicit FixedClock(QDateTime when) : m_when(std::move(when)) {}
    QDateTime now() const override { return m_when; }
    void set(QDateTime when) { m_when = std::move(when); }

private:
    QDateTime m_when;
};

// Installs a clock; nullptr restores the system clock. The caller keeps ownership.
void setClock(const Clock *clock);
QDateTime currentDateTime();
