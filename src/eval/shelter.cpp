// The six pawn-shelter routines. They depend only on the pawns and the king's rank, so their
// results can be cached by pawn key and king square. Ranks are handled relative to the
// sheltered colour (1 = its own back rank), which makes Black's routines White's mirror images.
#include "eval/shelter.h"

#include <algorithm>

#include "core/board.h"
#include "core/tables.h"
#include "eval/kingsafety.h"
#include "platform/thread_state.h"

QV_THREAD_STATE int32_t shelter_king_rank, shelter_king_file;

namespace {

// A wing seen from the king: the file next to the centre (f or c), the middle file, the edge
// file, and the centre file beyond the wing whose advanced enemy pawns also count as a storm.
struct Wing {
    int file[3];
    int outer;
};
constexpr Wing KING_SIDE = {{6, 7, 8}, 5};
constexpr Wing QUEEN_SIDE = {{3, 2, 1}, 4};

constexpr int NO_SHELTER = 8;

// Storm weights by the relative rank of the first enemy pawn found.
constexpr int STORM_WING[9] = {0, 0, 0, 3, 2, 1, 0, 0, 0};
constexpr int STORM_OUTER[9] = {0, 0, 0, 3, 2, 0, 0, 0, 0};

// Shelter weights by the gap between a file's pawn and the closest shelter pawn; the edge file
// has its own row. F scales the sum down as the closest pawn stands further up.
constexpr int Y_INNER[3] = {22, 16, 8};
constexpr int Y_EDGE[3] = {22, 18, 10};
constexpr int F_BY_RANK[5] = {0, 0, 1024, 682, 341};

// Relative ranks of c's most advanced (0 with no pawn) and rearmost (9 with none) pawn on file.
int most_advanced(int c, int file)
{
    return relative_rank(c, pion_plus_avance[c][file]);
}
int rearmost(int c, int file)
{
    return relative_rank(c, pion_moins_avance[c][file]);
}

int y_weight(const int* row, int gap)
{
    return gap < 3 ? row[gap] : 0;
}

// The storm count on `file` in front of a shelter pawn at relative rank p: the first enemy pawn
// among the three squares ahead, unless an own pawn comes first.
int storm_on_file(int c, int file, int p, const int* weights)
{
    const uint8_t own = colour_bit_of_index(c) | PAWN;
    const uint8_t enemy = colour_bit_of_index(1 - c) | PAWN;
    for (int rr = p + 1; rr <= p + 3; ++rr) {
        const uint8_t code = echiquier[square_of(file, relative_rank(c, rr))];
        if (code == own) return 0;
        if (code == enemy) return weights[rr];
    }
    return 0;
}

// The relative rank of the pawn that shelters the king on `file`, or NO_SHELTER; counts the
// file as half or fully open for O.
int shelter_pawn(int c, int file, int king_rank)
{
    const bool enemy_pawn = pions_colonne[1 - c][file] != 0;
    if (most_advanced(c, file) < king_rank) {
        if (!enemy_pawn) shelter_o += 2;
        return NO_SHELTER;
    }
    if (!enemy_pawn) shelter_o += 1;
    const int back = rearmost(c, file);
    return back < king_rank ? most_advanced(c, file) : back;
}

void wing_shelter(int c, const Wing& wing)
{
    const int king_rank = relative_rank(c, shelter_king_rank);
    int p[3];
    for (int i = 0; i < 3; ++i) p[i] = shelter_pawn(c, wing.file[i], king_rank);

    int storm = 0;
    if (p[0] < 6)
        storm += storm_on_file(c, wing.outer, p[0], STORM_OUTER) +
                 storm_on_file(c, wing.file[1], p[0], STORM_WING);
    if (p[1] < 6)
        storm += storm_on_file(c, wing.file[0], p[1], STORM_WING) +
                 storm_on_file(c, wing.file[2], p[1], STORM_WING);
    if (p[2] < 6) storm += storm_on_file(c, wing.file[1], p[2], STORM_WING);
    shelter_t += storm;

    const int m = std::min({p[0], p[1], p[2]});
    shelter_h = 0;
    if (m < 2 || m > 4) return;
    const int sum =
        y_weight(Y_INNER, p[0] - m) + y_weight(Y_INNER, p[1] - m) + y_weight(Y_EDGE, p[2] - m);
    shelter_h = (F_BY_RANK[m] * sum) >> 10;
}

void centre_shelter(int c)
{
    const int king_rank = relative_rank(c, shelter_king_rank);
    int s = 0;
    for (int file = 3; file <= 6; ++file) {
        const bool enemy_pawn = pions_colonne[1 - c][file] != 0;
        if (most_advanced(c, file) >= king_rank) {
            if (enemy_pawn) {
                s += 14;
            } else {
                s += 7;
                shelter_o += 1;
            }
        } else if (!enemy_pawn) {
            shelter_o += 2;
        }
    }
    shelter_h = std::max(s - 14, 0);
}

}  // namespace

void shelter_white_king_side()
{
    wing_shelter(WHITE, KING_SIDE);
}
void shelter_white_queen_side()
{
    wing_shelter(WHITE, QUEEN_SIDE);
}
void shelter_white_centre()
{
    centre_shelter(WHITE);
}
void shelter_black_king_side()
{
    wing_shelter(BLACK, KING_SIDE);
}
void shelter_black_queen_side()
{
    wing_shelter(BLACK, QUEEN_SIDE);
}
void shelter_black_centre()
{
    centre_shelter(BLACK);
}
