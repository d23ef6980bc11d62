// What the position after a move is known by: its hash, pawn and piece keys, castling rights and
// en-passant square, written into the next ply record from the current one and the move word,
// one routine per kind of move. They read the board before the move and never write it.
#pragma once

#include <cstdint>
#include <cstring>

#include "core/board.h"
#include "core/keys.h"
#include "core/tables.h"

static_assert(castle_keys[0] == Key96{} && ep_keys[0] == Key96{} && case64[0] == 0,
              "no rights and no en-passant square must add nothing to a key");

namespace next_keys {

// A key as one 64-bit and one 32-bit word, XORed two words at a time; the same bits as Key96.
struct WideKey {
    uint64_t lo;
    uint32_t hi;
};

inline WideKey wide(const Key96& k)
{
    WideKey w;
    std::memcpy(&w.lo, &k.w[0], sizeof w.lo);
    w.hi = k.w[2];
    return w;
}

inline WideKey operator^(WideKey a, WideKey b)
{
    return WideKey{a.lo ^ b.lo, a.hi ^ b.hi};
}

inline WideKey operator^(WideKey a, const Key96& b)
{
    return a ^ wide(b);
}

inline void store(Key96& k, WideKey w)
{
    std::memcpy(&k.w[0], &w.lo, sizeof w.lo);
    k.w[2] = w.hi;
}

// The key of a piece of kind (0..5) and colour index c on mailbox square sq.
inline const Key96& psq(int kind, int c, int sq)
{
    return psq_keys[kind + 6 * c][case64[sq]];
}

// The victim of type `captured` (0 for none) of colour index o on sq leaves its key.
inline void take_victim(WideKey& pawn, WideKey& piece, int captured, int o, int sq)
{
    if (captured == PAWN)
        pawn = pawn ^ psq(KIND_PAWN, o, sq);
    else if (captured != 0)
        piece = piece ^ psq(kind_of_type[captured], o, sq);
}

// The next record from its two keys, rights and en-passant square; the hash key is their sum
// (no rights and no square add nothing, asserted above).
inline void store_keys(Etat& next, WideKey pawn, WideKey piece, uint32_t roque, uint32_t ep)
{
    store(next.pawn_key, pawn);
    store(next.piece_key, piece);
    next.roque = roque;
    next.case_ep = ep;
    WideKey hash = WideKey{pawn.lo ^ piece.lo, pawn.hi ^ piece.hi} ^ castle_keys[roque];
    if (ep != 0) hash = hash ^ ep_keys[case64[ep]];  // seldom: a double step beside a pawn
    store(next.hash_key, hash);
}

// A pawn move onto the record's en-passant square is a capture only when it changes file: a
// set-up may name any square, and a push onto it must stay a push.
inline bool pawn_takes_en_passant(int from, int to, const Etat& cur)
{
    return to == static_cast<int>(cur.case_ep) && colonne[to] != colonne[from];
}

// The en-passant target after a pawn move of `side` from `from` to `to`: the square passed
// over by a double step, when an enemy pawn stands beside the destination to use it.
inline uint32_t en_passant_target(int from, int to, int side)
{
    if (to - from != side + side) return 0;
    const uint8_t enemy_pawn = colour_bit(-side) + PAWN;
    if (echiquier[to - 10] != enemy_pawn && echiquier[to + 10] != enemy_pawn) return 0;
    return static_cast<uint32_t>(to - side);
}

// A knight, bishop, rook, queen or king (not castling) of colour index c. A knight never
// stands on a square whose rights are still held, so only its destination can take rights.
inline void piece_move(const Etat& cur, Etat& next, int c, int type, int from, int to, int captured)
{
    const int kind = kind_of_type[type];
    WideKey pawn = wide(cur.pawn_key);
    WideKey piece = wide(cur.piece_key) ^ psq(kind, c, from) ^ psq(kind, c, to);
    take_victim(pawn, piece, captured, c ^ 1, to);
    const uint32_t rights = type == KNIGHT ? castle_mask[case64[to]]
                                           : castle_mask[case64[from]] & castle_mask[case64[to]];
    store_keys(next, pawn, piece, cur.roque & rights, 0);
}

inline void castling(const Etat& cur, Etat& next, int c, int from, int to, int rook_from,
                     int rook_to)
{
    const WideKey piece = wide(cur.piece_key) ^ psq(KIND_KING, c, from) ^ psq(KIND_KING, c, to) ^
                          psq(KIND_ROOK, c, rook_from) ^ psq(KIND_ROOK, c, rook_to);
    store_keys(next, wide(cur.pawn_key), piece, cur.roque & castle_mask[case64[from]], 0);
}

// A pawn move of `side` (colour index c) that neither promotes nor takes en passant. It ends
// on ranks 2 to 7, where no castling right is held, so the rights stay.
inline void pawn_move(const Etat& cur, Etat& next, int c, int side, int from, int to, int captured)
{
    WideKey pawn = wide(cur.pawn_key) ^ psq(KIND_PAWN, c, from) ^ psq(KIND_PAWN, c, to);
    WideKey piece = wide(cur.piece_key);
    take_victim(pawn, piece, captured, c ^ 1, to);
    store_keys(next, pawn, piece, cur.roque, en_passant_target(from, to, side));
}

inline void promotion(const Etat& cur, Etat& next, int c, int from, int to, int captured,
                      int promoted)
{
    WideKey pawn = wide(cur.pawn_key) ^ psq(KIND_PAWN, c, from);
    WideKey piece = wide(cur.piece_key) ^ psq(kind_of_type[promoted], c, to);
    take_victim(pawn, piece, captured, c ^ 1, to);
    store_keys(next, pawn, piece, cur.roque & castle_mask[case64[to]], 0);
}

// The victim stands on victim_sq, beside the origin.
inline void en_passant(const Etat& cur, Etat& next, int c, int from, int to, int victim_sq)
{
    const WideKey pawn = wide(cur.pawn_key) ^ psq(KIND_PAWN, c, from) ^ psq(KIND_PAWN, c, to) ^
                         psq(KIND_PAWN, c ^ 1, victim_sq);
    store_keys(next, pawn, wide(cur.piece_key), cur.roque, 0);
}

}  // namespace next_keys
