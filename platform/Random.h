#pragma once

#include <cstdint>

namespace scrivo {

// The program's source of randomness (shuffles, bots, game ids). The program
// reseeds it from the time of day where a new random sequence is wanted;
// tests and tools seed it with a fixed number instead, and from then on the
// time-of-day reseeding leaves it alone so that runs repeat exactly.
class Random {
public:
    explicit Random(std::uint64_t seed = 0x5eed);

    // Fixed seed: later Randomize() calls keep this sequence.
    void Seed(std::uint64_t seed);
    // Lets Randomize() reseed again.
    void Unfix() { m_fixed = false; }

    // Reseeds from the time of day, mixed with the current state so that two
    // reseeds within one clock tick still give different sequences.
    void Randomize();

    double Next();    // uniform in [0, 1)
    int Below(int n); // Int(Next() * n), 0 .. n - 1
    std::uint64_t NextU64();

private:
    void SetState(std::uint64_t seed);
    std::uint64_t m_s[4] = {};
    bool m_fixed = false;
};

// The generator the program and tools use.
Random& ProgramRandom();

} // namespace scrivo
