// The endgame terms of one colour: the drive towards the enemy king, king activity, passed
// pawns with and without pieces on the board, and the pawn-ending term. They only read the
// position record and the pawn flags that evaluation_pions published for the same position.
#pragma once

#include <array>
#include <cstdint>

int endgame_drive(int s);
int endgame_king_activity(int s);
int passed_pawns_with_pieces(int s);
int passed_pawns_no_pieces(int s);
// The term for positions with pawns only, from White's view.
int pawn_ending_term();

// 1024 * sqrt(n) rounded down for n = dx * dx + dy * dy of two squares (n <= 98); shifted
// right by 10 bits it is the integer Euclidean distance.
constexpr auto sqrt_1024 = [] {
    std::array<uint32_t, 99> t{};
    uint32_t x = 0;  // grows with n, so each entry starts from the last
    for (uint32_t n = 0; n < t.size(); ++n) {
        while (uint64_t{x + 1} * (x + 1) <= uint64_t{n} << 20) ++x;
        t[n] = x;
    }
    return t;
}();

// Moves a pawn needs to promote, by the rank of its most advanced pawn seen from its own side
// (relative rank 2..7; a pawn on its second rank still double-steps once).
constexpr int moves_to_promote(int relative_rank)
{
    return relative_rank <= 2 ? 5 : 8 - relative_rank;
}
