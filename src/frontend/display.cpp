// The board as the console draws it: a frame of block characters (UTF-8) around eight rows of
// two characters per square, white pieces after a space and black ones after a minus sign.
// Nothing here changes the position; `root_ply` is restored after the repetition count.
#include "frontend/display.h"

#include <cstdio>

#include "core/board.h"
#include "core/tables.h"
#include "frontend/gameend.h"
#include "movegen/notation.h"

int32_t board_orientation = 1;

namespace {

constexpr const char* FULL_BLOCK = "\xe2\x96\x88";  // U+2588
constexpr const char* UPPER_HALF = "\xe2\x96\x80";  // U+2580
constexpr const char* LOWER_HALF = "\xe2\x96\x84";  // U+2584
constexpr int FRAME_WIDTH = 17;                     // two columns per square and one margin

void print_frame(const char* half_block)
{
    std::printf(" %s", FULL_BLOCK);
    for (int i = 0; i < FRAME_WIDTH; ++i) std::printf("%s", half_block);
    std::printf("%s\n", FULL_BLOCK);
}

void print_square(int sq)
{
    const uint8_t code = echiquier[sq];
    if (!is_occupied(code))
        std::printf(" .");
    else
        std::printf("%c%c", colour_of(code) == WHITE ? ' ' : '-', type_letters[type_of(code)]);
}

void print_rank(int rank, bool from_white)
{
    std::printf("%d%s", rank, FULL_BLOCK);
    for (int i = 0; i < 8; ++i) print_square(square_of(from_white ? 1 + i : 8 - i, rank));
    std::printf(" %s\n", FULL_BLOCK);
}

void print_castling_rights(uint32_t roque)
{
    if ((roque & 15) == 0) return;
    std::printf("Blancs: ");
    if (roque & WHITE_QUEEN_SIDE) std::printf("o-o-o ");
    if (roque & WHITE_KING_SIDE) std::printf("o-o ");
    std::printf("/ Noirs: ");
    if (roque & BLACK_QUEEN_SIDE) std::printf("o-o-o ");
    if (roque & BLACK_KING_SIDE) std::printf("o-o");
    std::printf("\n");
}

// Occurrences within the game only: with the current ply as the root, no earlier position
// counts as a repetition inside a search.
void print_repetitions()
{
    if (ply - pos()->irreversible < 4) return;
    const int32_t saved_root = root_ply;
    root_ply = ply;
    const int count = repetition_count();
    root_ply = saved_root;
    if (count > 1) std::printf("Position rencontree %d fois\n", count);
}

}  // namespace

void affiche_echiquier()
{
    const bool from_white = board_orientation != 0;
    print_frame(UPPER_HALF);
    for (int i = 0; i < 8; ++i) print_rank(from_white ? 8 - i : 1 + i, from_white);
    print_frame(LOWER_HALF);
    std::printf(from_white ? "   A B C D E F G H\n" : "   H G F E D C B A\n");
    print_castling_rights(pos()->roque);
    const uint32_t ep = pos()->case_ep;
    if (ep != 0 && ep < BOARD_SIZE)
        std::printf("En Passant: %s\n", square_name(static_cast<int>(ep)));
    print_repetitions();
}

void print_search_path()
{
    std::printf(" >> ");
    for (int p = root_ply < 0 ? 0 : root_ply; p < ply; ++p)
        std::printf("%s ", move_to_text(etats[p].coup, false));
    std::printf(" << ");
}
