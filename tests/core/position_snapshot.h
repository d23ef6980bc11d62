// Test helper: a copy of every table of the position record, for bit-for-bit comparison of the
// record before and after a sequence of moves and take-backs. What may legitimately differ is
// normalised away when the copy is taken: `case_ficha` of empty squares, the square words of
// slots in no type mask, records above `ply`, and `coup`/`ficha_prise` of the current record
// (they belong to the move made from it, which a take-back leaves behind).
//
// consistency_errors() runs the six consistency checks directly (never the key-press wait) plus
// a piece-list check and returns what they printed; checked_make()/checked_unmake() add that check
// after each call when QUARVELIN_CHECK_MOVES is defined. Both capture stdout, so they must not be
// called from inside capture_stdout().
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
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
    uint8_t board[BOARD_SIZE];
    int case_ficha_slot[BOARD_SIZE];  // c * 16 + k on occupied squares, -1 elsewhere
    uint32_t slot_mask[2][16];
    uint32_t slot_square[2][16];  // 0 for slots in no type mask
    uint32_t types[2][8];
    uint32_t sliders[2];
    uint32_t attacks[2][BOARD_SIZE];
    int32_t pawns[2];
    int32_t pieces[2];
    uint32_t packed[2];
    uint32_t signature;
    int32_t bishops[2][2];
    int32_t file_counts[2][10];
    int32_t most_advanced[2][10];
    int32_t rearmost[2][10];
    int32_t side;
    int32_t height;
    std::vector<Etat> records;  // etats[0..ply]
};

inline PositionSnapshot take_snapshot()
{
    PositionSnapshot s{};
    std::memcpy(s.board, echiquier, sizeof s.board);
    for (int sq = 0; sq < BOARD_SIZE; ++sq)
        s.case_ficha_slot[sq] =
            is_occupied(echiquier[sq]) ? static_cast<int>(case_ficha[sq] - &ficha[0][0]) : -1;
    for (int c = 0; c < 2; ++c) {
        uint32_t live = 0;
        for (int t = 0; t < 8; ++t) live |= piece_type[c][t];
        for (int k = 0; k < 16; ++k) {
            s.slot_mask[c][k] = ficha[c][k].mask;
            s.slot_square[c][k] = (live >> k & 1) ? ficha[c][k].square : 0;
        }
    }
    std::memcpy(s.types, piece_type, sizeof s.types);
    std::memcpy(s.sliders, pieces_glissantes_mask, sizeof s.sliders);
    std::memcpy(s.attacks, attaques, sizeof s.attacks);
    std::memcpy(s.pawns, nombre_pions, sizeof s.pawns);
    std::memcpy(s.pieces, nombre_pieces, sizeof s.pieces);
    std::memcpy(s.packed, mk, sizeof s.packed);
    s.signature = mk3;
    std::memcpy(s.bishops, cf, sizeof s.bishops);
    std::memcpy(s.file_counts, pions_colonne, sizeof s.file_counts);
    std::memcpy(s.most_advanced, pion_plus_avance, sizeof s.most_advanced);
    std::memcpy(s.rearmost, pion_moins_avance, sizeof s.rearmost);
    s.side = trait;
    s.height = ply;
    if (ply >= 0 && ply < MAX_PLY_RECORDS) {
        s.records.assign(etats, etats + ply + 1);
        s.records.back().coup = 0;
        s.records.back().ficha_prise = 0;
    }
    return s;
}

namespace snapshot_detail {

inline std::string cell(const char* table, int i, int j = -1)
{
    char name[64];
    if (j >= 0)
        std::snprintf(name, sizeof name, "%s[%d][%d]", table, i, j);
    else
        std::snprintf(name, sizeof name, "%s[%d]", table, i);
    return name;
}

inline std::string square_cell(const char* table, int c, int sq)
{
    char name[64];
    if (c >= 0)
        std::snprintf(name, sizeof name, "%s[%d][%s (%d)]", table, c, square_name(sq), sq);
    else
        std::snprintf(name, sizeof name, "%s[%s (%d)]", table, square_name(sq), sq);
    return name;
}

template <typename T>
bool differ(std::string& out, const std::string& name, T a, T b)
{
    if (a == b) return false;
    out = name + ": " + std::to_string(a) + " before, " + std::to_string(b) + " after";
    return true;
}

inline bool differ_key(std::string& out, const std::string& name, Key96 a, Key96 b)
{
    for (int w = 0; w < 3; ++w)
        if (differ(out, name + ".w[" + std::to_string(w) + "]", a.w[w], b.w[w])) return true;
    return false;
}

inline bool differ_record(std::string& out, int p, const Etat& a, const Etat& b)
{
    const std::string r = cell("etats", p) + ".";
    return differ(out, r + "irreversible", a.irreversible, b.irreversible) ||
           differ(out, r + "case_ep", a.case_ep, b.case_ep) ||
           differ(out, r + "materiel[0]", a.materiel[0], b.materiel[0]) ||
           differ(out, r + "materiel[1]", a.materiel[1], b.materiel[1]) ||
           differ(out, r + "score_materiel", a.score_materiel, b.score_materiel) ||
           differ(out, r + "coup", a.coup, b.coup) ||
           differ(out, r + "ficha_prise", a.ficha_prise, b.ficha_prise) ||
           differ(out, r + "roque", a.roque, b.roque) ||
           differ_key(out, r + "hash_key", a.hash_key, b.hash_key) ||
           differ_key(out, r + "pawn_key", a.pawn_key, b.pawn_key) ||
           differ_key(out, r + "piece_key", a.piece_key, b.piece_key);
}

inline bool differ_files(std::string& out, const char* name, const int32_t (&a)[2][10],
                         const int32_t (&b)[2][10])
{
    for (int c = 0; c < 2; ++c)
        for (int f = 0; f < 10; ++f)
            if (differ(out, cell(name, c, f), a[c][f], b[c][f])) return true;
    return false;
}

// Everything before `records` is plain words with no padding between the tables.
inline bool same(const PositionSnapshot& a, const PositionSnapshot& b)
{
    static_assert(sizeof(Etat) == 68);
    return std::memcmp(&a, &b, offsetof(PositionSnapshot, records)) == 0 &&
           a.records.size() == b.records.size() &&
           std::memcmp(a.records.data(), b.records.data(), a.records.size() * sizeof(Etat)) == 0;
}

}  // namespace snapshot_detail

// The first table entry in which the two snapshots differ, by name; empty when they agree.
inline std::string first_difference(const PositionSnapshot& a, const PositionSnapshot& b)
{
    using namespace snapshot_detail;
    std::string out;
    if (same(a, b)) return out;
    if (differ(out, "trait", a.side, b.side) || differ(out, "ply", a.height, b.height)) return out;
    for (int sq = 0; sq < BOARD_SIZE; ++sq)
        if (differ(out, square_cell("echiquier", -1, sq), int{a.board[sq]}, int{b.board[sq]}) ||
            differ(out, square_cell("case_ficha", -1, sq), a.case_ficha_slot[sq],
                   b.case_ficha_slot[sq]))
            return out;
    for (int c = 0; c < 2; ++c)
        for (int k = 0; k < 16; ++k)
            if (differ(out, cell("ficha", c, k) + ".mask", a.slot_mask[c][k], b.slot_mask[c][k]) ||
                differ(out, cell("ficha", c, k) + ".square", a.slot_square[c][k],
                       b.slot_square[c][k]))
                return out;
    for (int c = 0; c < 2; ++c) {
        for (int t = 0; t < 8; ++t)
            if (differ(out, cell("piece_type", c, t), a.types[c][t], b.types[c][t])) return out;
        if (differ(out, cell("pieces_glissantes_mask", c), a.sliders[c], b.sliders[c])) return out;
    }
    for (int c = 0; c < 2; ++c)
        for (int sq = 0; sq < BOARD_SIZE; ++sq)
            if (differ(out, square_cell("attaques", c, sq), a.attacks[c][sq], b.attacks[c][sq]))
                return out;
    for (int c = 0; c < 2; ++c)
        if (differ(out, cell("nombre_pions", c), a.pawns[c], b.pawns[c]) ||
            differ(out, cell("nombre_pieces", c), a.pieces[c], b.pieces[c]) ||
            differ(out, cell("mk", c), a.packed[c], b.packed[c]) ||
            differ(out, cell("cf", c, 0), a.bishops[c][0], b.bishops[c][0]) ||
            differ(out, cell("cf", c, 1), a.bishops[c][1], b.bishops[c][1]))
            return out;
    if (differ(out, "mk3", a.signature, b.signature) ||
        differ_files(out, "pions_colonne", a.file_counts, b.file_counts) ||
        differ_files(out, "pion_plus_avance", a.most_advanced, b.most_advanced) ||
        differ_files(out, "pion_moins_avance", a.rearmost, b.rearmost))
        return out;
    for (size_t p = 0; p < a.records.size() && p < b.records.size(); ++p)
        if (differ_record(out, static_cast<int>(p), a.records[p], b.records[p])) return out;
    return out;
}

// The piece list seen from the board, which the six checks do not cover: every slot in a type
// mask names a square that holds a piece of that colour and type and whose `case_ficha` is it.
inline std::string slot_errors()
{
    std::string out;
    for (int c = 0; c < 2; ++c)
        for (int t = 1; t < 8; ++t)
            for (int k = 0; k < 16; ++k) {
                if ((piece_type[c][t] >> k & 1) == 0) continue;
                const uint32_t sq = ficha[c][k].square;
                const bool sound = sq < BOARD_SIZE && echiquier[sq] == colour_bit_of_index(c) + t &&
                                   case_ficha[sq] == &ficha[c][k];
                if (!sound)
                    out += "ficha[" + std::to_string(c) + "][" + std::to_string(k) + "] square " +
                           std::to_string(sq) + "\n";
            }
    return out;
}

// Runs all six consistency checks and the slot check; empty when every one of them finds
// nothing, otherwise the names of the failing checks and what they printed.
inline std::string consistency_errors()
{
    // The checks print only what differs, so a clean record needs no capture (which is slow).
    int counts[6] = {verifie_attaques(), verifie_types(),   verifie_cles(),
                     verifie_materiel(), verifie_nombres(), verifie_pions()};
    std::string report;
    static const char* const names[6] = {"attaques", "types",   "cles",
                                         "materiel", "nombres", "pions"};
    for (int i = 0; i < 6; ++i)
        if (counts[i] != 0) report += std::string("verifie_") + names[i] + " ";
    std::string printed;
    if (!report.empty())
        printed = capture_stdout([] {
            verifie_attaques();
            verifie_types();
            verifie_cles();
            verifie_materiel();
            verifie_nombres();
            verifie_pions();
        });
    const std::string slots = slot_errors();
    if (!slots.empty()) report += "slots ";
    return report.empty() ? report : report + "failed:\n" + printed + slots;
}

// A move for messages: "e2e4 (0x....)".
inline std::string describe_move(Move m)
{
    char text[32];
    std::snprintf(text, sizeof text, "%s%s (0x%06x)", square_name(move_from(m)),
                  square_name(move_to(m)), static_cast<unsigned>(m));
    return text;
}

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
