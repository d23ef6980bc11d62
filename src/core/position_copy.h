// A position record as a value: every table of the record and its ply records up to `ply`, so
// that a record can be saved and put back on one thread or handed to another. The piece-list
// pointers of `case_ficha` are rebased on load into the loading thread's `ficha`.
#pragma once

#include <cstdint>
#include <type_traits>

#include "core/board.h"

// clang-format off
#define QV_POSITION_TABLES(X)                                                                      \
    X(echiquier) X(ficha) X(case_ficha) X(piece_type) X(pieces_glissantes_mask) X(attaques)        \
    X(nombre_pions) X(nombre_pieces) X(mk) X(mk3) X(cf) X(pions_colonne) X(pion_plus_avance)       \
    X(pion_moins_avance) X(trait) X(ply)
// clang-format on

struct PositionCopy {
#define QV_FIELD(name) std::remove_cvref_t<decltype(::name)> name;
    QV_POSITION_TABLES(QV_FIELD)
#undef QV_FIELD
    Etat etats[MAX_PLY_RECORDS];
    const Ficha* ficha_base;  // the saving thread's slots, which case_ficha points into
};

// Copies the calling thread's record (tables, ply records 0..ply) into out.
void save_position(PositionCopy* out);
// Makes the calling thread's record the saved one. The undo log of the moves before `ply` stays
// with the thread that made them: loaded on another thread, the copy takes back only the moves
// made after the load (a search from its root never needs more).
void load_position(const PositionCopy& in);
