// Converting books for the book builder. The walks keep to the engine's position record (each
// move made is taken back before the next) and to its ply records: a line longer than the
// records allow is cut there. Positions are walked once each, transpositions included.
#include "tools/book_convert.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <tuple>
#include <unordered_set>

#include "book/book_file.h"
#include "book/polyglot_keys.h"
#include "core/board.h"
#include "core/makemove.h"
#include "frontend/book_editor.h"
#include "movegen/movegen.h"

namespace {

constexpr int MAX_WALK_PLY = MAX_PLY_RECORDS - 2;

// ---- Polyglot into bibli.bok ----------------------------------------------------------------

struct PolyglotWalk {
    const std::vector<PolyglotEntry>* entries;
    BookTally* tally;
    double scale;
    std::unordered_set<uint64_t> visited;
    size_t illegal = 0;
};

int32_t scaled_weight(uint16_t w, double scale)
{
    return w == 0 ? 0 : std::max(1, static_cast<int>(std::lround(w * scale)));
}

void walk_polyglot(PolyglotWalk* walk)
{
    const uint64_t key = polyglot_key();
    if (!walk->visited.insert(key).second || ply >= MAX_WALK_PLY) return;
    const auto [first, last] = std::equal_range(
        walk->entries->begin(), walk->entries->end(), PolyglotEntry{key, 0, 0, 0},
        [](const PolyglotEntry& a, const PolyglotEntry& b) { return a.key < b.key; });
    const std::vector<PolyglotEntry> here(first, last);
    for (const PolyglotEntry& e : here) {
        const Move m = move_of_polyglot(e.move);
        if (m == 0) {
            ++walk->illegal;
            continue;
        }
        make_move(m);
        tally_line_position(walk->tally, scaled_weight(e.weight, walk->scale));
        walk_polyglot(walk);
        unmake_move(m);
    }
}

// ---- bibli.bok into Polyglot ----------------------------------------------------------------

using BokKey = std::array<uint32_t, 3>;

struct BokWalk {
    const BookFileContents* book;
    BookTally* tally;
    std::unordered_set<BokKey, BookKeyHash> visited;
};

const BookRecord* find_record(const BookFileContents& book, const Key96& k)
{
    const BookRecord* begin = book.records;
    const BookRecord* end = begin + book.count;
    const BookRecord* r = std::lower_bound(begin, end, k, [](const BookRecord& a, Key96 b) {
        return std::tie(a.key0, a.key1, a.key2) < std::tie(b.w[0], b.w[1], b.w[2]);
    });
    return r != end && r->key0 == k.w[0] && r->key1 == k.w[1] && r->key2 == k.w[2] ? r : nullptr;
}

struct Successor {
    Move move;
    const BookRecord* record;
};

// The weights the engine's draw gives the successors: the attrait of those with the best score
// for the mover (1 each when all of those have 0), 0 for the others and when the best is below 0.
std::vector<int32_t> draw_weights(const std::vector<Successor>& next)
{
    int best = -1, best_attraits = 0;
    for (const Successor& s : next) best = std::max(best, s.record->score * trait);
    for (const Successor& s : next)
        if (s.record->score * trait == best) best_attraits += s.record->attrait;
    std::vector<int32_t> weights;
    for (const Successor& s : next) {
        const bool chosen = best >= 0 && s.record->score * trait == best;
        weights.push_back(!chosen ? 0 : best_attraits == 0 ? 1 : s.record->attrait);
    }
    return weights;
}

void walk_bok(BokWalk* walk)
{
    const Key96 k = current_book_key();
    if (!walk->visited.insert({k.w[0], k.w[1], k.w[2]}).second || ply >= MAX_WALK_PLY) return;
    std::vector<Successor> next;
    for (const Move m : legal_moves_at(0)) {
        make_move(m);
        if (const BookRecord* r = find_record(*walk->book, current_book_key()))
            next.push_back({m, r});
        unmake_move(m);
    }
    const std::vector<int32_t> weights = draw_weights(next);
    const uint64_t key = polyglot_key();
    for (size_t i = 0; i < next.size(); ++i) {
        PositionTally& t = walk->tally->moves[{key, polyglot_move_of(next[i].move)}];
        t.line_weight = std::max(t.line_weight, weights[i]);
    }
    for (const Successor& s : next) {
        make_move(s.move);
        walk_bok(walk);
        unmake_move(s.move);
    }
}

}  // namespace

bool add_polyglot_book(const std::string& file, BookTally* tally, std::string* error,
                       std::vector<std::string>* warnings)
{
    PolyglotBook book;
    std::vector<PolyglotEntry> entries;
    if (polyglot_open(&book, file.c_str()) != PolyglotStatus::OK ||
        !polyglot_read_all(&book, &entries)) {
        *error = polyglot_problem(book);
        return false;
    }
    polyglot_close(&book);
    tally->book_entries += static_cast<int64_t>(entries.size());
    if (tally->collect_moves) {
        for (const PolyglotEntry& e : entries) {
            PositionTally& t = tally->moves[{e.key, e.move}];
            t.line_weight = std::max<int32_t>(t.line_weight, e.weight);
        }
        return true;
    }
    uint16_t heaviest = 0;
    for (const PolyglotEntry& e : entries) heaviest = std::max(heaviest, e.weight);
    PolyglotWalk walk{&entries,
                      tally,
                      heaviest > EDITOR_MAX_ATTRAIT ? double(EDITOR_MAX_ATTRAIT) / heaviest : 1.0,
                      {},
                      0};
    start_from_initial_position();
    walk_polyglot(&walk);
    size_t reached = 0;
    for (const PolyglotEntry& e : entries) reached += walk.visited.count(e.key);
    if (walk.illegal > 0)
        warnings->push_back(file + ": " + std::to_string(walk.illegal) +
                            " entries with a move illegal in their position left out");
    if (reached < entries.size())
        warnings->push_back(file + ": " + std::to_string(entries.size() - reached) +
                            " entries of positions the book's moves do not reach from the "
                            "initial position left out");
    return true;
}

bool add_bok_book(const std::string& file, BookTally* tally, std::string* error,
                  std::vector<std::string>* warnings)
{
    BookFileContents book = read_book_file(file.c_str());
    if (book.status != BookFileStatus::OK) {
        *error =
            file + ": " +
            (book.status == BookFileStatus::BAD_COUNT
                 ? "record count " + std::to_string(book.count) + " out of range"
             : book.status == BookFileStatus::SHORT_FILE
                 ? "file too short for its record count (" + std::to_string(book.bytes) + " bytes)"
             : book.status == BookFileStatus::NO_MEMORY ? "not enough memory"
                                                        : "cannot open the book");
        return false;
    }
    tally->book_entries += book.count;
    if (!tally->collect_moves) {
        for (int32_t i = 0; i < book.count; ++i) {
            const BookRecord& r = book.records[i];
            PositionTally& t = tally->positions[{r.key0, r.key1, r.key2}];
            t.line_weight = std::max<int32_t>(t.line_weight, r.attrait);
        }
        std::free(book.records);
        return true;
    }
    BokWalk walk{&book, tally, {}};
    start_from_initial_position();
    walk_bok(&walk);
    int32_t reached = 0;
    for (const BokKey& k : walk.visited)
        reached += find_record(book, Key96{{k[0], k[1], k[2]}}) != nullptr ? 1 : 0;
    if (reached < book.count)
        warnings->push_back(file + ": " + std::to_string(book.count - reached) +
                            " positions no legal move reaches from the initial position through "
                            "the book left out");
    std::free(book.records);
    return true;
}
