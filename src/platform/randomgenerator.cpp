// SPDX-License-Identifier: MIT
#include "platform/randomgenerator.h"

#include <bit>

namespace platform {

void RandomGenerator::seed(float seconds)
{
    // The bit pattern keeps the fraction of the seconds, so two runs within one second
    // still start different sequences.
    engine_.seed(std::bit_cast<std::uint32_t>(seconds));
}

float RandomGenerator::next()
{
    constexpr float scale = 1.0f / 16777216.0f; // 2^-24
    return static_cast<float>(engine_() >> 8) * scale;
}

} // namespace platform
