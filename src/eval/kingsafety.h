// King safety: attacks on the king's neighbourhood scaled by the attackers, the pawn shelter
// (cached by pawn structure, king square and castling rights in `King_hash_table`), open lines
// and castling credit.
#pragma once

#include <array>
#include <cstdint>

#include "caches/caches.h"
#include "core/keys.h"
#include "core/tables.h"
#include "core/types.h"
#include "platform/thread_state.h"

// Shelter results of the last shelter routine or cache hit: H shelter value (66 is full),
// O open files, G shelter available by castling, T pawn-storm count.
extern QV_THREAD_STATE int32_t shelter_h, shelter_o, shelter_g, shelter_t;
extern QV_THREAD_STATE uint32_t king_probes, king_hits;

// Per square, the enemy slots lined up behind its attackers (rooks and queens stacked towards
// the king, a bishop behind the queen). Only the eight squares around the king examined last
// are meaningful, and only when the enemy attacked one of them: such an examination clears them
// before adding, the others leave them alone.
extern QV_THREAD_STATE uint32_t extra_attackers[BOARD_SIZE];

// The two castling-right bits of colour index c in the record's `roque` (2 queen side, 1 king
// side): White's are bits 2-3, Black's bits 0-1.
inline int castling_rights_of(uint32_t roque, int c)
{
    return static_cast<int>((roque >> (2 * c)) & 3);
}

// [mailbox king square][castling rights]: the king-square key XOR the rights key (rights 0 has
// none), so that a cell key is the pawn key XOR one entry.
constexpr auto king_cell_keys = [] {
    std::array<std::array<Key96, 4>, BOARD_SIZE> t{};
    for (int sq = 0; sq < BOARD_SIZE; ++sq)
        if (on_board(sq))
            for (int r = 0; r < 4; ++r)
                t[sq][r] = king_square_keys[case64[sq]] ^ king_castle_keys[r];
    return t;
}();

// The king cache cell of colour index c's king on `king` with castling rights `rights` over
// the pawn structure `pawn_key`: the probe and every early fetch name it here. *key gets the
// cell's key.
inline KingCell* king_cell(const Key96& pawn_key, int king, int rights, int c, Key96* key)
{
    *key = pawn_key ^ king_cell_keys[king][rights];
    return &King_hash_table[(key->w[2] & king_hash_mask) | static_cast<uint32_t>(c)];
}

// The safety of colour s's king (+1 White, -1 Black), good for s when positive.
int securite_roi(int s);

// The parts of `securite_roi`, each for colour s's king:
// the percentage by which the enemy's material scales shelter and storm terms;
int attack_scale(int s);
// H, O, G, T from the king cache, computed and stored on a miss;
void king_shelter(int s);
// the castling credit G after the shelter is loaded, halved when no right can be used now;
int castling_credit(int s);
// the attack weight w of the neighbours, their attackers and the open lines towards the king.
int king_attack_weight(int s);
