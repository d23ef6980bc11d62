// The move stack, the ply start table and the generator of all moves with its per-piece
// routines. Lists come out in one fixed order: king (with castling), queens, rooks, bishops,
// knights, pawns, en passant; within a type the lowest piece-list slot first.
#include "movegen/movegen.h"

#include <utility>

#include "core/makemove.h"
#include "movegen/movegen_internal.h"
#include "platform/thread_state.h"

QV_THREAD_STATE MoveEntry move_stack[MOVE_STACK_SIZE];
QV_THREAD_STATE int32_t ply_start[MAX_HEIGHT + 2];

QV_THREAD_STATE uint32_t genere_calls;
QV_THREAD_STATE uint32_t captures_calls;
QV_THREAD_STATE uint32_t promotions_calls;
QV_THREAD_STATE uint32_t evasions_calls;
QV_THREAD_STATE uint32_t echecs_calls;

static_assert(MOVE_STACK_SIZE >= (MAX_HEIGHT + 1) * MAX_LIST_MOVES,
              "every list the ply start table can describe must fit");

namespace movegen_detail {

namespace {

// A quiet move to an empty square or a capture of an opponent piece; nothing otherwise (own
// piece or border: the border code carries no colour bit).
inline int push_target(int w, int from, int to, uint8_t opp)
{
    const uint8_t code = echiquier[to];
    if (code == EMPTY || (code & opp)) return push_plain(w, from, to);
    return w;
}

// The moves along one line from `from`: the empty squares, then the first occupied one when it
// holds an opponent piece.
inline int slide_line(int w, int from, int d, uint8_t opp)
{
    int to = from + d;
    while (echiquier[to] == EMPTY) {
        w = push_plain(w, from, to);
        to += d;
    }
    if (echiquier[to] & opp) w = push_plain(w, from, to);
    return w;
}

// The lines of a slider in the order given, each step a constant of the instance.
template <int... Steps>
int slide(int w, int from)
{
    const uint8_t opp = opponent_bit();
    ((w = slide_line(w, from, Steps, opp)), ...);
    return w;
}

// One king step, used only when the opponent does not attack the target. Returns true when it
// was a quiet step (the condition for trying castling beyond it).
inline bool king_step(int& w, int from, int to, const uint32_t* enemy, uint8_t opp)
{
    if (enemy[to] != 0) return false;
    const uint8_t code = echiquier[to];
    if (code == EMPTY) {
        w = push_plain(w, from, to);
        return true;
    }
    if (code & opp) w = push_plain(w, from, to);
    return false;
}

// All pieces of colour c and one type, lowest slot first (slot k's mask is 1 << k), through a
// per-piece routine.
inline int for_each_piece(int w, int c, int type, int (*routine)(int, int))
{
    for (uint32_t slots = piece_type[c][type]; slots; slots &= slots - 1)
        w = routine(w, static_cast<int>(ficha[c][std::countr_zero(slots)].square));
    return w;
}

}  // namespace

int gen_king(int w, int from, bool castling)
{
    const int c = colour_index(trait);
    const uint32_t* enemy = attaques[1 - c];
    const uint8_t opp = opponent_bit();
    if (echiquier[from + 1] != BORDER) {
        king_step(w, from, from + 1, enemy, opp);
        king_step(w, from, from - 9, enemy, opp);
        king_step(w, from, from + 11, enemy, opp);
    }
    if (echiquier[from - 1] != BORDER) {
        king_step(w, from, from - 1, enemy, opp);
        king_step(w, from, from - 11, enemy, opp);
        king_step(w, from, from + 9, enemy, opp);
    }
    const uint32_t rights = castling ? pos()->roque : 0;
    const uint32_t queen_side = c == WHITE ? WHITE_QUEEN_SIDE : BLACK_QUEEN_SIDE;
    const uint32_t king_side = c == WHITE ? WHITE_KING_SIDE : BLACK_KING_SIDE;
    // Castling needs the quiet step next to the king, the target empty and unattacked and the
    // king not in check; the rook's own square and b1/b8 may be attacked.
    if (king_step(w, from, from - 10, enemy, opp) && (rights & queen_side) &&
        echiquier[from - 20] == EMPTY && echiquier[from - 30] == EMPTY && enemy[from - 20] == 0 &&
        enemy[from] == 0)
        w = push_move(w, make_move_word(from, from - 20, KING));
    if (king_step(w, from, from + 10, enemy, opp) && (rights & king_side) &&
        echiquier[from + 20] == EMPTY && enemy[from + 20] == 0 && enemy[from] == 0)
        w = push_move(w, make_move_word(from, from + 20, KING));
    return w;
}

int gen_queen(int w, int from)
{
    return slide<1, -1, 10, -10, -9, 11, -11, 9>(w, from);
}
int gen_rook(int w, int from)
{
    return slide<1, -1, 10, -10>(w, from);
}
int gen_bishop(int w, int from)
{
    return slide<-9, 11, -11, 9>(w, from);
}

int gen_knight(int w, int from)
{
    const uint8_t opp = opponent_bit();
    if (echiquier[from + 1] != BORDER) {
        w = push_target(w, from, from - 19, opp);
        w = push_target(w, from, from - 8, opp);
        w = push_target(w, from, from + 12, opp);
        w = push_target(w, from, from + 21, opp);
    }
    if (echiquier[from - 1] != BORDER) {
        w = push_target(w, from, from - 21, opp);
        w = push_target(w, from, from - 12, opp);
        w = push_target(w, from, from + 8, opp);
        w = push_target(w, from, from + 19, opp);
    }
    return w;
}

int gen_pawn(int w, int from)
{
    const int f = trait;
    const uint8_t opp = opponent_bit();
    const int front = from + f;
    if (promotion_rank[front] != 0) {
        if (echiquier[front] == EMPTY) w = push_promotions(w, from, front);
        if (echiquier[front - 10] & opp) w = push_promotions(w, from, front - 10);
        if (echiquier[front + 10] & opp) w = push_promotions(w, from, front + 10);
        return w;
    }
    if (echiquier[front] == EMPTY) {
        w = push_move(w, make_move_word(from, front, PAWN));
        // Only the own start rank reaches here: a pawn of the other colour on rank 2 or 7
        // stands in front of its last rank and took the promotion branch.
        if (start_rank[from] != 0 && echiquier[front + f] == EMPTY)
            w = push_move(w, make_move_word(from, front + f, PAWN));
    }
    if (echiquier[front - 10] & opp) w = push_plain(w, from, front - 10);
    if (echiquier[front + 10] & opp) w = push_plain(w, from, front + 10);
    return w;
}

int gen_en_passant(int w)
{
    const int e = static_cast<int>(pos()->case_ep);
    if (e == 0) return w;
    const int victim = e - trait;
    const uint8_t pawn = own_pawn_code();
    if (echiquier[victim - 10] == pawn) w = push_move(w, make_move_word(victim - 10, e, PAWN));
    if (echiquier[victim + 10] == pawn) w = push_move(w, make_move_word(victim + 10, e, PAWN));
    return w;
}

}  // namespace movegen_detail

void genere_all_moves(int p)
{
    using namespace movegen_detail;
    assert(p >= 0 && p <= MAX_HEIGHT);
    ++genere_calls;
    const int c = colour_index(trait);
    int w = ply_start[p];
    w = gen_king(w, king_square(c), true);
    if (pieces_glissantes_mask[c] != 0) {
        w = for_each_piece(w, c, QUEEN, gen_queen);
        w = for_each_piece(w, c, ROOK, gen_rook);
        w = for_each_piece(w, c, BISHOP, gen_bishop);
    }
    w = for_each_piece(w, c, KNIGHT, gen_knight);
    w = for_each_piece(w, c, PAWN, gen_pawn);
    w = gen_en_passant(w);
    ply_start[p + 1] = w;
}

void sort_list(int p)
{
    const int end = ply_start[p + 1];
    for (int i = ply_start[p]; i < end; ++i) {
        int top = i;
        for (int j = i + 1; j < end; ++j)
            if (move_stack[j].score > move_stack[top].score) top = j;
        std::swap(move_stack[i], move_stack[top]);
    }
}

std::vector<Move> legal_moves_at(int height)
{
    ply_start[height] = height * MAX_LIST_MOVES;
    in_check() ? genere_evasions(height) : genere_all_moves(height);
    std::vector<Move> moves;
    for (int i = ply_start[height]; i < ply_start[height + 1]; ++i) {
        const Move m = move_stack[i].move;
        make_move(m);
        if (!own_king_attacked_after_move()) moves.push_back(m);
        unmake_move(m);
    }
    return moves;
}
