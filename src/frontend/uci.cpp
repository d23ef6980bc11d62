// The UCI loop, its options and its positions. The game position is always a legal one: a bad
// FEN or an illegal move in a "position" command is reported, and until the next accepted
// "position" no search answers for the position kept. Lines end at LF with any CR or blanks
// before it dropped. Lines that arrive while a search runs are answered at once ("isready"),
// act on the search ("stop", "ponderhit", "quit"), or are kept and performed after it.
#include "frontend/uci.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "book/book.h"
#include "book/polyglot_book.h"
#include "caches/caches.h"
#include "core/board.h"
#include "core/makemove.h"
#include "core/setup.h"
#include "frontend/line_input.h"
#include "frontend/startup.h"
#include "frontend/threads_setting.h"
#include "frontend/uci_internal.h"
#include "frontend/uci_strength.h"
#include "frontend/xboard.h"
#include "movegen/notation.h"
#include "platform/platform.h"
#include "search/clock.h"
#include "search/hash.h"
#include "search/options.h"
#include "search/threads.h"

bool uci_stop_received = false;
bool uci_ponderhit_received = false;
bool uci_quit_received = false;
bool uci_position_set = true;
int32_t move_overhead_ms = DEFAULT_MOVE_OVERHEAD_MS;

namespace {

char input_text[UCI_LINE_SIZE];
LineReader input{input_text, UCI_LINE_SIZE, 0, false, false, false};

// Kept lines, each followed by its terminator, oldest first.
char deferred[UCI_DEFERRED_BYTES];
int deferred_used = 0;

constexpr int MESSAGE_SIZE = 4096;
// Plies of a too long game kept when it starts again: as far as the fifty-move rule looks back.
constexpr int KEPT_PLIES = 100;
constexpr int WORD_SIZE = 128;

// The options and what is still to be applied.
uint32_t hash_megabytes = 128;
bool hash_changed = false;
bool threads_changed = false;
bool ponder_option = false;

bool same_words(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        const char x = *a >= 'A' && *a <= 'Z' ? char(*a - 'A' + 'a') : *a;
        const char y = *b >= 'A' && *b <= 'Z' ? char(*b - 'A' + 'a') : *b;
        if (x != y) return false;
    }
    return *a == *b;
}

void print_identity()
{
    std::printf("id name Quarvelin\n");
    std::printf("id author Ardoiseaux\n");
    std::printf("option name Hash type spin default 128 min 0 max %u\n", MAX_HASH_MEGABYTES);
    std::printf("option name Ponder type check default false\n");
    std::printf("option name OwnBook type check default true\n");
    std::printf("option name BookFile type string default %s\n", BOOK_FILE_NAME);
    std::printf("option name BookBestMove type check default false\n");
    std::printf("option name Clear Hash type button\n");
    std::printf("option name Move Overhead type spin default %d min 0 max %d\n",
                DEFAULT_MOVE_OVERHEAD_MS, MAX_MOVE_OVERHEAD_MS);
    std::printf("option name Threads type spin default 1 min 1 max %d\n", MAX_SEARCH_THREADS);
    std::printf("option name MultiPV type spin default %d min 1 max %d\n", DEFAULT_MULTIPV,
                MAX_MULTIPV);
    std::printf("option name UCI_LimitStrength type check default false\n");
    std::printf("option name UCI_Elo type spin default %d min %d max %d\n", DEFAULT_UCI_ELO,
                MIN_UCI_ELO, MAX_UCI_ELO);
    std::printf("option name Skill Level type spin default %d min 0 max %d\n", MAX_SKILL_LEVEL,
                MAX_SKILL_LEVEL);
    std::printf("uciok\n");
}

// ---- setoption ------------------------------------------------------------------------------

void reload_book(void*)
{
    load_book();
}

void set_book_file(const char* value)
{
    std::snprintf(book_file_name, sizeof book_file_name, "%s",
                  value[0] != '\0' ? value : BOOK_FILE_NAME);
    run_quietly(reload_book, nullptr);
    if (book_in_use()) return;
    const std::string problem = polyglot_book_problem();
    if (!problem.empty())
        std::printf("info string %s\n", problem.c_str());
    else
        std::printf("info string no opening book in %s\n", book_file_name);
}

void set_option(const char* name, const char* value)
{
    if (same_words(name, "Hash")) {
        const long long mb = std::atoll(value);
        hash_megabytes = static_cast<uint32_t>(std::clamp<long long>(mb, 0, MAX_HASH_MEGABYTES));
        hash_changed = true;
    } else if (same_words(name, "Ponder")) {
        ponder_option = same_words(value, "true");
    } else if (same_words(name, "OwnBook")) {
        use_book = same_words(value, "true") ? 1 : 0;
    } else if (same_words(name, "BookFile")) {
        set_book_file(value);
    } else if (same_words(name, "BookBestMove")) {
        book_heaviest_move = same_words(value, "true") ? 1 : 0;
    } else if (same_words(name, "Clear Hash")) {
        clear_caches();
    } else if (same_words(name, "Threads")) {
        requested_threads = static_cast<int32_t>(
            std::clamp<long long>(std::atoll(value), 1, MAX_SEARCH_THREADS));
        threads_changed = true;
    } else if (same_words(name, "Move Overhead")) {
        move_overhead_ms =
            static_cast<int32_t>(std::clamp<long long>(std::atoll(value), 0, MAX_MOVE_OVERHEAD_MS));
    } else if (same_words(name, "MultiPV")) {
        multipv_option =
            static_cast<int32_t>(std::clamp<long long>(std::atoll(value), 1, MAX_MULTIPV));
    } else if (same_words(name, "UCI_LimitStrength")) {
        limit_strength_option = same_words(value, "true");
    } else if (same_words(name, "UCI_Elo")) {
        elo_option = static_cast<int32_t>(
            std::clamp<long long>(std::atoll(value), MIN_UCI_ELO, MAX_UCI_ELO));
    } else if (same_words(name, "Skill Level")) {
        skill_level_option =
            static_cast<int32_t>(std::clamp<long long>(std::atoll(value), 0, MAX_SKILL_LEVEL));
    }
}

// "name <id> [value <x>]": the id may hold spaces, the value runs to the end of the line.
void setoption_command(const char* args)
{
    char word[WORD_SIZE];
    const char* p = args;
    if (!next_word(&p, word, sizeof word) || !same_words(word, "name")) return;
    std::string name;
    const char* value = "";
    while (next_word(&p, word, sizeof word)) {
        if (same_words(word, "value")) {
            while (*p == ' ' || *p == '\t') ++p;
            value = p;
            break;
        }
        if (!name.empty()) name += ' ';
        name += word;
    }
    set_option(name.c_str(), value);
}

// ---- position -------------------------------------------------------------------------------

struct SetUp {
    const FenRecord* fen;  // null: the initial position
    int result;
};

void set_up(void* context)
{
    auto* s = static_cast<SetUp*>(context);
    s->result = s->fen == nullptr ? init_echiquier(initial_board.data(), 1, 15, 0)
                                  : init_echiquier(s->fen->board, s->fen->side, s->fen->castling,
                                                   s->fen->ep_square);
}

// Why set-up refused a board, from the message it printed in the engine's own words.
const char* refusal_reason(const char* message)
{
    if (std::strstr(message, "rois") != nullptr) return "each side needs exactly one king";
    if (std::strstr(message, "pieces") != nullptr) return "more than 16 pieces of one colour";
    if (std::strstr(message, "Pion") != nullptr) return "a pawn on the first or last rank";
    if (std::strstr(message, "roi adverse") != nullptr) return "the side not to move is in check";
    return "the board is not a legal position";
}

// The counters after the en-passant field, the record's fifth and sixth fields: the half-move
// clock is kept, the move number only read past (the game's plies are counted from the set-up).
void read_counters(const char* record)
{
    const char* p = record;
    char word[WORD_SIZE];
    for (int field = 0; field < 4; ++field) next_word(&p, word, sizeof word);
    if (!next_word(&p, word, sizeof word)) return;
    char* end = nullptr;
    const long halfmove = std::strtol(word, &end, 10);
    if (end != word && *end == '\0')
        set_halfmove_clock(static_cast<int32_t>(std::clamp(halfmove, 0L, 100L)));
}

// The position's first part; false when it was refused (the position is then a legal one kept
// from before, as set-up leaves it).
bool set_up_start(const char** p)
{
    char word[WORD_SIZE];
    next_word(p, word, sizeof word);
    SetUp s{nullptr, 0};
    FenRecord fen;
    char text[UCI_LINE_SIZE];
    if (same_words(word, "fen")) {
        // The record runs up to "moves" or the end of the line.
        while (**p == ' ' || **p == '\t') ++*p;
        const char* end = std::strstr(*p, " moves");
        const size_t n = end != nullptr ? size_t(end - *p) : std::strlen(*p);
        std::snprintf(text, sizeof text, "%.*s", static_cast<int>(n), *p);
        *p += n;
        if (parse_fen(text, &fen) < 0) {
            std::printf("info string invalid FEN (bad placement): %s\n", text);
            std::printf("info string no position until a legal one is set\n");
            return false;
        }
        s.fen = &fen;
    } else if (!same_words(word, "startpos")) {
        std::printf("info string position: startpos or fen expected, not %s\n", word);
        return false;
    }
    char message[MESSAGE_SIZE];
    capture_output(set_up, &s, message, sizeof message);
    if (s.result < 0) {
        std::printf("info string position refused (%s): no position until a legal one is set\n",
                    refusal_reason(message));
        return false;
    }
    if (s.fen != nullptr) {
        read_counters(text);
        // The stored result of this board may come from another half-move clock, when a draw
        // by the fifty-move rule was or was not yet in reach.
        hash_forget_position();
    }
    return true;
}

// A game longer than the ply records hold starts again from a recent position: the last
// irreversible move or the last hundred plies, whichever is nearer, which is all that the
// fifty-move rule and repetitions look at. The moves from there on are played again on top.
bool make_room_for_move()
{
    const int keep_from = std::max({ply - KEPT_PLIES, pos()->irreversible, 0});
    Move kept[KEPT_PLIES];
    const int count = ply - keep_from;
    for (int i = 0; i < count; ++i) kept[i] = etats[keep_from + i].coup;
    for (int i = count - 1; i >= 0; --i) unmake_move(kept[i]);
    char message[MESSAGE_SIZE];
    int result = 0;
    capture_output([](void* r) { *static_cast<int*>(r) = restart_game_here(); }, &result, message,
                   sizeof message);
    for (int i = 0; i < count; ++i) make_move(kept[i]);
    return result == 0 && ply < MAX_GAME_PLY;
}

// True when the whole command was taken; the position is then the one the interface means.
bool set_position(const char* args)
{
    const char* p = args;
    if (!set_up_start(&p)) return false;
    char word[WORD_SIZE];
    if (!next_word(&p, word, sizeof word)) return true;
    if (!same_words(word, "moves")) {
        std::printf("info string position: unexpected %s\n", word);
        return false;
    }
    while (next_word(&p, word, sizeof word)) {
        const Move m = text_to_move(word);
        if (m == 0 || is_legal_move(m) == 0) {
            std::printf("info string illegal move %s: no position until a legal one is set\n",
                        word);
            return false;
        }
        if (ply >= MAX_GAME_PLY && !make_room_for_move()) {
            std::printf("info string game too long at %s: no position until a legal one is set\n",
                        word);
            return false;
        }
        make_move(m);
    }
    return true;
}

void position_command(const char* args)
{
    uci_position_set = set_position(args);
}

void new_game(void*)
{
    clear_caches();
    init_echiquier(initial_board.data(), 1, 15, 0);
    uci_position_set = true;
}

// One command outside a search; false when it ends the loop.
bool perform(const char* line)
{
    const char* p = line;
    char word[WORD_SIZE];
    if (!next_word(&p, word, sizeof word)) return true;
    while (*p == ' ' || *p == '\t') ++p;
    if (std::strcmp(word, "quit") == 0) return false;
    if (std::strcmp(word, "uci") == 0) {
        print_identity();
    } else if (std::strcmp(word, "isready") == 0) {
        apply_pending_options();
        std::printf("readyok\n");
    } else if (std::strcmp(word, "setoption") == 0) {
        setoption_command(p);
    } else if (std::strcmp(word, "ucinewgame") == 0) {
        run_quietly(new_game, nullptr);
    } else if (std::strcmp(word, "position") == 0) {
        position_command(p);
    } else if (std::strcmp(word, "go") == 0) {
        uci_go(p);
        return !uci_quit_received;
    } else if (std::strcmp(word, "stop") != 0 && std::strcmp(word, "ponderhit") != 0 &&
               std::strcmp(word, "debug") != 0 && std::strcmp(word, "register") != 0) {
        std::printf("info string unknown command %s\n", word);
    }
    return true;
}

}  // namespace

// ---- shared with the search half ------------------------------------------------------------

bool defer_line(const char* line)
{
    const int n = static_cast<int>(std::strlen(line)) + 1;
    if (deferred_used + n > UCI_DEFERRED_BYTES) return false;
    std::memcpy(deferred + deferred_used, line, static_cast<size_t>(n));
    deferred_used += n;
    return true;
}

bool next_word(const char** p, char* out, int size)
{
    const char* s = *p;
    while (*s == ' ' || *s == '\t' || *s == '\r') ++s;
    int n = 0;
    for (; *s != '\0' && *s != ' ' && *s != '\t' && *s != '\r'; ++s)
        if (n < size - 1) out[n++] = *s;
    out[n] = '\0';
    *p = s;
    return n > 0;
}

void print_info_strings(const char* text)
{
    while (*text != '\0') {
        const char* end = std::strchr(text, '\n');
        const int n = end != nullptr ? static_cast<int>(end - text) : static_cast<int>(std::strlen(text));
        if (n > 0) std::printf("info string %.*s\n", n, text);
        text += n + (end != nullptr ? 1 : 0);
    }
}

void run_quietly(void (*fn)(void*), void* context)
{
    char message[MESSAGE_SIZE];
    capture_output(fn, context, message, sizeof message);
    print_info_strings(message);
}

bool read_uci_line(char* out)
{
    if (deferred_used > 0) {
        const int n = static_cast<int>(std::strlen(deferred)) + 1;
        std::memcpy(out, deferred, static_cast<size_t>(n));
        deferred_used -= n;
        std::memmove(deferred, deferred + n, static_cast<size_t>(deferred_used));
        return true;
    }
    return read_input_line(out);
}

bool read_input_line(char* out)
{
    gather_line(input, true);
    if (!input.complete) return false;
    trim_line_end(input_text);
    std::snprintf(out, UCI_LINE_SIZE, "%s", input_text);
    clear_line(input);
    return true;
}

void trim_line_end(char* line)
{
    size_t n = std::strlen(line);
    while (n > 0 && (line[n - 1] == '\r' || line[n - 1] == ' ' || line[n - 1] == '\t')) --n;
    line[n] = '\0';
}

namespace {

void reallocate_caches(void* result)
{
    *static_cast<int*>(result) = open_caches(hash_budget_bytes(hash_megabytes));
}

}  // namespace

void apply_pending_options()
{
    if (hash_changed) {
        char message[MESSAGE_SIZE];
        int result = 0;
        capture_output(reallocate_caches, &result, message, sizeof message);
        // A table is only replaced once its new block is obtained: the old ones stay usable.
        if (result < 0)
            std::printf(
                "info string not enough memory for a Hash of %u MB: the tables keep their size\n",
                hash_megabytes);
    }
    // Helpers size their caches from the budget: a new one gives them new caches.
    if (threads_changed || (hash_changed && requested_threads > 1)) {
        char message[160];
        apply_search_threads(requested_threads, hash_budget_bytes(hash_megabytes), message,
                             sizeof message);
        if (message[0] != '\0') std::printf("info string %s\n", message);
    }
    hash_changed = threads_changed = false;
}

InputVerdict uci_search_input()
{
    report_current_move();
    for (;;) {
        if (!input.complete) {
            // The end of the input ends the program once the kept lines are performed; a search
            // with no limit of its own ends at once.
            if (input.ended) {
                if (deferred_used > 0 && analyse_mode == 0 && ponder_search == 0)
                    return InputVerdict::GO_ON;
                uci_quit_received = true;
                return InputVerdict::STOP;
            }
            if (!input_waiting()) return InputVerdict::GO_ON;
            gather_line(input, false);
            if (!input.complete) return InputVerdict::GO_ON;
            trim_line_end(input_text);
        }
        char word[WORD_SIZE];
        const char* p = input_text;
        next_word(&p, word, sizeof word);
        InputVerdict verdict = InputVerdict::GO_ON;
        if (std::strcmp(word, "isready") == 0) {
            std::printf("readyok\n");
        } else if (std::strcmp(word, "stop") == 0) {
            uci_stop_received = true;
            verdict = InputVerdict::STOP;
        } else if (std::strcmp(word, "quit") == 0 && deferred_used == 0) {
            // After lines kept for later, "quit" waits its turn like them.
            uci_quit_received = true;
            verdict = InputVerdict::STOP;
        } else if (std::strcmp(word, "ponderhit") == 0) {
            uci_ponderhit_received = true;
            if (ponder_search) verdict = InputVerdict::PONDER_HIT;
        } else if (word[0] != '\0' && std::strcmp(word, "debug") != 0 && !defer_line(input_text)) {
            return InputVerdict::STOP;  // no room: the line stays, the loop performs it next
        }
        clear_line(input);
        if (verdict != InputVerdict::GO_ON) return verdict;
    }
}

int uci_loop(bool greeted)
{
    hash_megabytes = hash_budget;
    if (greeted) print_identity();
    char line[UCI_LINE_SIZE];
    while (read_uci_line(line))
        if (!perform(line)) return 0;
    return 0;
}
