#include "tools/sim/random.h"

#include <cmath>

namespace tesselog::sim {

namespace {

uint64_t SplitMix(uint64_t& x)
{
    uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint64_t Rotate(uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

}  // namespace

Random::Random(uint64_t seed)
{
    for (uint64_t& word : state_) {
        word = SplitMix(seed);
    }
}

// xoshiro256**
uint64_t Random::Next()
{
    const uint64_t result = Rotate(state_[1] * 5, 7) * 9;
    const uint64_t t = state_[1] << 17;
    state_[2] ^= state_[0];
    state_[3] ^= state_[1];
    state_[1] ^= state_[2];
    state_[0] ^= state_[3];
    state_[2] ^= t;
    state_[3] = Rotate(state_[3], 45);
    return result;
}

double Random::Uniform() { return static_cast<double>(Next() >> 11) * (1.0 / 9007199254740992.0); }

double Random::Uniform(double low, double high) { return low + (high - low) * Uniform(); }

int Random::Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }

bool Random::Chance(double probability) { return probability > 0.0 && Uniform() < probability; }

// Box-Muller, one value per call so the number of draws per call is fixed.
double Random::Gaussian()
{
    const double u1 = 1.0 - Uniform();  // (0, 1]
    const double u2 = Uniform();
    return std::sqrt(-2.0 * std::log(u1)) * std::cos(6.283185307179586 * u2);
}

}  // namespace tesselog::sim
