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
#include <utility>
#include <vector>

#include "core/board.h"
#include "core/makemove.h"
#include "core/tables.h"
#include "core/verify.h"
#include "test_support.h"

struct PositionSnapshot {
    std::vector<uint32_t> words;
    std::vector<std::pair<const char*, size_t>> tables;  // name and first word of each part
};

inline PositionSnapshot take_snapshot()
{
    PositionSnapshot s;
    s.words.reserve(1024), s.tables.reserve(24);
    auto add = [&s](const char* name, const void* data, size_t words) {
        s.tables.emplace_back(name, s.words.size());
        s.words.resize(s.words.size() + words);
        std::memcpy(&s.words[s.words.size() - words], data, 4 * words);
    };
    add("trait", &trait, 1), add("ply", &ply, 1);
    uint32_t board[BOARD_SIZE], slots[BOARD_SIZE], pieces[2][32];
    for (int sq = 0; sq < BOARD_SIZE; ++sq) {
        board[sq] = echiquier[sq];
        slots[sq] = is_occupied(echiquier[sq]) ? uint32_t(case_ficha[sq] - &ficha[0][0]) : ~0u;
    }
    add("echiquier", board, BOARD_SIZE), add("case_ficha", slots, BOARD_SIZE);
    std::memcpy(pieces, ficha, sizeof pieces);
    for (int c = 0; c < 2; ++c) {
        uint32_t live = 0;
        for (int t = 0; t < 8; ++t) live |= piece_type[c][t];
        for (int k = 0; k < 16; ++k)
            if ((live >> k & 1) == 0) pieces[c][2 * k + 1] = 0;  // a free slot's square
    }
    add("ficha", pieces, 64), add("piece_type", piece_type, 16);
    add("pieces_glissantes_mask", pieces_glissantes_mask, 2);
    add("attaques", attaques, 2 * BOARD_SIZE);
    add("nombre_pions", nombre_pions, 2), add("nombre_pieces", nombre_pieces, 2);
    add("mk", mk, 2), add("mk3", &mk3, 1), add("cf", cf, 4);
    add("pions_colonne", pions_colonne, 20), add("pion_plus_avance", pion_plus_avance, 20);
    add("pion_moins_avance", pion_moins_avance, 20);
    if (ply >= 0 && ply < MAX_PLY_RECORDS) {
        add("etats", etats, (sizeof(Etat) / 4) * size_t(ply + 1));
        s.words[s.words.size() - sizeof(Etat) / 4 + 5] = 0;  // `coup` of the current record
        s.words[s.words.size() - sizeof(Etat) / 4 + 6] = 0;  // and `ficha_prise`
    }
    return s;
}

// The first word in which the two snapshots differ, by table and index (with the square on the
// boards); empty when they agree. `ply` comes before the records, so snapshots of different
// heights differ there first.
inline std::string first_difference(const PositionSnapshot& a, const PositionSnapshot& b)
{
    size_t i = 0;
    while (i < a.words.size() && i < b.words.size() && a.words[i] == b.words[i]) ++i;
    if (i == a.words.size() || i == b.words.size()) return "";
    size_t t = a.tables.size() - 1;
    while (a.tables[t].second > i) --t;
    const char* name = a.tables[t].first;
    const size_t at = i - a.tables[t].second, record = sizeof(Etat) / 4;
    const bool board = at < size_t(2 * BOARD_SIZE) &&
                       (std::strcmp(name, "echiquier") == 0 ||
                        std::strcmp(name, "case_ficha") == 0 || std::strcmp(name, "attaques") == 0);
    char text[128];
    if (std::strcmp(name, "etats") == 0)
        std::snprintf(text, sizeof text, "etats[%zu] word %zu", at / record, at % record);
    else
        std::snprintf(text, sizeof text, "%s[%zu]%s%s%s", name, at, board ? " (" : "",
                      board ? square_name(int(at % BOARD_SIZE)) : "", board ? ")" : "");
    return std::string(text) + ": " + std::to_string(int32_t(a.words[i])) + " before, " +
           std::to_string(int32_t(b.words[i])) + " after";
}

// Runs the six consistency checks and a piece-list check they do not cover (every slot in a
// type mask names a square holding that piece, whose `case_ficha` is the slot); returns what
// failed, empty when nothing did.
inline std::string consistency_errors()
{
    int (*const checks[])() = {verifie_attaques, verifie_types,   verifie_cles,
                               verifie_materiel, verifie_nombres, verifie_pions};
    int failed = 0;
    for (auto check : checks) failed |= check();  // a clean record prints nothing
    std::string out;
    if (failed != 0)  // once more, to show what they print
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
