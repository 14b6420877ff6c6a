#pragma once

#include "MtRandom.h"

#include <QtGlobal>
#include <optional>

// The program's generator. Without a fixed seed the engine's one seeding call
// seeds it from the clock, as in the program; with one, that call uses the
// fixed seed instead, so the same seed and data give the same songs.
class SeededRandom : public RandomSource
{
public:
    explicit SeededRandom(std::optional<quint64> fixed = std::nullopt) : m_fixed(fixed) {}

    void seed(double seconds) override
    {
        if (m_fixed)
            m_generator.seedWith(*m_fixed);
        else
            m_generator.seed(seconds);
    }
    double next() override { return m_generator.next(); }

private:
    std::optional<quint64> m_fixed;
    MtRandom m_generator;
};
