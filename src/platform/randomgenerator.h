// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <random>

namespace platform {

// Uniform single-precision draws in [0, 1). Built on 24 random bits, so the largest draw is
// 1 - 2^-24 and 1.0 can never come out (std::generate_canonical<float> may return 1.0).
class RandomGenerator
{
public:
    void seed(float seconds);
    float next();

private:
    std::mt19937 engine_{0u};
};

} // namespace platform
