// The pseudo-random key tables, generated at compile time from fixed seeds. Every book file
// ever written identifies positions by these words: the generator, its seeds and the order in
// which each table draws from it must never change. Each table has its own seed so that a new
// table never shifts the words of an old one.
#pragma once

#include <array>
#include <cstdint>

#include "core/types.h"

namespace keys_detail {

// splitmix64, taking the high half of each output as one 32-bit word.
struct KeyStream {
    uint64_t state;
    constexpr uint32_t next()
    {
        uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        z ^= z >> 31;
        return static_cast<uint32_t>(z >> 32);
    }
    constexpr Key96 next96()
    {
        Key96 k{};
        for (auto& w : k.w) w = next();
        return k;
    }
};

// The class of a pair of bishop colour sets (index black * 4 + white): equal classes share
// their key and flag.
constexpr std::array<uint8_t, 16> BISHOP_CLASS = {0, 1, 1, 2, 3, 4, 5, 6, 3, 5, 4, 6, 7, 8, 8, 9};

}  // namespace keys_detail

// [kind + 6c][sq64]
constexpr auto psq_keys = [] {
    keys_detail::KeyStream g{0x51A7E0C3D2B1F001ULL};
    std::array<std::array<Key96, 64>, 12> t{};
    for (auto& row : t)
        for (auto& k : row) k = g.next96();
    return t;
}();

// [roque]; entry 0 (no rights) is zero.
constexpr auto castle_keys = [] {
    keys_detail::KeyStream g{0x51A7E0C3D2B1F002ULL};
    std::array<Key96, 16> t{};
    for (int i = 1; i < 16; ++i) t[i] = g.next96();
    return t;
}();

// [sq64 of the en-passant square]; non-zero only on ranks 3 and 6.
constexpr auto ep_keys = [] {
    keys_detail::KeyStream g{0x51A7E0C3D2B1F003ULL};
    std::array<Key96, 64> t{};
    for (int i = 0; i < 64; ++i)
        if (i % 8 == 2 || i % 8 == 5) t[i] = g.next96();
    return t;
}();

// [kind + 6c][count]: XORed in for the (count + 1)-th piece of that kind.
constexpr auto material_keys = [] {
    keys_detail::KeyStream g{0x51A7E0C3D2B1F004ULL};
    std::array<std::array<uint32_t, 16>, 12> t{};
    for (auto& row : t)
        for (auto& k : row) k = g.next();
    return t;
}();

// [black set * 4 + white set]: XORed into the material cache index; zero for no bishops.
constexpr auto bishop_class_keys = [] {
    keys_detail::KeyStream g{0x51A7E0C3D2B1F005ULL};
    std::array<uint32_t, 10> per_class{};
    for (int c = 1; c < 10; ++c) per_class[c] = g.next();
    std::array<uint32_t, 16> t{};
    for (int i = 0; i < 16; ++i) t[i] = per_class[keys_detail::BISHOP_CLASS[i]];
    return t;
}();

// [black set * 4 + white set]: ORed into check word 0 of a material cache entry (bits 29-31).
constexpr auto bishop_class_flags = [] {
    constexpr uint32_t B29 = 1u << 29, B30 = 1u << 30, B31 = 1u << 31;
    constexpr std::array<uint32_t, 10> per_class = {0,         B29,       0, B30, B30 | B31,
                                                    B29 | B31, B29 | B30, 0, B31, 0};
    std::array<uint32_t, 16> t{};
    for (int i = 0; i < 16; ++i) t[i] = per_class[keys_detail::BISHOP_CLASS[i]];
    return t;
}();

// King-safety cache keys: [case64 of the king] and [2-bit castling rights of its colour]
// (entry 0, no rights, is never used and stays zero).
constexpr auto king_square_keys = [] {
    keys_detail::KeyStream g{0x51A7E0C3D2B1F006ULL};
    std::array<Key96, 64> t{};
    for (auto& k : t) k = g.next96();
    return t;
}();
constexpr auto king_castle_keys = [] {
    keys_detail::KeyStream g{0x51A7E0C3D2B1F007ULL};
    std::array<Key96, 4> t{};
    for (int i = 1; i < 4; ++i) t[i] = g.next96();
    return t;
}();
