// Storage of the position record. The board starts as the initial position with its border and
// the slot masks are fixed here once (1 << k); set-up (setup.cpp) fills everything else.
#include "core/board.h"

namespace {
constexpr uint8_t B = BORDER;
}  // namespace

// Mailbox rows of ten squares per file: border, ranks 1..8, border.
QV_THREAD_STATE uint8_t echiquier[BOARD_SIZE] = {
    B, B,  B,  B, B, B, B, B, B,  B, B, B,  B,  B, B, B, B, B, B,  B,  // 0-19
    B, 22, 17, 0, 0, 0, 0, 9, 14, B, B, 19, 17, 0, 0, 0, 0, 9, 11, B,  // a, b
    B, 21, 17, 0, 0, 0, 0, 9, 13, B, B, 23, 17, 0, 0, 0, 0, 9, 15, B,  // c, d
    B, 18, 17, 0, 0, 0, 0, 9, 10, B, B, 21, 17, 0, 0, 0, 0, 9, 13, B,  // e, f
    B, 19, 17, 0, 0, 0, 0, 9, 11, B, B, 22, 17, 0, 0, 0, 0, 9, 14, B,  // g, h
    B, B,  B,  B, B, B, B, B, B,  B, B, B,  B,  B, B, B, B, B, B,  B,  // 100-119
};

// clang-format off
#define QV_SLOTS                                                                                 \
    {{1u << 0, 0},  {1u << 1, 0},  {1u << 2, 0},  {1u << 3, 0},  {1u << 4, 0},  {1u << 5, 0},    \
     {1u << 6, 0},  {1u << 7, 0},  {1u << 8, 0},  {1u << 9, 0},  {1u << 10, 0}, {1u << 11, 0},   \
     {1u << 12, 0}, {1u << 13, 0}, {1u << 14, 0}, {1u << 15, 0}}
// clang-format on
QV_THREAD_STATE Ficha ficha[2][16] = {QV_SLOTS, QV_SLOTS};
#undef QV_SLOTS

QV_THREAD_STATE Ficha* case_ficha[BOARD_SIZE];
QV_THREAD_STATE uint32_t piece_type[2][8];
QV_THREAD_STATE uint32_t pieces_glissantes_mask[2];
QV_THREAD_STATE uint32_t attaques[2][BOARD_SIZE];
QV_THREAD_STATE int32_t nombre_pions[2];
QV_THREAD_STATE int32_t nombre_pieces[2];
QV_THREAD_STATE uint32_t mk[2];
QV_THREAD_STATE uint32_t mk3;
QV_THREAD_STATE int32_t cf[2][2];
QV_THREAD_STATE int32_t pions_colonne[2][10];
QV_THREAD_STATE int32_t pion_plus_avance[2][10];
QV_THREAD_STATE int32_t pion_moins_avance[2][10];
QV_THREAD_STATE int32_t trait = 1;
QV_THREAD_STATE int32_t ply;
QV_THREAD_STATE Etat etats[MAX_PLY_RECORDS];
