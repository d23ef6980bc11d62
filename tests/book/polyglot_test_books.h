// Polyglot book images for the tests: entries given by moves from the initial position (the key
// of the position they lead to) and a move in coordinates, written byte for byte as the format
// lays them out, sorted or not.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "book/polyglot_file.h"
#include "book/polyglot_keys.h"
#include "movegen/notation.h"
#include "test_support.h"

struct TestEntry {
    const char* path;  // coordinate moves from the initial position ("" for the start)
    const char* move;  // the book move there, as the engine writes it ("e1g1" for castling)
    uint16_t weight;
};

inline PolyglotEntry polyglot_entry(const TestEntry& e, const std::string& fen = START)
{
    setup_and_play(e.path, fen);
    const Move m = text_to_move(e.move);
    // A move the position does not allow still gets a field, from its squares alone.
    const uint16_t field = is_legal_move(m) ? polyglot_move_of(m) : 0;
    const int from_file = e.move[0] - 'a', from_rank = e.move[1] - '1';
    const int to_file = e.move[2] - 'a', to_rank = e.move[3] - '1';
    const auto raw =
        static_cast<uint16_t>(to_file | to_rank << 3 | from_file << 6 | from_rank << 9);
    return PolyglotEntry{polyglot_key(), field != 0 ? field : raw, e.weight, 0};
}

// The 16 bytes of each entry in order, big-endian.
inline std::string polyglot_image(const std::vector<PolyglotEntry>& entries)
{
    std::string out;
    for (const PolyglotEntry& e : entries) {
        const uint64_t words[4] = {e.key, e.move, e.weight, e.learn};
        const int widths[4] = {8, 2, 2, 4};
        for (int w = 0; w < 4; ++w)
            for (int i = widths[w] - 1; i >= 0; --i)
                out += static_cast<char>((words[w] >> (8 * i)) & 0xff);
    }
    return out;
}

inline void write_file(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}
