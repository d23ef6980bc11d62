// The consistency check: each incrementally kept field is rebuilt from the board (or, for the
// counts and pawn files, from the type masks) into scratch tables of its own and compared with
// the stored one. Nothing here writes the position record.
#include "core/verify.h"

#include <cstdio>
#include <cstring>

#include "core/board.h"
#include "core/keys.h"
#include "core/material.h"
#include "core/run_settings.h"
#include "core/setup.h"
#include "core/tables.h"
#include "platform/platform.h"

VerifyDisplays verify_displays;

namespace {

// Fields the key check rebuilds square by square.
struct RebuiltKeys {
    uint32_t mk[2];
    uint32_t mk3;
    int32_t cf[2][2];
    Key96 pawn_key;
    Key96 piece_key;
    Key96 hash_key;
};

// Pawn-file tables rebuilt from the pawn masks.
struct RebuiltPawns {
    int32_t colonne[2][10];
    int32_t plus[2][10];
    int32_t moins[2][10];
};

// 32 digits, most significant first, a space after every eighth.
void print_base2(uint32_t value)
{
    for (int bit = 31; bit >= 0; --bit) {
        std::putchar((value >> bit) & 1 ? '1' : '0');
        if (bit % 8 == 0) std::putchar(' ');
    }
}

void report_word(const char* name, uint32_t rebuilt, uint32_t stored)
{
    std::printf("%s", name);
    print_base2(rebuilt);
    std::printf("\n    !=");
    print_base2(stored);
    std::printf("\n");
}

RebuiltKeys rebuild_keys()
{
    RebuiltKeys r{};
    int kind_count[12] = {};
    for (int sq = FIRST_SQUARE; sq <= LAST_SQUARE; ++sq) {
        const uint8_t code = echiquier[sq];
        if (!on_board(sq) || !is_occupied(code)) continue;
        const int c = colour_of(code), t = type_of(code);
        const int kind = kind_of_type[t] + 6 * c;
        r.mk[c] += count_increment[t];
        const int n = kind_count[kind]++;
        if (n < 16) r.mk3 ^= material_keys[kind][n];
        if (t == BISHOP) ++r.cf[c][couleur_case[sq]];
        if (t == PAWN)
            r.pawn_key ^= psq_keys[kind][case64[sq]];
        else
            r.piece_key ^= psq_keys[kind][case64[sq]];
    }
    const uint32_t ep = pos()->case_ep;
    r.hash_key = r.pawn_key ^ r.piece_key ^ castle_keys[pos()->roque & 15] ^
                 ep_keys[ep < BOARD_SIZE ? case64[ep] : 0];
    return r;
}

RebuiltPawns rebuild_pawn_files()
{
    RebuiltPawns r{};
    for (int f = 0; f < 10; ++f) {
        r.plus[WHITE][f] = 0, r.moins[WHITE][f] = 9;
        r.plus[BLACK][f] = 9, r.moins[BLACK][f] = 0;
    }
    for (int c = 0; c < 2; ++c) {
        for (int k = 0; k < 16; ++k) {
            if (!(piece_type[c][PAWN] & (1u << k))) continue;
            const uint32_t sq = ficha[c][k].square;
            if (sq >= BOARD_SIZE || !on_board(static_cast<int>(sq))) continue;
            const int f = colonne[sq], rank = rangee[sq];
            ++r.colonne[c][f];
            const bool ahead = c == WHITE ? rank > r.plus[c][f] : rank < r.plus[c][f];
            const bool behind = c == WHITE ? rank < r.moins[c][f] : rank > r.moins[c][f];
            if (ahead) r.plus[c][f] = rank;
            if (behind) r.moins[c][f] = rank;
        }
    }
    return r;
}

void print_file_entries(const int32_t stored[2][10])
{
    std::printf("Blancs:\n");
    for (int f = 0; f < 10; ++f) std::printf("%d,", stored[WHITE][f]);
    std::printf("\nNoirs:\n");
    for (int f = 0; f < 10; ++f) std::printf("%d,", stored[BLACK][f]);
    std::printf("\n");
}

// Compares one pawn-file table; on a difference reports it with the board and the stored rows.
bool pawn_table_differs(const int32_t stored[2][10], const int32_t rebuilt[2][10],
                        const char* message)
{
    if (std::memcmp(stored, rebuilt, sizeof(int32_t) * 20) == 0) return false;
    std::printf("%s", message);
    if (verify_displays.board != nullptr) verify_displays.board();
    print_file_entries(stored);
    return true;
}

int compare_count(const char* format, int32_t stored, int32_t rebuilt)
{
    if (stored == rebuilt) return 0;
    std::printf(format, stored, rebuilt);
    return 1;
}

// Waits for a key only where one can come: in text mode on a terminal. A report must never
// read as success, so anything but a real key code answers 1.
int wait_for_key()
{
    std::fflush(stdout);
    if (!text_mode() || !stdin_is_terminal()) return 1;
    const int key = read_key();
    return key > 0 ? key : 1;
}

}  // namespace

int verifie_attaques()
{
    uint32_t rebuilt[2][BOARD_SIZE];
    std::memset(rebuilt, 0, sizeof rebuilt);
    calcule_attaques(rebuilt);
    int errors = 0;
    for (int sq = FIRST_SQUARE; sq <= LAST_SQUARE; ++sq) {
        if (!on_board(sq)) continue;
        for (int c = 0; c < 2; ++c) {
            if (attaques[c][sq] == rebuilt[c][sq]) continue;
            const char name[3] = {nom_case[sq][0], nom_case[sq][1], 0};
            std::printf("Erreur - attaques[%d][%s]\n", c, name);
            ++errors;
        }
    }
    return errors;
}

int verifie_types()
{
    uint32_t types[2][8] = {};
    uint32_t sliders[2] = {};
    for (int sq = FIRST_SQUARE; sq <= LAST_SQUARE; ++sq) {
        const uint8_t code = echiquier[sq];
        if (!on_board(sq) || !is_occupied(code) || case_ficha[sq] == nullptr) continue;
        const int c = colour_of(code), t = type_of(code);
        const uint32_t mask = case_ficha[sq]->mask;
        types[c][t] ^= mask;
        if (is_slider(t)) sliders[c] ^= mask;
    }
    int errors = 0;
    for (int c = 0; c < 2; ++c) {
        for (int t = 0; t < 8; ++t) {
            if (types[c][t] == piece_type[c][t]) continue;
            std::printf("Erreur piece_type[%d][%d]\n", c, t);
            ++errors;
        }
    }
    for (int c = 0; c < 2; ++c) {
        if (sliders[c] == pieces_glissantes_mask[c]) continue;
        std::printf("Erreur pieces_glissantes_mask[%d]\n", c);
        ++errors;
    }
    return errors;
}

int verifie_cles()
{
    const RebuiltKeys r = rebuild_keys();
    bool differs = false;
    if (r.mk[0] != mk[0]) report_word("mk[0]=", r.mk[0], mk[0]), differs = true;
    if (r.mk[1] != mk[1]) report_word("mk[1]=", r.mk[1], mk[1]), differs = true;
    if (r.mk3 != mk3) report_word("mk3  =", r.mk3, mk3), differs = true;
    if (!(r.piece_key == pos()->piece_key) || !(r.pawn_key == pos()->pawn_key) ||
        !(r.hash_key == pos()->hash_key))
        differs = true;
    for (int c = 0; c < 2; ++c) {
        for (int k = 0; k < 2; ++k) {
            if (r.cf[c][k] == cf[c][k]) continue;
            std::printf("cf[%d][%d]=%d != %d\n", c, k, r.cf[c][k], cf[c][k]);
            differs = true;
        }
    }
    if (!differs) return 0;
    std::printf("Erreur - hash keys inconsistantes\n");
    return 1;
}

int verifie_materiel()
{
    int32_t materiel[2] = {};
    for (int sq = FIRST_SQUARE; sq <= LAST_SQUARE; ++sq) {
        const uint8_t code = echiquier[sq];
        if (on_board(sq) && is_occupied(code))
            materiel[colour_of(code)] += valeur_piece[type_of(code)];
    }
    const int32_t score = evalue_materiel();
    int errors = 0;
    errors |= compare_count("Erreur - pos->materiel[0] = %d / verif[0] = %d\n", pos()->materiel[0],
                            materiel[0]);
    errors |= compare_count("Erreur - pos->materiel[1] = %d / verif[1] = %d\n", pos()->materiel[1],
                            materiel[1]);
    errors |=
        compare_count("Erreur - score_materiel = %d / verif = %d\n", pos()->score_materiel, score);
    return errors;
}

int verifie_nombres()
{
    int32_t pawns[2], pieces[2];
    for (int c = 0; c < 2; ++c) {
        pawns[c] = slot_count(piece_type[c][PAWN]);
        pieces[c] = slot_count(piece_type[c][KNIGHT]) + slot_count(piece_type[c][BISHOP]) +
                    slot_count(piece_type[c][ROOK]) + slot_count(piece_type[c][QUEEN]);
    }
    int errors = 0;
    errors |=
        compare_count("Erreur - nombre_pions[0] = %d / verif[0] = %d\n", nombre_pions[0], pawns[0]);
    errors |=
        compare_count("Erreur - nombre_pions[1] = %d / verif[1] = %d\n", nombre_pions[1], pawns[1]);
    errors |= compare_count("Erreur - nombre_pieces[0] = %d / verif[0] = %d\n", nombre_pieces[0],
                            pieces[0]);
    errors |= compare_count("Erreur - nombre_pieces[1] = %d / verif[1] = %d\n", nombre_pieces[1],
                            pieces[1]);
    return errors;
}

int verifie_pions()
{
    const RebuiltPawns r = rebuild_pawn_files();
    if (pawn_table_differs(pions_colonne, r.colonne, "Erreur - pion par colonne\n")) return 1;
    if (pawn_table_differs(pion_plus_avance, r.plus, "Erreur - pion plus avance\n")) return 1;
    if (pawn_table_differs(pion_moins_avance, r.moins, "Erreur - pion moins avance\n")) return 1;
    return 0;
}

bool position_consistent()
{
    int (*const checks[])() = {verifie_attaques, verifie_types,   verifie_cles,
                               verifie_materiel, verifie_nombres, verifie_pions};
    for (auto check : checks)
        if (check() != 0) return false;
    return true;
}

int verifie_position(const char* label)
{
    if (position_consistent()) return 0;
    std::printf("%s", label);
    if (verify_displays.search_path != nullptr) verify_displays.search_path();
    std::printf("\n");
    return wait_for_key();
}
