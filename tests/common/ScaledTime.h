// Runs the program's fixed pauses and time-outs faster while this object lives (a test's
// scope), so that a test of what they drive does not wait seconds; see Waits::setTimeScale.
#pragma once

#include "support/Waits.h"

class ScaledTime
{
public:
    explicit ScaledTime(double factor) : m_previous(Waits::timeScale())
    {
        Waits::setTimeScale(factor);
    }
    ~ScaledTime() { Waits::setTimeScale(m_previous); }
    ScaledTime(const ScaledTime &) = delete;
    ScaledTime &operator=(const ScaledTime &) = delete;

private:
    double m_previous;
};
