// The simulator's one source of randomness. Every random choice (anomaly
// placement, noise, faults, satellite changes) draws from a single generator
// seeded from --seed, in a fixed order, so one seed always gives the same
// byte streams. The generator and its distributions are written out here
// rather than taken from <random>, whose distributions differ between
// standard libraries.
#pragma once

#include <cstdint>

namespace tesselog::sim {

class Random {
public:
    explicit Random(uint64_t seed);

    uint64_t Next();
    double Uniform();                        // [0, 1)
    double Uniform(double low, double high);  // [low, high)
    int Below(int n);                        // 0 .. n-1, n > 0
    bool Chance(double probability);
    double Gaussian();                       // mean 0, standard deviation 1

private:
    uint64_t state_[4];
};

}  // namespace tesselog::sim
