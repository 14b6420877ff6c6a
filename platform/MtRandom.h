#pragma once

#include "RandomSource.h"

#include <cstdint>
#include <random>

class MtRandom : public RandomSource
{
public:
    // The time of day as a single-precision value becomes the seed, bit for bit.
    void seed(double seconds) override;
    void seedWith(std::uint64_t value) { m_gen.seed(value); }
    // 53 random bits scaled into [0, 1): never 1.0.
    double next() override { return double(m_gen() >> 11) * 0x1.0p-53; }

private:
    std::mt19937_64 m_gen;
};
