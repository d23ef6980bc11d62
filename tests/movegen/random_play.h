// Random play over the generators and make/unmake: every generated move of every position
// visited is made and taken back with the consistency check silent after both and the record
// bit for bit restored, and the specialised generators are compared, as sets of legal moves,
// with the moves of the full list that they should select.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "core/board.h"
#include "core/makemove.h"
#include "core/position_snapshot.h"
#include "movegen/movegen.h"
#include "movegen_helpers.h"
#include "test_support.h"

namespace movegen_test {

struct PlayCounts {
    int positions = 0;
    int in_check = 0;
    int captures = 0;
    int promotions = 0;
    int direct_checks = 0;
    int castlings = 0;
    int en_passant = 0;
};

// Legal moves (own king safe afterwards) among `moves`, each made and unmade under the
// consistency check; the first fault found goes to `fault`.
inline std::vector<Move> checked_legal(const std::vector<Move>& moves, std::string& fault)
{
    std::vector<Move> legal;
    const PositionSnapshot before = take_snapshot();
    for (Move m : moves) {
        make_move(m);
        std::string errors = consistency_errors();
        if (!errors.empty() && fault.empty()) fault = "after make " + describe_move(m) + ": " + errors;
        if (!own_king_attacked_after_move()) legal.push_back(m);
        unmake_move(m);
        errors = consistency_errors();
        if (!errors.empty() && fault.empty())
            fault = "after unmake " + describe_move(m) + ": " + errors;
        const std::string diff = first_difference(before, take_snapshot());
        if (!diff.empty() && fault.empty()) fault = "make/unmake " + describe_move(m) + ": " + diff;
    }
    return legal;
}

template <typename Keep>
std::vector<Move> select(const std::vector<Move>& moves, Keep keep)
{
    std::vector<Move> out;
    for (Move m : moves)
        if (keep(m)) out.push_back(m);
    return sorted(out);
}

inline bool gives_direct_check(Move m)
{
    make_move(m);
    const int mover = colour_index(-trait);
    const bool check = (attaques[mover][king_square(1 - mover)] & case_ficha[move_to(m)]->mask) != 0;
    unmake_move(m);
    return check;
}

// Compares every generator with what it should select from the legal moves of the position;
// returns the first disagreement, empty when all agree. List 0 holds the full list; the other
// generators write from entry MAX_LIST_MOVES on.
inline std::string compare_generators(const std::vector<Move>& legal, PlayCounts& counts)
{
    const PositionSnapshot before = take_snapshot();
    const int ep = static_cast<int>(pos()->case_ep);
    auto is_ep = [ep](Move m) { return move_piece(m) == PAWN && move_to(m) == ep && ep != 0; };
    auto legal_from = [](auto generate) {
        return sorted(legal_only(written_by(generate, MAX_LIST_MOVES)));
    };
    std::string fault;

    if (in_check()) {
        ++counts.in_check;
        // The full generator, filtered, must agree with the evasions (the search's list).
        ply_start[1] = MAX_LIST_MOVES;
        genere_all_moves(1);
        const auto all = sorted(
            legal_only(stack_range(ply_start[1], ply_start[2])));
        if (all != sorted(legal)) fault = "evasions differ from the filtered full list";
    }
    const auto caps = legal_from([](int w) { return genere_captures(w, 0); });
    if (fault.empty() && caps != select(legal, [&](Move m) { return move_captured(m) || is_ep(m); }))
        fault = "captures differ";
    const auto promos = legal_from(genere_promotions);
    if (fault.empty() && promos != select(legal, [](Move m) { return move_promotion(m) != 0; }))
        fault = "promotions differ";
    const auto queens = legal_from(genere_promotions_dame);
    if (fault.empty() && queens != select(legal, [](Move m) { return move_promotion(m) == QUEEN; }))
        fault = "queen promotions differ";
    const auto checks = legal_from(genere_echecs);
    const auto direct = select(legal, [&](Move m) {
        return move_piece(m) != KING && move_promotion(m) == 0 && !is_ep(m) &&
               gives_direct_check(m);
    });
    if (fault.empty() && checks != direct) fault = "direct checks differ";

    const std::string diff = first_difference(before, take_snapshot());
    if (fault.empty() && !diff.empty()) fault = "a generator changed the position: " + diff;
    counts.captures += static_cast<int>(caps.size());
    counts.promotions += static_cast<int>(promos.size());
    counts.direct_checks += static_cast<int>(checks.size());
    for (Move m : legal) {
        counts.castlings += move_piece(m) == KING && (move_to(m) - move_from(m) == 20 ||
                                                      move_from(m) - move_to(m) == 20);
        counts.en_passant += is_ep(m);
    }
    return fault;
}

// Plays `plies` random legal moves from `fen` with a fixed seed, starting again from `fen`
// after `game_length` plies or at the end of a game. Returns the first fault, empty if none.
inline std::string random_play(const char* fen, int plies, int game_length, uint32_t seed,
                               PlayCounts& counts)
{
    std::mt19937 rng(seed);
    if (setup_fen(fen) != 0) return std::string("set-up refused ") + fen;
    for (int done = 0; done < plies;) {
        ++counts.positions;
        std::string fault;
        const std::vector<Move> legal = checked_legal(search_moves(0), fault);
        if (fault.empty()) fault = compare_generators(legal, counts);
        if (!fault.empty()) return fault + " (ply " + std::to_string(ply) + " from " + fen + ")";
        if (legal.empty() || ply >= game_length) {
            setup_fen(fen);
            ++done;  // a position without moves must not stall the run
            continue;
        }
        make_move(legal[rng() % legal.size()]);
        ++done;
    }
    return "";
}

}  // namespace movegen_test
