#pragma once

#include <QDateTime>

namespace bkp::platform {

// "Today" and "now" for the whole program; tests install one they set.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

// The status pauses go through here; tests install one that does not wait.
class Sleeper {
public:
    virtual ~Sleeper() = default;
    virtual void sleep(int milliseconds) = 0;
};

Clock &clock();
void setClock(Clock *clock); // nullptr restores the system clock

Sleeper &sleeper();
void setSleeper(Sleeper *sleeper); // nullptr restores real pauses

// Installs a clock or sleeper for the life of a scope (tests).
template <typename T, void (*Set)(T *)> class ScopedInstall {
public:
    explicit ScopedInstall(T *value) { Set(value); }
    ~ScopedInstall() { Set(nullptr); }
    ScopedInstall(const ScopedInstall &) = delete;
    ScopedInstall &operator=(const ScopedInstall &) = delete;
};
using ScopedClock = ScopedInstall<Clock, setClock>;
using ScopedSleeper = ScopedInstall<Sleeper, setSleeper>;

} // namespace bkp::platform
