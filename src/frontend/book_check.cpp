// The book check ("chkbk") and optimisation ("optimizebk"). Both walk the book depth first over
// one shared successor stack, each level's moves above those of the levels below it; every move
// made is unmade before its level returns, and the visited flags stop a second visit.
#include "frontend/book_check.h"

#include <cstdio>
#include <cstdlib>

#include "book/book.h"
#include "core/board.h"
#include "core/makemove.h"
#include "frontend/gameend.h"
#include "frontend/xboard.h"
#include "movegen/movegen.h"
#include "movegen/notation.h"
#include "platform/atomic_file.h"
#include "frontend/think_lines.h"
#include "search/clock.h"
#include "search/hash.h"
#include "search/limits.h"
#include "search/root.h"

int32_t verified_count = 0;

namespace {

constexpr int SUCCESSOR_STACK_SIZE = 65536;
constexpr int VARIATION_MAX_MOVES = 64;
constexpr int REPORT_THRESHOLD = 100;

Move successor_stack[SUCCESSOR_STACK_SIZE];
uint8_t* visited = nullptr;
std::FILE* report = nullptr;
SearchLimits check_limits;  // a fixed depth, set by the check

// Moves are walked only while a search of every height still fits above the position.
bool may_descend()
{
    return ply < MAX_GAME_PLY;
}

// Pushes from entry k the moves whose successors are in the book; returns how many. A full
// stack ends the list early (the remaining successors are not followed).
int push_book_successors(int k)
{
    genere_all_moves(0);
    int n = 0;
    for (int i = ply_start[0]; i < ply_start[1] && k + n < SUCCESSOR_STACK_SIZE; ++i) {
        const Move m = move_stack[i].move;
        make_move(m);
        const bool known = book_lookup() >= 0;
        unmake_move(m);
        if (known) successor_stack[k + n++] = m;
    }
    return n;
}

bool allocate_flags()
{
    visited = static_cast<uint8_t*>(std::calloc(book_count > 0 ? size_t(book_count) : 1, 1));
    if (visited == nullptr) std::printf("Pas assez de memoire\n");
    verified_count = 0;
    return visited != nullptr;
}

void release_flags()
{
    std::free(visited);
    visited = nullptr;
}

void print_elapsed(int64_t start)
{
    const int64_t s = (clock_now() - start) / 1000;
    std::printf("%d positions verifiees\n", verified_count);
    std::printf("Temps : %2d:%2d:%2d\n", int(s / 3600), int(s / 60 % 60), int(s % 60));
}

void write_game_moves(std::FILE* f)
{
    for (int i = 0; i < ply; ++i) {
        if (i % 2 == 0) std::fprintf(f, "%d. ", i / 2 + 1);
        std::fprintf(f, "%s ", move_to_text(etats[i].coup, false));
    }
}

// The principal variation left in the transposition table; a stored move that is not legal
// here (a stale or colliding entry) ends it.
void write_variation(std::FILE* f)
{
    Move made[VARIATION_MAX_MOVES];
    int count = 0;
    while (count < VARIATION_MAX_MOVES && ply < MAX_PLY_RECORDS - 1) {
        const Move m = hash_best_move();
        if (m == 0 || is_legal_move(m) == 0) break;
        std::fprintf(f, "%s ", move_to_text(m, false));
        make_move(m);
        made[count++] = m;
    }
    while (count > 0) unmake_move(made[--count]);
}

void verify_position(int k)
{
    const int next = verified_count + 1;
    std::printf("%5d [%d%%] > ", next, next * 100 / book_count);
    for (int i = 0; i < ply; ++i) std::printf("%s ", move_to_text(etats[i].coup, false));
    std::printf("\n");

    if (ply - pos()->irreversible >= 4 && repetition_count() >= 2) {
        std::fprintf(report, "[Bouclage] ");
        write_game_moves(report);
        std::fprintf(report, "\n");
        return;
    }
    const int r = book_lookup();
    if (r < 0 || visited[r]) return;
    visited[r] = 1;
    ++verified_count;

    Reflexion(check_limits);
    book_table[r].score = static_cast<int16_t>(last_score);
    if (last_score < -REPORT_THRESHOLD || last_score > REPORT_THRESHOLD) {
        std::fprintf(report, "[Materiel] ");
        write_game_moves(report);
        std::fprintf(report, "\n %5d = { ", last_score);
        write_variation(report);
        std::fprintf(report, "}\n\n");
    }

    if (!may_descend()) return;
    const int n = push_book_successors(k);
    for (int i = k; i < k + n; ++i) {
        make_move(successor_stack[i]);
        verify_position(k + n);
        unmake_move(successor_stack[i]);
    }
}

int optimise_position(int k)
{
    const int r = book_lookup();
    if (r < 0) return 0;
    if (visited[r]) return book_table[r].score;
    visited[r] = 1;
    ++verified_count;

    const int n = may_descend() ? push_book_successors(k) : 0;
    if (n == 0) return book_table[r].score;
    int best = -30000;
    for (int i = k; i < k + n; ++i) {
        make_move(successor_stack[i]);
        const int value = -optimise_position(k + n);
        if (value > best) best = value;
        unmake_move(successor_stack[i]);
    }
    book_table[r].score = static_cast<int16_t>(best);
    return best;
}

}  // namespace

void chkbk(int n)
{
    const int64_t start = clock_now();
    std::printf("Verification de la bibliotheque d'ouvertures (%d positions)\n", book_count);
    if (!allocate_flags()) return;
    // The report replaces chkbk.txt only once it is complete and safely written.
    AtomicFile report_file;
    if (!atomic_open(&report_file, BOOK_REPORT_FILE_NAME)) {
        std::printf("Impossible d'ouvrir <chkbk.txt>\n");
        release_flags();
        return;
    }
    report = report_file.stream;
    // The session's own book setting comes back afterwards: only the check searches this way.
    const int32_t saved_use_book = use_book;
    show_thinking = 0;
    use_book = 0;
    // Every search runs to the full depth: no clock or node limit of the game may cut it short,
    // and the game's own limits stay as they are.
    check_limits = SearchLimits{};
    check_limits.mode = TC_FIXED_DEPTH;
    check_limits.min_depth = check_limits.max_depth = n;
    std::fprintf(report,
                 "Verification de la bibliotheque d'ouvertures (%d positions)\n"
                 "Profondeur de la reflexion: %d demi-coups\n\n",
                 book_count, n);

    const int count = may_descend() ? push_book_successors(0) : 0;
    for (int i = 0; i < count; ++i) {
        std::printf("***************\n%5d - ", verified_count);
        std::printf("%s", move_to_text(successor_stack[i], false));
        std::printf("\n***************\n");
        make_move(successor_stack[i]);
        verify_position(count);
        unmake_move(successor_stack[i]);
    }

    use_book = saved_use_book;
    report = nullptr;
    if (!atomic_commit(&report_file)) std::printf("Impossible d'ecrire dans <chkbk.txt>\n");
    release_flags();
    show_thinking = 1;
    print_elapsed(start);
}

void optimizebk()
{
    const int64_t start = clock_now();
    if (!allocate_flags()) return;
    optimise_position(0);
    release_flags();
    print_elapsed(start);
}
