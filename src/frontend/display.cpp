// The console's displays. The board is a frame of block characters (UTF-8) around eight rows
// of two characters per square, white pieces after a space and black ones after a minus sign.
// Nothing here changes the position; `root_ply` is restored after the repetition count, and
// only ply 0's move list is overwritten (by the move groups).
#include "frontend/display.h"

#include <cstdio>
#include <limits>

#include "core/board.h"
#include "core/tables.h"
#include "frontend/gameend.h"
#include "movegen/movegen.h"
#include "movegen/notation.h"
#include "search/quiescence.h"
#include "search/root.h"
#include "search/think_info.h"
#include "search/search.h"

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

void write_position_line(const uint8_t* board, int side, uint32_t castling, uint32_t ep_square)
{
    for (int rank = 8; rank >= 1; --rank) {
        int empty = 0;
        for (int file = 1; file <= 8; ++file) {
            const uint8_t code = board[square_of(file, rank)];
            if (!is_occupied(code)) {
                ++empty;
                continue;
            }
            if (empty > 0) std::printf("%d", empty);
            empty = 0;
            const char letter = type_letters[type_of(code)];
            std::printf("%c", colour_of(code) == WHITE ? letter : letter - 'A' + 'a');
        }
        if (empty > 0) std::printf("%d", empty);
        if (rank > 1) std::printf("/");
    }
    std::printf(" %c ", side > 0 ? 'w' : 'b');
    if ((castling & 15) == 0) std::printf("-");
    if (castling & WHITE_KING_SIDE) std::printf("K");
    if (castling & WHITE_QUEEN_SIDE) std::printf("Q");
    if (castling & BLACK_KING_SIDE) std::printf("k");
    if (castling & BLACK_QUEEN_SIDE) std::printf("q");
    if (ep_square != 0 && ep_square < BOARD_SIZE)
        std::printf(" %s\n", square_name(static_cast<int>(ep_square)));
    else
        std::printf(" -\n");
}

void print_move_list()
{
    const int count = ply_start[1] - ply_start[0];
    for (int i = 1; i <= count; ++i) {
        std::printf("%d %s", i, move_to_text(move_stack[ply_start[0] + i - 1].move, false));
        std::printf(i % 8 == 0 ? "\n" : " ");
    }
    std::printf("\n");
}

void print_move_groups()
{
    if (in_check()) {
        std::printf("Evasions:\n");
        genere_evasions(0);
    } else {
        std::printf("\nTous les coups:\n");
        genere_all_moves(0);
    }
    print_move_list();
    std::printf("\nCaptures:\n");
    ply_start[1] = genere_captures(ply_start[0], 0);
    print_move_list();
    std::printf("\nEchecs:\n");
    ply_start[1] = genere_echecs(ply_start[0]);
    print_move_list();
    std::printf("\nPromotions:\n");
    ply_start[1] = genere_promotions(ply_start[0]);
    print_move_list();
}

void print_game_moves()
{
    for (int i = 0; i < ply; ++i) {
        if (i % 2 == 0) std::printf("%d. ", i / 2 + 1);
        std::printf("%s ", move_to_text(etats[i].coup, false));
    }
    std::printf("\n");
}

namespace {

uint32_t nodes_at_height(int h)
{
    return search_nodes_by_height[h] + superq_nodes_by_height[h] + quiescence_nodes_by_height[h];
}

}  // namespace

void print_search_statistics()
{
    const double total = node_total();
    double cumulative = 0;
    for (int p = 1; p < SEARCH_HEIGHTS; ++p) {
        const uint32_t n = nodes_at_height(p);
        if (n == 0 || cumulative >= 0.99 * total) break;
        const uint32_t m = nodes_at_height(p - 1);
        // No node below the root is counted at height 0: the first ratio is infinite.
        const double ratio = m != 0 ? double(n) / m : std::numeric_limits<double>::infinity();
        cumulative += n;
        std::printf("%2d (%4.1f/%4.1f) - %9d  x %5.2f | %8d | %8d | %8d\n", p, n * 100.0 / total,
                    cumulative * 100.0 / total, static_cast<int>(n), ratio,
                    static_cast<int>(search_nodes_by_height[p]),
                    static_cast<int>(superq_nodes_by_height[p]),
                    static_cast<int>(quiescence_nodes_by_height[p]));
    }
}
