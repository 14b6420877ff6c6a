#pragma once

#include "MtRandom.h"
#include "RandomSource.h"

#include <QList>

// Hands out scripted values first, then a seeded sequence; counts draws.
class FakeRandom : public RandomSource
{
public:
    QList<double> script;
    int draws = 0;
    QList<double> seeds;

    explicit FakeRandom(std::uint64_t seed = 1) { m_rest.seedWith(seed); }
    void seed(double seconds) override { seeds.append(seconds); }
    double next() override
    {
        ++draws;
        if (!script.isEmpty())
            return script.takeFirst();
        return m_rest.next();
    }

private:
    MtRandom m_rest;
};
