// The opening book table and its use in play. Only this file and the book tools write
// book_table and book_count; the table always holds book_count readable records (a load
// either installs a complete table or leaves the book empty), so a lookup never reads past it.
#include "book/book.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "book/book_file.h"
#include "book/polyglot_book.h"
#include "book/polyglot_file.h"
#include "core/board.h"
#include "core/makemove.h"
#include "core/run_settings.h"
#include "movegen/movegen.h"
#include "movegen/notation.h"
#include "platform/platform.h"

char book_file_name[BOOK_PATH_SIZE] = "bibli.bok";
BookRecord* book_table = nullptr;
int32_t book_count = 0;
int32_t use_book = 1;
int32_t show_book = 0;

// Weights travel in the 16-bit ordering scores of the move list; larger attraits are capped
// there rather than wrapping to negative weights.
constexpr int32_t MAX_WEIGHT = 32767;

void release_book()
{
    close_polyglot_book();
    std::free(book_table);
    book_table = nullptr;
    book_count = 0;
}

// ---- loading --------------------------------------------------------------------------------

// The named book, or, for the default name when the working directory has none, the book
// installed beside the program; written into path (BOOK_PATH_SIZE bytes).
static void book_path(char* path)
{
    std::snprintf(path, BOOK_PATH_SIZE, "%s", book_file_name);
    if (std::strcmp(book_file_name, BOOK_FILE_NAME) != 0) return;
    if (std::FILE* f = std::fopen(book_file_name, "rb")) {
        std::fclose(f);
        return;
    }
    char dir[BOOK_PATH_SIZE];
    const size_t room = BOOK_PATH_SIZE - 1 - std::strlen(INSTALLED_BOOK);
    if (executable_directory(dir, static_cast<int>(room)))
        std::snprintf(path, BOOK_PATH_SIZE, "%.*s%s", static_cast<int>(room), dir, INSTALLED_BOOK);
}

// A Polyglot book is opened in place, not loaded. Its refusal is told in every mode but UCI
// (whose front end asks for the reason itself): the file was named on purpose.
static int open_polyglot(const char* path)
{
    if (open_polyglot_book(path) < 0) {
        if (!uci_mode()) print_polyglot_book_problem();
        return -1;
    }
    if (text_mode())
        std::printf("livre Polyglot, %lld entrees (%lld Ko)\n",
                    static_cast<long long>(polyglot_book_entries()),
                    static_cast<long long>(polyglot_book_entries() * 16 / 1024));
    return 0;
}

int load_book()
{
    release_book();
    if (text_mode()) std::printf("Bibliotheque ... ");
    char path[BOOK_PATH_SIZE];
    book_path(path);
    if (is_polyglot_book(path)) return open_polyglot(path);
    const BookFileContents file = read_book_file(path);
    if (file.status != BookFileStatus::OK) {
        if (text_mode()) {
            if (file.status == BookFileStatus::NOT_OPENED)
                std::printf("Non disponible\n");
            else
                print_book_file_error(file);
        }
        return -1;
    }
    book_table = file.records;
    book_count = file.count;
    if (text_mode())
        std::printf("%d positions (%u Ko)\n", book_count,
                    static_cast<unsigned>(size_t(book_count) * sizeof(BookRecord) / 1024));
    return 0;
}

// ---- lookup ---------------------------------------------------------------------------------

Key96 current_book_key()
{
    Key96 key = pos()->hash_key;
    key.w[0] = (key.w[0] & ~1u) | (trait == 1 ? 1u : 0u);
    return key;
}

// Negative, zero or positive as the record sorts before, with or after the key.
static int compare_record(const BookRecord& r, const Key96& key)
{
    const uint32_t words[3] = {r.key0, r.key1, r.key2};
    for (int i = 0; i < 3; ++i)
        if (words[i] != key.w[i]) return words[i] < key.w[i] ? -1 : 1;
    return 0;
}

int book_search(Key96 key, int32_t* insert_at)
{
    int32_t lo = 0, hi = book_count - 1;
    while (lo <= hi) {
        const int32_t mid = (lo + hi) / 2;
        const int c = compare_record(book_table[mid], key);
        if (c > 0)
            hi = mid - 1;
        else if (c < 0)
            lo = mid + 1;
        else
            return mid;
    }
    if (insert_at != nullptr) *insert_at = lo;
    return -1;
}

int book_lookup()
{
    return book_search(current_book_key());
}

int lookup_after(Move m)
{
    make_move(m);
    const int r = book_lookup();
    unmake_move(m);
    return r;
}

// Moves cannot be made from the last ply record; there the book has nothing to offer.
static bool room_for_a_move()
{
    return ply < MAX_PLY_RECORDS - 1;
}

// ---- move choice ----------------------------------------------------------------------------

// Keeps in ply 0's list only the moves whose successor is in the book, each weighted by its
// attrait when its value for the mover equals the best so far and -1 when below it. Returns
// the best value (-1 when none reaches 0).
static int weigh_successors()
{
    const int first = ply_start[0];
    int end = ply_start[1];
    int best = -1;
    for (int i = first; i < end;) {
        const int r = lookup_after(move_stack[i].move);
        if (r < 0) {
            move_stack[i] = move_stack[--end];
            continue;
        }
        const int s = book_table[r].score * trait;
        const int32_t a = book_table[r].attrait;
        const auto weight = static_cast<int16_t>(a < MAX_WEIGHT ? a : MAX_WEIGHT);
        if (s > best) {
            for (int j = first; j < i; ++j) move_stack[j].score = -1;
            best = s;
            move_stack[i].score = weight;
        } else {
            move_stack[i].score = s == best ? weight : int16_t{-1};
        }
        ++i;
    }
    ply_start[1] = end;
    return best;
}

static void print_book_line(int first, int end, int32_t total)
{
    std::printf("0 0 0 0 ( ");
    for (int i = first; i < end; ++i) {
        const int w = move_stack[i].score;
        std::printf("%s", move_to_text(move_stack[i].move, false));
        if (w >= 1 && total > 0)
            std::printf(" {%d}", static_cast<int>(w * 100.0 / total));
        else if (w < 0)
            std::printf("?");
        std::printf(" ");
    }
    std::printf(")\n");
}

Move choose_book_move()
{
    if (!room_for_a_move()) return 0;
    genere_all_moves(0);
    const int best = weigh_successors();
    const int first = ply_start[0], end = ply_start[1];
    if (end == first) return 0;
    sort_list(0);

    // Best successors that all have attrait 0 share the draw equally.
    for (int i = first; i < end && move_stack[i].score == 0; ++i) move_stack[i].score = 1;
    int32_t total = 0;
    for (int i = first; i < end && move_stack[i].score >= 1; ++i) total += move_stack[i].score;

    if (!uci_mode()) print_book_line(first, end, total);
    if (best < 0 || total < 1) return 0;

    const int32_t r = random_int(1, total);
    int32_t sum = 0;
    for (int i = first; i < end; ++i) {
        sum += move_stack[i].score;
        if (sum >= r) return move_stack[i].move;
    }
    return 0;  // not reached: the leading weights add up to total
}

bool book_in_use()
{
    return book_count > 0 || polyglot_book_in_use();
}

Move book_move_for_think()
{
    if (polyglot_book_in_use()) return use_book ? choose_polyglot_move() : 0;
    return use_book && book_lookup() >= 0 ? choose_book_move() : 0;
}

void list_book_successors()
{
    if (polyglot_book_in_use()) return list_polyglot_moves();
    if (!room_for_a_move()) return;
    genere_all_moves(0);
    for (int i = ply_start[0]; i < ply_start[1]; ++i) {
        const Move m = move_stack[i].move;
        const int r = lookup_after(m);
        if (r >= 0)
            std::printf("%s : A %3d  / S %d\n", move_to_text(m, false), book_table[r].attrait,
                        book_table[r].score);
    }
}
