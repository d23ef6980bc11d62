// The one position record: mailbox board, piece list with slot masks, attack tables over those
// masks, counters, pawn-file tables and the stack of ply records. Written only by set-up and by
// make/unmake; every field agrees with `echiquier` between two calls (verify.h checks it).
#pragma once

#include <cstdint>

#include "core/types.h"
#include "platform/thread_state.h"

// A piece-list slot: a fixed mask (1 << k) and the mailbox square of the piece it holds.
struct Ficha {
    uint32_t mask;
    uint32_t square;
};

// One ply record: seventeen 32-bit words, in this order.
struct Etat {
    int32_t irreversible;    // ply of the last capture, pawn move or null move (below 0: set-up's
                             // half-move clock)
    uint32_t case_ep;        // en-passant target square, 0 for none
    int32_t materiel[2];     // sum of piece values per colour, kings included
    int32_t score_materiel;  // material score from the side to move's view
    uint32_t coup;           // move played from this record (valid below `ply`)
    uint32_t ficha_prise;    // slot number of the piece `coup` captured
    uint32_t roque;          // castling rights
    Key96 hash_key;
    Key96 pawn_key;
    Key96 piece_key;
};
static_assert(sizeof(Etat) == 17 * 4, "a ply record is seventeen 32-bit words");

// Every table below is the calling thread's own: each search thread keeps its position record
// (position_copy.h hands one from thread to thread).
//
// Glossary of the names the record keeps:
//   echiquier      the board: 120 mailbox squares, border included, one piece code each
//   ficha          the piece list: per colour 16 slots, slot 0 the king
//   case_ficha     per square, the slot of the piece standing there (null when empty)
//   piece_type     per colour and type, the slot masks of the pieces of that type
//   pieces_glissantes_mask  per colour, the slot masks of bishops, rooks and queens
//   attaques       per colour and square, the slot masks of the pieces attacking it
//   nombre_pions, nombre_pieces  per colour, pawns and pieces other than the king and pawns
//   mk             per colour, the packed counts of each piece type (material.cpp reads fields)
//   mk3            the material signature: a key over both colours' counts, for the cache
//   cf             per colour and square colour (light, dark), the number of bishops
//   pions_colonne, pion_plus_avance, pion_moins_avance  per colour and file, the pawn count
//                  and the ranks of the highest and lowest pawn
//   trait          the side to move: +1 White, -1 Black
//   ply, etats     the current ply and the ply records (`Etat`) of the game and the search
extern QV_THREAD_STATE uint8_t echiquier[BOARD_SIZE];
extern QV_THREAD_STATE Ficha ficha[2][16];
extern QV_THREAD_STATE Ficha* case_ficha[BOARD_SIZE];
extern QV_THREAD_STATE uint32_t piece_type[2][8];
extern QV_THREAD_STATE uint32_t pieces_glissantes_mask[2];
extern QV_THREAD_STATE uint32_t attaques[2][BOARD_SIZE];
extern QV_THREAD_STATE int32_t nombre_pions[2];
extern QV_THREAD_STATE int32_t nombre_pieces[2];
extern QV_THREAD_STATE uint32_t mk[2];
extern QV_THREAD_STATE uint32_t mk3;
extern QV_THREAD_STATE int32_t cf[2][2];
extern QV_THREAD_STATE int32_t pions_colonne[2][10];
extern QV_THREAD_STATE int32_t pion_plus_avance[2][10];
extern QV_THREAD_STATE int32_t pion_moins_avance[2][10];
extern QV_THREAD_STATE int32_t trait;
extern QV_THREAD_STATE int32_t ply;
extern QV_THREAD_STATE Etat etats[MAX_PLY_RECORDS];

// The record of the current position.
inline Etat* pos()
{
    return &etats[ply];
}

// The slot number of a Ficha reference (0..15).
inline uint32_t slot_of(const Ficha* f)
{
    return static_cast<uint32_t>(f - &ficha[0][0]) & 15;
}

// The king square of colour c.
inline int king_square(int c)
{
    return static_cast<int>(ficha[c][0].square);
}

// True when the side that just moved left its own king attacked (the move was illegal).
inline bool own_king_attacked_after_move()
{
    const int mover = colour_index(-trait);
    return attaques[1 - mover][king_square(mover)] != 0;
}

// True when the side to move is in check.
inline bool in_check()
{
    const int c = colour_index(trait);
    return attaques[1 - c][king_square(c)] != 0;
}
