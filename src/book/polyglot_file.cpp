// Reading and writing Polyglot books. Every read of the file goes through read_block, which
// takes only indices below the entry count fixed at opening, so a short or shrinking file yields
// a read error rather than a read past its end. Order is checked in full for small books and by
// sampling for large ones at opening, then on every lookup in all it reads.
#include "book/polyglot_file.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/atomic_file.h"

namespace {

// Books up to this many entries (1 MB) are checked whole at opening; larger ones by a sample.
constexpr int64_t FULL_CHECK_ENTRIES = 65536;
constexpr int64_t SAMPLE_ENTRIES = 256;
// A lookup reads the last entries of its search, and the run of its key, this many at a time.
constexpr int64_t SCAN_ENTRIES = 32;
// Whole reads take the file in blocks of this many entries (64 KB).
constexpr int64_t READ_ALL_BLOCK_ENTRIES = 4096;
// No position has this many moves; a longer run of one key is a damaged book.
constexpr int MAX_ENTRIES_PER_KEY = 4096;

uint64_t get_be(const unsigned char* b, int n)
{
    uint64_t v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | b[i];
    return v;
}

void put_be(unsigned char* b, uint64_t v, int n)
{
    for (int i = n - 1; i >= 0; --i, v >>= 8) b[i] = static_cast<unsigned char>(v & 0xff);
}

PolyglotEntry decode(const unsigned char* b)
{
    return PolyglotEntry{get_be(b, 8), static_cast<uint16_t>(get_be(b + 8, 2)),
                         static_cast<uint16_t>(get_be(b + 10, 2)),
                         static_cast<uint32_t>(get_be(b + 12, 4))};
}

bool fail(PolyglotBook* book, PolyglotStatus status)
{
    polyglot_close(book);
    book->status = status;
    return false;
}

// Entries first .. first + count - 1 (all below the entry count) in one read, appended to out.
bool read_block(PolyglotBook* book, int64_t first, int64_t count, std::vector<PolyglotEntry>* out)
{
    if (first < 0 || count < 0 || first + count > book->entries || book->file == nullptr)
        return false;
    std::vector<unsigned char> bytes(static_cast<size_t>(count * POLYGLOT_ENTRY_BYTES));
    if (std::fseek(book->file, static_cast<long>(first * POLYGLOT_ENTRY_BYTES), SEEK_SET) != 0 ||
        std::fread(bytes.data(), 1, bytes.size(), book->file) != bytes.size())
        return fail(book, PolyglotStatus::READ_ERROR);
    for (size_t i = 0; i < bytes.size(); i += POLYGLOT_ENTRY_BYTES)
        out->push_back(decode(&bytes[i]));
    return true;
}

bool read_entry(PolyglotBook* book, int64_t index, PolyglotEntry* e)
{
    std::vector<PolyglotEntry> one;
    if (!read_block(book, index, 1, &one)) return false;
    *e = one[0];
    return true;
}

// Every entry, block by block, into out (when given), checking that no key decreases.
bool read_in_order(PolyglotBook* book, std::vector<PolyglotEntry>* out)
{
    std::vector<PolyglotEntry> block;
    uint64_t previous = 0;
    for (int64_t done = 0; done < book->entries; done += READ_ALL_BLOCK_ENTRIES) {
        block.clear();
        if (!read_block(book, done, std::min(READ_ALL_BLOCK_ENTRIES, book->entries - done), &block))
            return false;
        for (const PolyglotEntry& e : block) {
            if (e.key < previous) return fail(book, PolyglotStatus::UNSORTED);
            previous = e.key;
        }
        if (out != nullptr) out->insert(out->end(), block.begin(), block.end());
    }
    return true;
}

// A small book is checked whole; in a large one the keys at evenly spaced indices, first and
// last included, must not decrease (the rest is checked along each lookup's path).
bool check_order(PolyglotBook* book)
{
    const int64_t n = book->entries;
    if (n <= FULL_CHECK_ENTRIES) return read_in_order(book, nullptr);
    uint64_t previous = 0;
    for (int64_t s = 0; s < SAMPLE_ENTRIES; ++s) {
        PolyglotEntry e;
        if (!read_entry(book, s * (n - 1) / (SAMPLE_ENTRIES - 1), &e)) return false;
        if (e.key < previous) return fail(book, PolyglotStatus::UNSORTED);
        previous = e.key;
    }
    return true;
}

std::string lower_extension(const char* path)
{
    std::string ext = std::filesystem::path(path).extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

}  // namespace

PolyglotStatus polyglot_open(PolyglotBook* book, const char* path)
{
    polyglot_close(book);
    *book = PolyglotBook{};
    book->path = path;
    std::error_code ec;
    const auto st = std::filesystem::status(path, ec);
    if (ec || !std::filesystem::exists(st)) return book->status = PolyglotStatus::NOT_OPENED;
    // A directory, a device or a pipe has no length to check, and /dev/zero would never end.
    if (!std::filesystem::is_regular_file(st)) return book->status = PolyglotStatus::NOT_REGULAR;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec) return book->status = PolyglotStatus::NOT_OPENED;
    book->bytes = static_cast<int64_t>(size);
    if (size == 0) return book->status = PolyglotStatus::EMPTY_FILE;
    if (size % POLYGLOT_ENTRY_BYTES != 0) return book->status = PolyglotStatus::ODD_LENGTH;
    book->file = std::fopen(path, "rb");
    if (book->file == nullptr) return book->status = PolyglotStatus::NOT_OPENED;
    // A lookup reads a few scattered entries: no buffer to fill (the system caches the pages),
    // and every read sees the file as it is now.
    std::setvbuf(book->file, nullptr, _IONBF, 0);
    book->entries = book->bytes / POLYGLOT_ENTRY_BYTES;
    book->status = PolyglotStatus::OK;
    check_order(book);
    return book->status;
}

void polyglot_close(PolyglotBook* book)
{
    if (book->file != nullptr) std::fclose(book->file);
    book->file = nullptr;
}

bool polyglot_find(PolyglotBook* book, uint64_t key, std::vector<PolyglotEntry>* out)
{
    out->clear();
    if (book->status != PolyglotStatus::OK) return false;
    // Narrow down to a few entries holding the first one not below the target. The keys met on
    // the way must agree with a sorted file: each probe lies between the keys probed on either
    // side of it before.
    int64_t lo = 0, hi = book->entries;
    uint64_t below = 0, above = UINT64_MAX;
    while (hi - lo > SCAN_ENTRIES) {
        const int64_t mid = lo + (hi - lo) / 2;
        PolyglotEntry e;
        if (!read_entry(book, mid, &e)) return false;
        if (e.key < below || e.key > above) return fail(book, PolyglotStatus::UNSORTED);
        if (e.key < key) {
            lo = mid + 1;
            below = e.key;
        } else {
            hi = mid;
            above = e.key;
        }
    }
    // Then read on, a block at a time, to the end of the key's run. Keys must not decrease
    // anywhere in what was read, past the run too.
    std::vector<PolyglotEntry> block;
    uint64_t previous = below;
    bool past_run = false;
    for (int64_t i = lo; i < book->entries && !past_run; i += SCAN_ENTRIES) {
        block.clear();
        if (!read_block(book, i, std::min(SCAN_ENTRIES, book->entries - i), &block)) return false;
        for (const PolyglotEntry& e : block) {
            if (e.key < previous) return fail(book, PolyglotStatus::UNSORTED);
            previous = e.key;
            past_run = past_run || e.key > key;
            if (e.key != key) continue;
            if (out->size() == MAX_ENTRIES_PER_KEY) return fail(book, PolyglotStatus::UNSORTED);
            out->push_back(e);
        }
    }
    return true;
}

bool polyglot_read_all(PolyglotBook* book, std::vector<PolyglotEntry>* out)
{
    out->clear();
    if (book->status != PolyglotStatus::OK) return false;
    out->reserve(static_cast<size_t>(book->entries));
    return read_in_order(book, out);
}

std::string polyglot_problem(const PolyglotBook& book)
{
    const std::string name = book.path;
    switch (book.status) {
        case PolyglotStatus::OK:
            return "";
        case PolyglotStatus::NOT_OPENED:
            return name + ": cannot open the book";
        case PolyglotStatus::NOT_REGULAR:
            return name + ": not a regular file, no Polyglot book";
        case PolyglotStatus::EMPTY_FILE:
            return name + ": empty file, no Polyglot book";
        case PolyglotStatus::ODD_LENGTH:
            return name + ": " + std::to_string(book.bytes) +
                   " bytes, not a whole number of 16-byte entries: no Polyglot book";
        case PolyglotStatus::UNSORTED:
            return name + ": keys out of order: a damaged Polyglot book";
        case PolyglotStatus::READ_ERROR:
            return name + ": read error in the Polyglot book";
    }
    return name;
}

std::string polyglot_problem_fr(const PolyglotBook& book)
{
    const std::string name = "Livre <" + book.path + "> refuse : ";
    switch (book.status) {
        case PolyglotStatus::OK:
            return "";
        case PolyglotStatus::NOT_OPENED:
            return name + "fichier introuvable";
        case PolyglotStatus::NOT_REGULAR:
            return name + "pas un fichier ordinaire";
        case PolyglotStatus::EMPTY_FILE:
            return name + "fichier vide";
        case PolyglotStatus::ODD_LENGTH:
            return name + std::to_string(book.bytes) + " octets, pas un multiple de 16";
        case PolyglotStatus::UNSORTED:
            return name + "cles dans le desordre";
        case PolyglotStatus::READ_ERROR:
            return name + "erreur de lecture";
    }
    return name;
}

bool write_polyglot_file(const char* path, std::vector<PolyglotEntry> entries)
{
    std::sort(entries.begin(), entries.end(), [](const PolyglotEntry& a, const PolyglotEntry& b) {
        if (a.key != b.key) return a.key < b.key;
        if (a.weight != b.weight) return a.weight > b.weight;
        return a.move < b.move;
    });
    AtomicFile f;
    if (!atomic_open(&f, path)) return false;
    unsigned char b[POLYGLOT_ENTRY_BYTES];
    bool ok = true;
    for (size_t i = 0; ok && i < entries.size(); ++i) {
        put_be(b, entries[i].key, 8);
        put_be(b + 8, entries[i].move, 2);
        put_be(b + 10, entries[i].weight, 2);
        put_be(b + 12, entries[i].learn, 4);
        ok = std::fwrite(b, 1, sizeof b, f.stream) == sizeof b;
    }
    if (!ok) {
        atomic_discard(&f);
        return false;
    }
    return atomic_commit(&f);
}

bool has_polyglot_name(const char* path)
{
    return lower_extension(path) == ".bin";
}

bool is_polyglot_book(const char* path)
{
    if (has_polyglot_name(path)) return true;
    if (lower_extension(path) == ".bok") return false;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    const auto size = std::filesystem::file_size(path, ec);
    return !ec && size > 0 && size % POLYGLOT_ENTRY_BYTES == 0;
}
