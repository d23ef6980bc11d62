// The Polyglot book in use. Only the file handle and its size are held: every lookup reads the
// few entries it needs, so a book of any size opens at once and costs no memory up front. The
// draw uses the engine's own generator: a move of weight w out of a total T has chance w / T.
#include "book/polyglot_book.h"

#include <cstdio>
#include <vector>

#include "book/polyglot_file.h"
#include "book/polyglot_keys.h"
#include "book/random.h"
#include "core/board.h"
#include "core/run_settings.h"
#include "movegen/notation.h"

int32_t book_heaviest_move = 0;

namespace {

PolyglotBook active;

struct BookChoice {
    Move move;
    uint32_t weight;
};

// The legal moves the book gives for the current position, in file order; false when the
// book turned out damaged (then it is closed and its reason printed).
bool legal_book_moves(std::vector<BookChoice>* choices)
{
    choices->clear();
    if (active.status != PolyglotStatus::OK || ply >= MAX_PLY_RECORDS - 1) return true;
    std::vector<PolyglotEntry> entries;
    if (!polyglot_find(&active, polyglot_key(), &entries)) {
        print_polyglot_book_problem();
        return false;
    }
    for (const PolyglotEntry& e : entries) {
        const Move m = move_of_polyglot(e.move);
        if (m != 0) choices->push_back({m, e.weight});
    }
    return true;
}

void print_book_line(const std::vector<BookChoice>& choices, uint64_t total)
{
    std::printf("0 0 0 0 ( ");
    for (const BookChoice& c : choices) {
        std::printf("%s", move_to_text(c.move, false));
        if (total > 0) std::printf(" {%d}", static_cast<int>(c.weight * 100.0 / double(total)));
        std::printf(" ");
    }
    std::printf(")\n");
}

}  // namespace

int open_polyglot_book(const char* path)
{
    return polyglot_open(&active, path) == PolyglotStatus::OK ? 0 : -1;
}

void close_polyglot_book()
{
    polyglot_close(&active);
    active = PolyglotBook{};
}

bool polyglot_book_in_use()
{
    return active.status == PolyglotStatus::OK;
}

int64_t polyglot_book_entries()
{
    return polyglot_book_in_use() ? active.entries : 0;
}

std::string polyglot_book_problem()
{
    return active.path.empty() ? "" : polyglot_problem(active);
}

std::string polyglot_book_problem_fr()
{
    return active.path.empty() ? "" : polyglot_problem_fr(active);
}

void print_polyglot_book_problem()
{
    if (text_mode())
        std::printf("%s\n", polyglot_book_problem_fr().c_str());
    else if (uci_mode())
        std::printf("info string %s\n", polyglot_book_problem().c_str());
    else
        std::printf("# %s\n", polyglot_book_problem().c_str());
}

Move choose_polyglot_move()
{
    std::vector<BookChoice> choices;
    if (!legal_book_moves(&choices) || choices.empty()) return 0;
    uint64_t total = 0;
    const BookChoice* heaviest = &choices[0];
    for (const BookChoice& c : choices) {
        total += c.weight;
        if (c.weight > heaviest->weight) heaviest = &c;
    }
    if (!uci_mode()) print_book_line(choices, total);
    // Weight 0 marks a move the book knows but never plays.
    if (total == 0) return 0;
    if (book_heaviest_move) return heaviest->move;
    // The total of a position's weights stays far below 2^31 (at most 4096 entries of 65535).
    const auto r = static_cast<uint64_t>(random_int(1, static_cast<int32_t>(total)));
    uint64_t sum = 0;
    for (const BookChoice& c : choices) {
        sum += c.weight;
        if (sum >= r) return c.move;
    }
    return 0;  // not reached: the weights add up to total
}

void list_polyglot_moves()
{
    std::vector<BookChoice> choices;
    if (!legal_book_moves(&choices)) return;
    for (const BookChoice& c : choices)
        std::printf("%s : poids %u\n", move_to_text(c.move, false), c.weight);
}
