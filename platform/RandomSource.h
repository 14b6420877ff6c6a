#pragma once

// Draws uniform in [0, 1), seeded once.
class RandomSource
{
public:
    virtual ~RandomSource() = default;
    virtual void seed(double seconds) = 0;
    virtual double next() = 0;
};
