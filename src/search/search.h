// The full-width alpha-beta search below the root and the state it shares with quiescence,
// move ordering, the root driver and the poll: stop flag, node counters, per-height records,
// killers, countermoves and history. Depths are in sixtieths of a ply; heights run 0..63.
#pragma once

#include <cstdint>

#include "core/board.h"
#include "core/tables.h"
#include "core/types.h"
#include "platform/thread_state.h"
#include "search/clock.h"
#include "search/options.h"

constexpr int ONE_PLY = 60;
constexpr int TWO_PLIES = 2 * ONE_PLY;
constexpr int THREE_PLIES = 3 * ONE_PLY;
constexpr int FOUR_PLIES = 4 * ONE_PLY;
constexpr int SEVEN_PLIES = 7 * ONE_PLY;
constexpr int MAX_SCORE = 30000;
constexpr int MATE_SCORE = 29999;  // a mate given at height h + 1 scores 29999 - h
constexpr int SEARCH_HEIGHTS = 64;

struct PlyInfo {
    Move hash_move;
    int32_t extension;  // 0 none, 1 check, 2 recapture or pawn ending, 4 pawn to the 7th
    int32_t iid_nesting;
};

// Killer and countermove records: two moves with their counts.
struct MovePair {
    Move move1;
    Move move2;
    int16_t count1;
    int16_t count2;
};

// Tries and cutoffs of a move, and what they give the cheap ordering: 64 * cutoffs /
// (tries + 1), kept with the counts by count_try so that scoring a move needs no division.
struct HistoryEntry {
    uint32_t tries;
    uint32_t cutoffs;
    int32_t bonus;
};

// One more try of the entry's move, and a cutoff when `cut`; the bonus follows.
inline void count_try(HistoryEntry& h, bool cut)
{
    ++h.tries;
    h.cutoffs += cut ? 1 : 0;
    // 64-bit so that neither the product nor tries + 1 can wrap (no division by zero).
    h.bonus = static_cast<int32_t>(64 * uint64_t{h.cutoffs} / (uint64_t{h.tries} + 1));
}

extern QV_THREAD_STATE int32_t search_stopped;
extern QV_THREAD_STATE uint32_t poll_nodes;
extern QV_THREAD_STATE int32_t iteration_depth;

// Counters of the full-width search, reset at the start of every think.
extern QV_THREAD_STATE uint64_t search_nodes;
extern QV_THREAD_STATE uint32_t search_nodes_by_height[SEARCH_HEIGHTS];
extern QV_THREAD_STATE uint32_t null_move_tries, null_move_cutoffs, threat_extensions;
extern QV_THREAD_STATE uint32_t search_cutoffs, first_move_cutoffs;
extern QV_THREAD_STATE uint32_t ext_in_check, ext_recapture, ext_promotion, ext_mate_threat;

extern QV_THREAD_STATE PlyInfo ply_info[SEARCH_HEIGHTS];
extern QV_THREAD_STATE MovePair killers[SEARCH_HEIGHTS];
extern QV_THREAD_STATE MovePair countermoves[2][2048];
extern QV_THREAD_STATE HistoryEntry history[2][2048];

// A draw's score for the side to move.
inline int draw_score()
{
    return draw_value * trait;
}

// Pawns (bits 0-3), rooks and queens (bits 12-19) of the packed material counts.
constexpr uint32_t PAWN_ROOK_QUEEN_BITS = 0xff00f;

// The tree scores a position as a draw when neither side has a pawn, rook or queen and each has
// at most one knight or bishop: none of them can force a mate. (A game is only declared drawn
// where no mate is possible at all; see the game-end test.)
inline bool drawn_by_material()
{
    return nombre_pieces[BLACK] <= 1 && nombre_pieces[WHITE] <= 1 &&
           ((mk[BLACK] | mk[WHITE]) & PAWN_ROOK_QUEEN_BITS) == 0;
}

// The move index of a move word: the table entry at its low 14 bits.
inline int move_index_of(Move m)
{
    return move_index[m & 0x3fff];
}

// Nodes between two polls: ten times the start-up speed figure, but never more than
// MAX_POLL_INTERVAL. The figure measures an arithmetic kernel, not the search: at its usual
// values ten times it is a quarter to half a second of search, longer than a whole move under a
// 10 s + 0.1 s clock, and the engine lost on time. 2,048 nodes are a few milliseconds here, and
// a poll with nothing waiting costs about a microsecond.
constexpr uint32_t MAX_POLL_INTERVAL = 2048;
uint32_t poll_interval();
// Polls once the interval's nodes are counted; true when the search is stopped. Both the
// full-width search and the quiescence call it: a capture tree alone can outlast any limit.
inline bool poll_stops()
{
    if (poll_nodes <= poll_interval()) return false;
    poll_nodes = 0;
    poll();
    return search_stopped != 0;
}

int Search(int alpha, int beta, int height, int depth, int off_pv);
// Reports that a search named search_name reached the last height.
void report_max_height(const char* search_name);
int extensions(int alpha, int beta, int height, int depth);
// The same for a caller that knows whether the side to move is in check and the last move
// (the current record's predecessor's, 0 at the first record).
int extensions(int alpha, int beta, int height, int depth, bool check, Move last);
bool hash_allows_null(int beta, int depth);
void update_pair(MovePair* pair, Move m);
// Clears killers, countermoves, history and the counters above (start of a think).
void clear_search_tables();
