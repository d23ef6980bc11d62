// The game-end test and the PGN writer. The game-end test leaves the position as it found it
// and claims a draw only where the rules of chess grant one.
#include "frontend/gameend.h"

#include <cstdio>

#include "core/board.h"
#include "core/makemove.h"
#include "core/repetition.h"
#include "core/tables.h"
#include "frontend/settings.h"
#include "movegen/movegen.h"
#include "movegen/notation.h"
#include "platform/atomic_file.h"

namespace {

// True only where no sequence of legal moves can end in mate, so that a claim is one every
// referee accepts: bare kings, a single knight or bishop against a bare king, or bishops alone
// (any number, either side) all standing on squares of one colour. King and knight against king
// and knight, or bishops on both colours, can still be mated and play on.
bool insufficient_material()
{
    int knights = 0;
    int bishops_on[2] = {0, 0};
    for (int sq = 0; sq < BOARD_SIZE; ++sq) {
        const uint8_t code = echiquier[sq];
        if (is_border(code) || !is_occupied(code)) continue;
        switch (type_of(code)) {
            case KING:
                break;
            case KNIGHT:
                ++knights;
                break;
            case BISHOP:
                ++bishops_on[couleur_case[sq]];
                break;
            default:
                return false;  // a pawn, a rook or a queen
        }
    }
    if (knights + bishops_on[0] + bishops_on[1] <= 1) return true;
    return knights == 0 && (bishops_on[0] == 0 || bishops_on[1] == 0);
}

// True when the side to move has a move that does not leave its own king attacked. The list
// comes from the all-moves generator even in check; the make-and-test drops what fails.
bool has_legal_move()
{
    genere_all_moves(0);
    for (int i = ply_start[0]; i < ply_start[1]; ++i) {
        const Move m = move_stack[i].move;
        make_move(m);
        const bool legal = !own_king_attacked_after_move();
        unmake_move(m);
        if (legal) return true;
    }
    return false;
}

}  // namespace

int game_end_test()
{
    root_ply = ply;
    if (insufficient_material()) return GAME_INSUFFICIENT;
    // A mate ends the game at once, even on the hundredth reversible ply: the fifty-move draw
    // is only there to claim in a position where the side to move is not mated.
    const bool can_move = has_legal_move();
    if (!can_move && in_check()) return colour_index(trait) + 1;  // White mated: 2, Black: 1
    const int oldest = etats[ply].irreversible;
    if (ply >= oldest + 4) {
        if (ply >= oldest + 100) return GAME_FIFTY_MOVES;
        if (repetition_count() >= 3) return GAME_REPETITION;
    }
    return can_move ? GAME_IN_PROGRESS : GAME_STALEMATE;
}

void take_back_game_move()
{
    if (ply <= 0) return;
    unmake_move(etats[ply - 1].coup);
    game_state = GAME_IN_PROGRESS;
}

void print_rule()
{
    for (int i = 0; i < 75; ++i) std::putchar('-');
    std::putchar('\n');
}

int write_pgn()
{
    // The game goes to a temporary file that replaces game.pgn only once it is all written: a
    // full disk leaves the last saved game as it was.
    AtomicFile out;
    if (!atomic_open(&out, "game.pgn")) {
        std::printf("Impossible d'ouvrir <game.pgn>\n");
        return -1;
    }
    std::FILE* file = out.stream;
    std::fputs(
        "[Event \"?\"]\n[Site \"?\"]\n[Date \"?\"]\n[Round  \"?\"]\n[White \"?\"]\n"
        "[Black \"?\"]\n[Result \"?\"]\n[TimeControl \"?\"]\n",
        file);
    for (int i = 0; i < ply; ++i) {
        if (i % 2 == 0) std::fprintf(file, "%3d. ", i / 2 + 1);
        std::fputs(move_to_text(etats[i].coup, false), file);
        std::fputs(i % 2 == 1 ? "\n" : "   ", file);
    }
    std::fprintf(file, " %s\n", result_texts[game_state]);
    if (!atomic_commit(&out)) {
        std::printf("Impossible d'ouvrir <game.pgn>\n");
        return -1;
    }
    std::printf("Partie sauvee dans <game.pgn>\n");
    return 0;
}
