// The five start-up builders of the geometry and bit tables. Each builder rewrites its whole
// table, so calling it again gives the same contents; the square tests read the border of
// `echiquier`, which holds 32 on every border square from the start.
#include "core/tables.h"

#include <cstdlib>
#include <cstring>

#include "core/board.h"

uint8_t bit_count[65536];
uint8_t lowest_bit[65536];
uint8_t distance[BOARD_SIZE][BOARD_SIZE];
uint16_t move_index[16384];
int8_t direction[100 * 100];
uint8_t band_edge[100 * 100];
int8_t band_step[100 * 100];
int8_t diagonal_approach[100 * 100];

namespace {

// The eight rays in the order in which moves are numbered and lines are looked up.
constexpr int RAY_STEPS[8] = {1, -1, 10, -10, -9, 11, -11, 9};
constexpr int NUMBERING_KNIGHT_STEPS[8] = {-8, 12, -19, 21, -12, 8, -21, 19};
constexpr int DIAGONAL_STEPS[4] = {-9, 11, -11, 9};

bool is_board_square(int sq)
{
    return echiquier[sq] != BORDER;
}

// The 64 board squares in ascending mailbox order, as the border of `echiquier` marks them.
int board_squares(int out[64])
{
    int n = 0;
    for (int sq = FIRST_SQUARE; sq <= LAST_SQUARE && n < 64; ++sq)
        if (is_board_square(sq)) out[n++] = sq;
    return n;
}

int file_diff(int from, int to)
{
    return to / 10 - from / 10;
}
int rank_diff(int from, int to)
{
    return to % 10 - from % 10;
}

}  // namespace

void init_bit_tables()
{
    bit_count[0] = 0;
    bit_count[1] = 1;
    lowest_bit[0] = 0;
    lowest_bit[1] = 0;
    for (int i = 1; i < 32768; ++i) {
        bit_count[2 * i] = bit_count[i];
        bit_count[2 * i + 1] = static_cast<uint8_t>(bit_count[i] + 1);
        lowest_bit[2 * i] = static_cast<uint8_t>(lowest_bit[i] + 1);
        lowest_bit[2 * i + 1] = 0;
    }
}

void init_distance_table()
{
    for (int a = 0; a < BOARD_SIZE; ++a)
        for (int b = 0; b < BOARD_SIZE; ++b) {
            const int df = std::abs(a / 10 - b / 10);
            const int dr = std::abs(a % 10 - b % 10);
            distance[a][b] = static_cast<uint8_t>(df > dr ? df : dr);
        }
}

void init_move_index_table()
{
    std::memset(move_index, 0, sizeof move_index);
    int squares[64];
    const int n = board_squares(squares);
    uint16_t next = 1;
    for (int i = 0; i < n; ++i) {
        const int from = squares[i];
        for (int step : RAY_STEPS)
            for (int to = from + step; is_board_square(to); to += step)
                move_index[from * 128 + to] = next++;
        for (int step : NUMBERING_KNIGHT_STEPS)
            if (is_board_square(from + step)) move_index[from * 128 + from + step] = next++;
    }
}

void init_direction_table()
{
    std::memset(direction, 0, sizeof direction);
    int squares[64];
    const int n = board_squares(squares);
    for (int i = 0; i < n; ++i) {
        const int from = squares[i];
        for (int step : RAY_STEPS)
            for (int to = from + step; is_board_square(to); to += step)
                direction[from * 100 + to] = static_cast<int8_t>(step);
    }
}

namespace {

// The orthogonal step from s towards the king's rank or file, or 0 outside the king's bands.
int8_t band_step_of(int k, int s)
{
    const int df = file_diff(k, s);
    const int dr = rank_diff(k, s);
    if (std::abs(df) <= 1 && dr != 0) return dr > 0 ? -1 : 1;
    if (std::abs(dr) <= 1 && df != 0) return df > 0 ? -10 : 10;
    return 0;
}

// The edge square at the far end of s's band line, for band squares not next to the king.
uint8_t band_edge_of(int k, int s)
{
    const int df = file_diff(k, s);
    const int dr = rank_diff(k, s);
    if (std::abs(df) <= 1 && dr != 0) {
        if (std::abs(dr) < 2) return 0;
        return static_cast<uint8_t>(square_of(s / 10 - 1, dr > 0 ? 8 : 1));
    }
    if (std::abs(dr) <= 1 && df != 0) {
        if (std::abs(df) < 2) return 0;
        return static_cast<uint8_t>(square_of(df > 0 ? 8 : 1, s % 10));
    }
    return 0;
}

// The diagonal from x whose ray, up to its first off-board square, comes within one square of
// the king; 0 when none does or when x is within two squares of the king.
int8_t diagonal_approach_of(int x, int k)
{
    if (distance[x][k] < 3) return 0;
    for (int step : DIAGONAL_STEPS) {
        for (int sq = x + step;; sq += step) {
            if (distance[sq][k] <= 1) return static_cast<int8_t>(step);
            if (!is_board_square(sq)) break;
        }
    }
    return 0;
}

}  // namespace

void init_king_zone_tables()
{
    std::memset(band_edge, 0, sizeof band_edge);
    std::memset(band_step, 0, sizeof band_step);
    std::memset(diagonal_approach, 0, sizeof diagonal_approach);
    int squares[64];
    const int n = board_squares(squares);
    for (int i = 0; i < n; ++i) {
        const int k = squares[i];
        for (int j = 0; j < n; ++j) {
            const int s = squares[j];
            band_step[k * 100 + s] = band_step_of(k, s);
            band_edge[k * 100 + s] = band_edge_of(k, s);
            diagonal_approach[s * 100 + k] = diagonal_approach_of(s, k);
        }
    }
}

void init_static_tables()
{
    init_bit_tables();
    init_distance_table();
    init_move_index_table();
    init_direction_table();
    init_king_zone_tables();
}
