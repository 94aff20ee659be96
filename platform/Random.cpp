#include "platform/Random.h"

#include <cerrno>
#include <random>
#include <sys/random.h>

#include "platform/Services.h"

namespace scrivo {

namespace {
std::uint64_t SplitMix(std::uint64_t& x)
{
    std::uint64_t z = (x += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}
std::uint64_t Rotl(std::uint64_t x, int k)
{
    return (x << k) | (x >> (64 - k));
}
} // namespace

Random::Random(std::uint64_t seed)
{
    SetState(seed);
}

void Random::SetState(std::uint64_t seed)
{
    std::uint64_t x = seed;
    for (auto& s : m_s)
        s = SplitMix(x);
}

void Random::Seed(std::uint64_t seed)
{
    SetState(seed);
    m_fixed = true;
}

void Random::Randomize()
{
    if (m_fixed) return;
    SetState(EntropySeed());
}

std::uint64_t Random::NextU64()
{
    // xoshiro256**
    const std::uint64_t result = Rotl(m_s[1] * 5, 7) * 9;
    const std::uint64_t t = m_s[1] << 17;
    m_s[2] ^= m_s[0];
    m_s[3] ^= m_s[1];
    m_s[1] ^= m_s[2];
    m_s[0] ^= m_s[3];
    m_s[2] ^= t;
    m_s[3] = Rotl(m_s[3], 45);
    return result;
}

double Random::Next()
{
    return static_cast<double>(NextU64() >> 11) * 0x1.0p-53;
}

int Random::Below(int n)
{
    return n <= 0 ? 0 : static_cast<int>(Next() * n);
}

Random& ProgramRandom()
{
    return Services().Generator();
}

std::uint64_t EntropySeed()
{
    std::uint64_t seed = 0;
    auto* bytes = reinterpret_cast<unsigned char*>(&seed);
    std::size_t got = 0;
    while (got < sizeof seed) {
        const ssize_t n = ::getrandom(bytes + got, sizeof seed - got, 0);
        if (n > 0) {
            got += static_cast<std::size_t>(n);
        } else if (n < 0 && errno != EINTR) {
            break;
        }
    }
    if (got == sizeof seed) return seed;
    // No getrandom (an old kernel, a sandbox that forbids it).
    std::random_device device;
    return (static_cast<std::uint64_t>(device()) << 32) ^ device();
}

} // namespace scrivo
