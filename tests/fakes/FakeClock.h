#pragma once

#include "Clock.h"

class FakeClock : public Clock
{
public:
    double now = 45296.25; // 12:34:56.25
    double secondsSinceMidnight() const override { return now; }
};
