// Random play over the generators and make/unmake: every generated move of every position
// visited is made and taken back with the consistency check silent after both and the record
// bit for bit restored, and each specialised generator's legal moves must equal, as a set,
// those of the search's list that it should select.
#pragma once

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "core/position_snapshot.h"
#include "movegen/movegen.h"
#include "test_support.h"

namespace movegen_test {

// Entries [begin, end) of the move stack.
inline std::vector<Move> stack_range(int begin, int end)
{
    std::vector<Move> out;
    for (int i = begin; i < end; ++i) out.push_back(move_stack[i].move);
    return out;
}

// The legal moves among `moves`, sorted, for comparisons as sets.
inline std::vector<Move> legal_only(std::vector<Move> moves)
{
    std::erase_if(moves, [](Move m) {
        make_move(m);
        const bool illegal = own_king_attacked_after_move();
        unmake_move(m);
        return illegal;
    });
    std::sort(moves.begin(), moves.end());
    return moves;
}

// Start positions rich in castling, en passant, promotions and checks.
inline const char* const START_POSITIONS[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "n1n5/PPPk4/8/8/8/8/4Kppp/5N1N b - - 0 1",
    "4k3/pppppppp/8/8/8/8/PPPPPPPP/4K3 w - - 0 1",
};

// Keys, castling rights and en-passant square: what a position is known by in the caches.
inline bool same_identity(const Etat& a, const Etat& b)
{
    return a.hash_key == b.hash_key && a.pawn_key == b.pawn_key && a.piece_key == b.piece_key &&
           a.roque == b.roque && a.case_ep == b.case_ep;
}

// How often the walk met the cases it is meant to check.
struct PlayCounts {
    int in_check = 0, promotions = 0, direct_checks = 0, en_passant = 0;
};

// The search's list of the position, each move made and unmade under the checks; returns the
// legal moves, sorted. The first fault goes to `fault`.
inline std::vector<Move> checked_legal_moves(std::string& fault)
{
    const PositionSnapshot before = take_snapshot();
    std::vector<Move> legal;
    in_check() ? genere_evasions(0) : genere_all_moves(0);  // the list as the search builds it
    for (Move m : stack_range(ply_start[0], ply_start[1])) {
        // Made as the search makes it: what begin_move writes (and the cells fetched from it
        // name) must be what the position holds once the move is complete.
        begin_move(m);
        const Etat early = etats[ply + 1];
        finish_move(m);
        std::string error = consistency_errors();
        if (error.empty() && !same_identity(early, *pos()))
            error = "the keys, rights or en-passant square changed after begin_move";
        if (!own_king_attacked_after_move()) legal.push_back(m);
        unmake_move(m);
        if (error.empty()) error = consistency_errors();
        if (error.empty()) error = first_difference(before, take_snapshot());
        if (!error.empty() && fault.empty()) fault = describe_move(m) + ": " + error;
    }
    std::sort(legal.begin(), legal.end());
    return legal;
}

inline bool gives_direct_check(Move m)
{
    make_move(m);
    const int mover = colour_index(-trait);
    const bool check = attaques[mover][king_square(1 - mover)] & case_ficha[move_to(m)]->mask;
    unmake_move(m);
    return check;
}

// The first generator whose legal moves differ from what it should select among `legal`.
inline std::string compare_generators(const std::vector<Move>& legal, PlayCounts& counts)
{
    const PositionSnapshot before = take_snapshot();
    const int ep = static_cast<int>(pos()->case_ep);
    auto is_ep = [ep](Move m) { return ep != 0 && move_piece(m) == PAWN && move_to(m) == ep; };
    auto from = [](auto generate) {
        return legal_only(stack_range(MAX_LIST_MOVES, generate(MAX_LIST_MOVES)));
    };
    auto select = [&legal](auto keep) {
        std::vector<Move> out;
        std::copy_if(legal.begin(), legal.end(), std::back_inserter(out), keep);
        return out;
    };
    const auto checks = select([&](Move m) {
        return move_piece(m) != KING && !move_promotion(m) && !is_ep(m) && gives_direct_check(m);
    });
    const auto promotions = select([](Move m) { return move_promotion(m) != 0; });
    counts.direct_checks += int(checks.size());
    counts.promotions += int(promotions.size());
    counts.en_passant += int(select(is_ep).size());
    if (in_check()) {
        ++counts.in_check;
        ply_start[1] = MAX_LIST_MOVES;
        genere_all_moves(1);
        if (legal_only(stack_range(ply_start[1], ply_start[2])) != legal)
            return "evasions differ from the filtered full list";
    }
    if (from([](int w) { return genere_captures(w, 0); }) !=
        select([&](Move m) { return move_captured(m) || is_ep(m); }))
        return "captures differ";
    if (from(genere_promotions) != promotions) return "promotions differ";
    if (from(genere_promotions_dame) != select([](Move m) { return move_promotion(m) == QUEEN; }))
        return "queen promotions differ";
    if (from(genere_echecs) != checks) return "direct checks differ";
    const std::string diff = first_difference(before, take_snapshot());
    return diff.empty() ? diff : "a generator changed the position: " + diff;
}

// Plays `plies` random legal moves from `fen` with a fixed seed, starting again from `fen` at
// the end of a game or after `game_length` plies. Returns the first fault, empty if none.
inline std::string random_play(const char* fen, int plies, int game_length, uint32_t seed,
                               PlayCounts& counts)
{
    std::mt19937 rng(seed);
    if (setup_fen(fen) != 0) return std::string("set-up refused ") + fen;
    for (int done = 0; done < plies; ++done) {
        ply_start[0] = 0;
        std::string fault;
        const std::vector<Move> legal = checked_legal_moves(fault);
        if (fault.empty()) fault = compare_generators(legal, counts);
        if (!fault.empty()) return fault + " (ply " + std::to_string(ply) + " from " + fen + ")";
        if (legal.empty() || ply >= game_length)
            setup_fen(fen);
        else
            make_move(legal[rng() % legal.size()]);
    }
    return "";
}

}  // namespace movegen_test
