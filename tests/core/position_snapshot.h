// Test helper: the position record copied word by word, for bit-for-bit comparison before and
// after moves and take-backs. The copy leaves out what may legitimately differ: `case_ficha` of
// empty squares, square words of slots in no type mask, records above `ply`, and `coup` and
// `ficha_prise` of the current record (they belong to the move made from it).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "core/board.h"
#include "core/makemove.h"
#include "core/tables.h"
#include "core/verify.h"
#include "test_support.h"

struct PositionSnapshot {
    std::vector<uint32_t> words;  // the tables of snapshot_detail::TABLES, then etats[0..ply]
};

namespace snapshot_detail {

// One table of the copy: its name, where it is copied from (null: built by take_snapshot), its
// size in words and its row length; rows of BOARD_SIZE are indexed by square.
struct Table {
    const char* name;
    const void* data;
    int words;
    int row;
};
inline constexpr Table TABLES[] = {
    {"trait", &trait, 1, 1},
    {"ply", &ply, 1, 1},
    {"echiquier", nullptr, BOARD_SIZE, BOARD_SIZE},
    {"case_ficha", nullptr, BOARD_SIZE, BOARD_SIZE},
    {"ficha", ficha, 64, 2},
    {"piece_type", piece_type, 16, 8},
    {"pieces_glissantes_mask", pieces_glissantes_mask, 2, 2},
    {"attaques", attaques, 2 * BOARD_SIZE, BOARD_SIZE},
    {"nombre_pions", nombre_pions, 2, 2},
    {"nombre_pieces", nombre_pieces, 2, 2},
    {"mk", mk, 2, 2},
    {"mk3", &mk3, 1, 1},
    {"cf", cf, 4, 2},
    {"pions_colonne", pions_colonne, 20, 10},
    {"pion_plus_avance", pion_plus_avance, 20, 10},
    {"pion_moins_avance", pion_moins_avance, 20, 10},
};
constexpr int FICHA_WORD = 2 + 2 * BOARD_SIZE;  // where the piece list starts

inline std::string cell_name(const Table& t, int i)
{
    char text[64];
    const int n =
        std::snprintf(text, sizeof text, t.words > t.row ? "%s[%d]" : "%s", t.name, i / t.row);
    if (t.row == BOARD_SIZE)
        std::snprintf(text + n, sizeof text - n, "[%s (%d)]", square_name(i % t.row), i % t.row);
    else if (t.words > 1)
        std::snprintf(text + n, sizeof text - n, "[%d]", i % t.row);
    return text;
}

}  // namespace snapshot_detail

inline PositionSnapshot take_snapshot()
{
    using namespace snapshot_detail;
    PositionSnapshot s;
    std::vector<uint32_t>& w = s.words;
    for (const Table& t : TABLES) {
        const size_t at = w.size();
        w.resize(at + t.words);
        if (t.data != nullptr) std::memcpy(&w[at], t.data, 4 * size_t(t.words));
        for (int sq = 0; t.data == nullptr && sq < BOARD_SIZE; ++sq) {
            const bool piece = is_occupied(echiquier[sq]);
            w[at + sq] = &t == &TABLES[2] ? echiquier[sq]
                         : piece          ? uint32_t(case_ficha[sq] - &ficha[0][0])
                                          : ~0u;
        }
    }
    for (int c = 0; c < 2; ++c) {
        uint32_t live = 0;
        for (int t = 0; t < 8; ++t) live |= piece_type[c][t];
        for (int k = 0; k < 16; ++k)
            if ((live >> k & 1) == 0) w[FICHA_WORD + 2 * (16 * c + k) + 1] = 0;
    }
    if (ply >= 0 && ply < MAX_PLY_RECORDS) {
        const size_t at = w.size();
        w.resize(at + 17 * size_t(ply + 1));
        std::memcpy(&w[at], etats, sizeof(Etat) * size_t(ply + 1));
        w[w.size() - 17 + 5] = w[w.size() - 17 + 6] = 0;  // `coup` and `ficha_prise`
    }
    return s;
}

// The first word in which the two snapshots differ, by table and index; empty when they agree.
// `ply` comes before the records, so snapshots of different heights differ there first.
inline std::string first_difference(const PositionSnapshot& a, const PositionSnapshot& b)
{
    size_t i = 0;
    while (i < a.words.size() && i < b.words.size() && a.words[i] == b.words[i]) ++i;
    if (i == a.words.size() || i == b.words.size()) return "";
    int at = static_cast<int>(i);
    std::string name;
    for (const snapshot_detail::Table& t : snapshot_detail::TABLES) {
        if (at < t.words && name.empty()) name = snapshot_detail::cell_name(t, at);
        at -= t.words;
    }
    if (name.empty())  // a ply record, whose words are named by their rank in Etat
        name = "etats[" + std::to_string(at / 17) + "] word " + std::to_string(at % 17);
    return name + ": " + std::to_string(static_cast<int32_t>(a.words[i])) + " before, " +
           std::to_string(static_cast<int32_t>(b.words[i])) + " after";
}

// Runs the six consistency checks and a piece-list check they do not cover (every slot in a
// type mask names a square holding that piece, whose `case_ficha` is the slot); returns what
// failed, empty when nothing did.
inline std::string consistency_errors()
{
    int (*const checks[])() = {verifie_attaques, verifie_types,   verifie_cles,
                               verifie_materiel, verifie_nombres, verifie_pions};
    bool failed = false;
    for (auto check : checks) failed |= check() != 0;  // a clean record prints nothing
    std::string out;
    if (failed)
        out = "checks failed:\n" + capture_stdout([&] {
                  for (auto check : checks) check();
              });
    for (int c = 0; c < 2; ++c)
        for (int t = 1; t < 8; ++t)
            for (int k = 0; k < 16; ++k) {
                const uint32_t sq = ficha[c][k].square;
                if ((piece_type[c][t] >> k & 1) == 0 ||
                    (sq < BOARD_SIZE && echiquier[sq] == colour_bit_of_index(c) + t &&
                     case_ficha[sq] == &ficha[c][k]))
                    continue;
                out += "ficha[" + std::to_string(c) + "][" + std::to_string(k) + "] square " +
                       std::to_string(sq) + "\n";
            }
    return out;
}

// A move for messages: "e2e4 (0x....)".
inline std::string describe_move(Move m)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s%s (0x%06x)", square_name(move_from(m)),
                  square_name(move_to(m)), static_cast<unsigned>(m));
    return text;
}

// make_move and unmake_move, followed by the consistency check when QUARVELIN_CHECK_MOVES is
// defined (as in the Debug build). Both capture stdout: never call them inside capture_stdout.
inline void checked_make(Move m)
{
    make_move(m);
#ifdef QUARVELIN_CHECK_MOVES
    EXPECT_EQ(consistency_errors(), "") << "after make_move " << describe_move(m);
#endif
}

inline void checked_unmake(Move m)
{
    unmake_move(m);
#ifdef QUARVELIN_CHECK_MOVES
    EXPECT_EQ(consistency_errors(), "") << "after unmake_move " << describe_move(m);
#endif
}
