#include "MtRandom.h"

#include <bit>

void MtRandom::seed(double seconds)
{
    m_gen.seed(std::bit_cast<std::uint32_t>(static_cast<float>(seconds)));
}
