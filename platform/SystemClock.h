#pragma once

#include "Clock.h"

class SystemClock : public Clock
{
public:
    double secondsSinceMidnight() const override;
};
