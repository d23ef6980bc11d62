// Helpers of the generator tests: moves as readable text (mover, squares, victim, promotion),
// lists read out of the move stack, the legality filter by make / test / unmake, and a plain
// move-path count over the generators as the search uses them.
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

// "Pe2e4", "Nb1a3", "Pb7a8xR=Q".
inline std::string text(Move m)
{
    std::string s = type_letters[move_piece(m)] + std::string(square_name(move_from(m)));
    s += square_name(move_to(m));
    if (move_captured(m)) s += std::string("x") + type_letters[move_captured(m)];
    if (move_promotion(m)) s += std::string("=") + type_letters[move_promotion(m)];
    return s;
}

// Entries [begin, end) of the move stack, those of one moving type only unless type is 0.
inline std::vector<Move> stack_range(int begin, int end, int type = 0)
{
    std::vector<Move> out;
    for (int i = begin; i < end; ++i)
        if (type == 0 || move_piece(move_stack[i].move) == type) out.push_back(move_stack[i].move);
    return out;
}

inline std::string joined(const std::vector<Move>& moves)
{
    std::string s;
    for (Move m : moves) {
        if (!s.empty()) s += ' ';
        s += text(m);
    }
    return s;
}

// The list of ply p as the search builds it: evasions in check, else all moves.
inline std::vector<Move> search_moves(int p)
{
    in_check() ? genere_evasions(p) : genere_all_moves(p);
    return stack_range(ply_start[p], ply_start[p + 1]);
}

inline bool is_legal(Move m)
{
    make_move(m);
    const bool legal = !own_king_attacked_after_move();
    unmake_move(m);
    return legal;
}

// The legal moves among `moves`, sorted, for comparisons as sets.
inline std::vector<Move> legal_only(std::vector<Move> moves)
{
    moves.erase(std::remove_if(moves.begin(), moves.end(), [](Move m) { return !is_legal(m); }),
                moves.end());
    std::sort(moves.begin(), moves.end());
    return moves;
}

// Legal move paths of the given length; list p and those above serve as scratch.
inline uint64_t count_paths(int depth, int p = 0)
{
    uint64_t total = 0;
    for (Move m : search_moves(p)) {
        make_move(m);
        if (!own_king_attacked_after_move())
            total += depth <= 1 ? 1 : count_paths(depth - 1, p + 1);
        unmake_move(m);
    }
    return total;
}

}  // namespace movegen_test
