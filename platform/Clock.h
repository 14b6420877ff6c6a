#pragma once

class Clock
{
public:
    virtual ~Clock() = default;
    // The time of day, in seconds since midnight, with its fraction.
    virtual double secondsSinceMidnight() const = 0;
};
