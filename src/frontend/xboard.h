// The xboard protocol: the loop that alternates the engine's turn with one command line, the
// reader that assembles command lines byte by byte (also for the poll during a search), think,
// ponder and the coordinate move printer. The game is the bottom of the ply-record stack and no
// game ever grows so long that a search on top of it could run out of records.
#pragma once

#include <cstdint>

#include "core/types.h"
#include "search/search.h"
#include "search/search_link.h"

// The last game ply at which a move may still be played: a ponder move and a search of every
// height, with its principal-variation walk, always fit above it in the ply records. A game
// that reaches it ends as "* {Result unknown}". It also stays far below the `resign ply`
// marker, so the marker can never be mistaken for a game ply.
constexpr int32_t MAX_GAME_PLY = MAX_PLY_RECORDS - SEARCH_HEIGHTS - 2;

// State of the command line being assembled in the line buffer (`pending input` characters so
// far). Once a line is complete nothing more is read until the loop or the poll has taken it.
extern int32_t line_complete;  // the pending line has reached its newline
extern int32_t input_ended;    // standard input has ended or failed: nothing more will come

// Reads bytes onto the pending line until its newline: blocking when `wait`, otherwise only
// while input is reported waiting. A line longer than the buffer keeps its first 255
// characters and the rest is dropped up to the newline; at the end of the input a non-empty
// partial line counts as complete. Returns the number of bytes read.
int gather_input_line(bool wait);
// Forgets the pending line (the loop or the poll has performed it).
void take_pending_line();

// 1 when standard input is not a terminal (a pipe or a file); set by input_init.
extern int32_t stdin_is_pipe;
// Notes whether standard input is a terminal; called once at start-up in xboard mode.
void input_init();
// Non-zero when a read of standard input would not block (a byte, or its end, is waiting).
int input_available();

// What a line waiting during a search means: it is read (when complete) and performed on the
// spot, kept pending for the loop, taken as the predicted move, or ignored, as the protocol
// wants. Installed as the search's input question in xboard mode.
InputVerdict xboard_search_input();
// Typed and generated moves compare by squares and promotion: a line read deep in the tree is
// parsed against a board that is not the game's, so its piece types mean nothing.
bool same_move(Move a, Move b);

// The protocol loop; returns 0 on "quit" or at the end of the input.
int xboard_loop();
// The engine's move for the side to move, thought within the clock; 0 when there is none.
Move think();
// Thinks on the opponent's time after the move predicted for them; the reply when the opponent
// played that move meanwhile (it then stays on the board), else 0 with the position unchanged.
Move ponder();
// Writes "e2e4" / "e7e8Q" (castling as the king's move) into out, which holds at least 6 bytes.
void coordinate_text(Move m, char* out);
// Prints the coordinate form of a move, without a newline.
void print_coordinate_move(Move m);
