#pragma once

#include <cstdint>

namespace scrivo {

// The program's source of randomness (shuffles, bots, game ids). The program
// reseeds it from the operating system's entropy where a new random sequence
// is wanted, so that nobody who knows roughly when a hand was dealt can work
// out the deal; tests and tools seed it with a fixed number instead, and from
// then on the reseeding leaves it alone so that runs repeat exactly.
class Random {
public:
    explicit Random(std::uint64_t seed = 0x5eed);

    // Fixed seed: later Randomize() calls keep this sequence.
    void Seed(std::uint64_t seed);
    // Lets Randomize() reseed again.
    void Unfix() { m_fixed = false; }
    bool Fixed() const { return m_fixed; }

    // Reseeds from the operating system's entropy.
    void Randomize();

    double Next();    // uniform in [0, 1)
    int Below(int n); // Int(Next() * n), 0 .. n - 1
    std::uint64_t NextU64();

private:
    void SetState(std::uint64_t seed);
    std::uint64_t m_s[4] = {};
    bool m_fixed = false;
};

// The generator the program and tools use, kept with the process services;
// seeded from entropy at first use.
Random& ProgramRandom();

// 64 bits from the operating system's entropy (getrandom, or
// std::random_device where that fails).
std::uint64_t EntropySeed();

} // namespace scrivo
