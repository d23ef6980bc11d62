// Helpers of the generator tests: lists read out of the move stack, moves as readable text
// (mover, squares, victim, promotion), the legality filter by make / test / unmake, and a
// plain move-path count over the generators.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/board.h"
#include "core/makemove.h"
#include "core/tables.h"
#include "movegen/movegen.h"

namespace movegen_test {

// "Pe2e4", "Nb1a3", "Pb7a8xR=Q": type letter, from, to, victim, promotion.
inline std::string text(Move m)
{
    std::string s(1, type_letters[move_piece(m)]);
    s += square_name(move_from(m));
    s += square_name(move_to(m));
    if (move_captured(m)) s += std::string("x") + type_letters[move_captured(m)];
    if (move_promotion(m)) s += std::string("=") + type_letters[move_promotion(m)];
    return s;
}

inline std::vector<std::string> texts(const std::vector<Move>& moves)
{
    std::vector<std::string> out;
    for (Move m : moves) out.push_back(text(m));
    return out;
}

inline std::vector<Move> stack_range(int begin, int end)
{
    std::vector<Move> out;
    for (int i = begin; i < end; ++i) out.push_back(move_stack[i].move);
    return out;
}

// The list of ply p as written by genere_all_moves or genere_evasions.
inline std::vector<Move> all_moves(int p = 0)
{
    if (p == 0) ply_start[0] = 0;
    genere_all_moves(p);
    return stack_range(ply_start[p], ply_start[p + 1]);
}

inline std::vector<Move> evasions(int p = 0)
{
    if (p == 0) ply_start[0] = 0;
    genere_evasions(p);
    return stack_range(ply_start[p], ply_start[p + 1]);
}

// A generator of the "write position in, write position out" kind, from entry `at`.
template <typename G>
std::vector<Move> written_by(G generate, int at = 0)
{
    const int end = generate(at);
    return stack_range(at, end);
}

// The moves the side to move generates as the search does: evasions in check, else all moves.
inline std::vector<Move> search_moves(int p = 0)
{
    return in_check() ? evasions(p) : all_moves(p);
}

inline bool is_legal_after_make(Move m)
{
    make_move(m);
    const bool legal = !own_king_attacked_after_move();
    unmake_move(m);
    return legal;
}

inline std::vector<Move> legal_only(const std::vector<Move>& moves)
{
    std::vector<Move> out;
    for (Move m : moves)
        if (is_legal_after_make(m)) out.push_back(m);
    return out;
}

inline std::vector<Move> sorted(std::vector<Move> moves)
{
    std::sort(moves.begin(), moves.end());
    return moves;
}

// Move paths of the given length from the current position, list p and above as scratch.
inline uint64_t count_paths(int depth, int p = 0)
{
    if (p == 0) ply_start[0] = 0;
    if (in_check())
        genere_evasions(p);
    else
        genere_all_moves(p);
    uint64_t total = 0;
    for (int i = ply_start[p]; i < ply_start[p + 1]; ++i) {
        const Move m = move_stack[i].move;
        make_move(m);
        if (!own_king_attacked_after_move()) {
            if (depth <= 1) {
                ++total;
            } else {
                total += count_paths(depth - 1, p + 1);  // list p + 1 starts where p ends
            }
        }
        unmake_move(m);
    }
    return total;
}

}  // namespace movegen_test
