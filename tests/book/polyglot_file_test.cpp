// The Polyglot reader on files of every kind: good books (lookups at the ends, in the middle,
// absent keys, runs of one key), and files it must refuse with a message naming them, without
// reading past their end or hanging: empty, odd or truncated lengths, unsorted keys (found at
// opening, or on a lookup's path in a book too large to check whole), a folder, /dev/zero.
#include "book/polyglot_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "polyglot_test_books.h"

namespace {

// n entries with keys 10, 20, 30, ..., each key k carrying k % 3 + 1 entries (moves 1, 2, 3).
std::vector<PolyglotEntry> ladder(int n)
{
    std::vector<PolyglotEntry> out;
    for (int i = 1; static_cast<int>(out.size()) < n; ++i)
        for (int j = 0; j <= i % 3 && static_cast<int>(out.size()) < n; ++j)
            out.push_back({uint64_t(10 * i), uint16_t(j + 1), uint16_t(i), 0});
    return out;
}

PolyglotStatus open_image(const ScratchDir& dir, const std::string& bytes, PolyglotBook* book)
{
    write_file(dir / "b.bin", bytes);
    return polyglot_open(book, (dir / "b.bin").c_str());
}

TEST(PolyglotFile, LookupsFindEveryRunAndNothingElse)
{
    const ScratchDir dir;
    for (int n : {1, 2, 7, 1000, 70000}) {  // the last is too large to be checked whole
        const std::vector<PolyglotEntry> all = ladder(n);
        PolyglotBook book;
        ASSERT_EQ(open_image(dir, polyglot_image(all), &book), PolyglotStatus::OK) << n;
        EXPECT_EQ(book.entries, n);
        std::vector<PolyglotEntry> found;
        for (uint64_t key : {uint64_t{0}, uint64_t{5}, uint64_t{10}, uint64_t{15}, all[n / 2].key,
                             all.back().key, all.back().key + 1, UINT64_MAX}) {
            ASSERT_TRUE(polyglot_find(&book, key, &found)) << n << " " << key;
            const auto want = std::count_if(all.begin(), all.end(),
                                            [&](const PolyglotEntry& e) { return e.key == key; });
            EXPECT_EQ(static_cast<long>(found.size()), want) << n << " " << key;
            for (size_t i = 0; i < found.size(); ++i) {
                EXPECT_EQ(found[i].key, key);
                EXPECT_EQ(found[i].move, i + 1);  // file order kept
            }
        }
        polyglot_close(&book);
    }
}

struct BadFile {
    const char* what;
    std::string bytes;  // written to b.bin unless path is set
    const char* path;
    PolyglotStatus status;
    const char* message;  // in the English problem text, after the file's name
};

TEST(PolyglotFile, DamagedFilesAreRefusedNamingTheFile)
{
    const ScratchDir dir;
    const std::string good = polyglot_image(ladder(8));
    std::vector<PolyglotEntry> swapped = ladder(8);
    std::swap(swapped[2], swapped[6]);
    const BadFile cases[] = {
        {"empty", "", nullptr, PolyglotStatus::EMPTY_FILE, ": empty file"},
        {"one byte short", good.substr(0, good.size() - 1), nullptr, PolyglotStatus::ODD_LENGTH,
         ": 127 bytes, not a whole number of 16-byte entries"},
        {"truncated mid-entry", good.substr(0, 40), nullptr, PolyglotStatus::ODD_LENGTH,
         ": 40 bytes"},
        {"odd length", good + "x", nullptr, PolyglotStatus::ODD_LENGTH, ": 129 bytes"},
        {"unsorted", polyglot_image(swapped), nullptr, PolyglotStatus::UNSORTED,
         ": keys out of order"},
        {"a folder", "", "/tmp", PolyglotStatus::NOT_REGULAR, ": not a regular file"},
        {"/dev/zero", "", "/dev/zero", PolyglotStatus::NOT_REGULAR, ": not a regular file"},
        {"missing", "", "/nonexistent/book.bin", PolyglotStatus::NOT_OPENED, ": cannot open"},
    };
    for (const BadFile& c : cases) {
        PolyglotBook book;
        std::string path = c.path != nullptr ? c.path : (dir / "b.bin").string();
        if (c.path == nullptr) write_file(path, c.bytes);
        EXPECT_EQ(polyglot_open(&book, path.c_str()), c.status) << c.what;
        EXPECT_EQ(book.file, nullptr) << c.what;
        const std::string problem = polyglot_problem(book);
        EXPECT_EQ(problem.rfind(path + c.message, 0), 0u) << c.what << ": " << problem;
        EXPECT_NE(polyglot_problem_fr(book).find("<" + path + ">"), std::string::npos) << c.what;
        std::vector<PolyglotEntry> found;
        EXPECT_FALSE(polyglot_find(&book, 10, &found)) << c.what;
        EXPECT_TRUE(found.empty()) << c.what;
    }
}

// A book too large to be checked whole at opening: the disorder is found when a lookup's path
// crosses it, and the book is closed then. Entries off every sampled index and off the path
// of other lookups stay unnoticed, as they cost nothing.
TEST(PolyglotFile, DisorderInALargeBookIsFoundOnTheLookupPath)
{
    const ScratchDir dir;
    std::vector<PolyglotEntry> all = ladder(100001);
    const size_t middle = all.size() / 2 + 1;  // on the path to its own key, not sampled
    const uint64_t wanted = all[middle].key;
    all[middle].key = 1;
    PolyglotBook book;
    ASSERT_EQ(open_image(dir, polyglot_image(all), &book), PolyglotStatus::OK);
    std::vector<PolyglotEntry> found;
    EXPECT_FALSE(polyglot_find(&book, wanted, &found));
    EXPECT_EQ(book.status, PolyglotStatus::UNSORTED);
    EXPECT_EQ(book.file, nullptr);
    EXPECT_FALSE(polyglot_find(&book, 10, &found));
}

// The whole read checks the order of every entry.
TEST(PolyglotFile, ReadAllChecksEveryEntry)
{
    const ScratchDir dir;
    std::vector<PolyglotEntry> all = ladder(70000);
    PolyglotBook book;
    std::vector<PolyglotEntry> read;
    ASSERT_EQ(open_image(dir, polyglot_image(all), &book), PolyglotStatus::OK);
    ASSERT_TRUE(polyglot_read_all(&book, &read));
    EXPECT_EQ(read.size(), all.size());
    EXPECT_EQ(read[12345].key, all[12345].key);
    all[12345].key = 0;  // off the opening's sample
    ASSERT_EQ(open_image(dir, polyglot_image(all), &book), PolyglotStatus::OK);
    EXPECT_FALSE(polyglot_read_all(&book, &read));
    EXPECT_EQ(book.status, PolyglotStatus::UNSORTED);
}

// The writer sorts by key, heaviest first, and lays entries out big-endian.
TEST(PolyglotFile, WriterSortsAndWritesBigEndian)
{
    const ScratchDir dir;
    const std::vector<PolyglotEntry> entries = {
        {0x0102030405060708ULL, 0x0a0b, 5, 0}, {1, 7, 1, 0}, {1, 8, 9, 0}};
    ASSERT_TRUE(write_polyglot_file((dir / "w.bin").c_str(), entries));
    const std::string bytes = file_text(dir / "w.bin");
    ASSERT_EQ(bytes.size(), 48u);
    EXPECT_EQ(bytes.substr(32), std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x0a\x0b\x00\x05"
                                            "\x00\x00\x00\x00",
                                            16));
    PolyglotBook book;
    std::vector<PolyglotEntry> read;
    ASSERT_EQ(polyglot_open(&book, (dir / "w.bin").c_str()), PolyglotStatus::OK);
    ASSERT_TRUE(polyglot_read_all(&book, &read));
    EXPECT_EQ(read[0].move, 8);  // weight 9 before weight 1
    EXPECT_EQ(read[1].move, 7);
    EXPECT_FALSE(write_polyglot_file("/nonexistent/w.bin", entries));
}

TEST(PolyglotFile, RecognisedByNameOrByLength)
{
    const ScratchDir dir;
    write_file(dir / "book.dat", polyglot_image(ladder(2)));
    write_file(dir / "odd.dat", "12345");
    write_file(dir / "bibli.bok", polyglot_image(ladder(2)));
    EXPECT_TRUE(is_polyglot_book((dir / "book.dat").c_str()));
    EXPECT_TRUE(is_polyglot_book((dir / "absent.BIN").c_str()));
    EXPECT_FALSE(is_polyglot_book((dir / "odd.dat").c_str()));
    EXPECT_FALSE(is_polyglot_book((dir / "bibli.bok").c_str()));
    EXPECT_FALSE(is_polyglot_book("/dev/zero"));
    EXPECT_FALSE(is_polyglot_book("bibli.bok"));
}

}  // namespace
