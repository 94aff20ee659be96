#pragma once

// Fixed-width little-endian integers inside a record's bytes, and the FNV-1a
// checksum the game's binary records carry.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace scrivo {

inline void PutLittle(std::string& out, std::size_t at, std::uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[at + static_cast<std::size_t>(i)] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

inline std::uint64_t GetLittle(std::string_view in, std::size_t at, int bytes)
{
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i)
        value |= std::uint64_t{static_cast<unsigned char>(in[at + static_cast<std::size_t>(i)])} << (8 * i);
    return value;
}

inline std::uint32_t Fnv1a(std::string_view bytes)
{
    std::uint32_t h = 2166136261u;
    for (const char c : bytes) {
        h ^= static_cast<unsigned char>(c);
        h *= 16777619u;
    }
    return h;
}

} // namespace scrivo
