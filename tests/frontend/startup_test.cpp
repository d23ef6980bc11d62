// Start-up: the built program is run as a child process with a given command line and input,
// and the first lines of its output are compared with the expected ones; the budget parser and
// the speed kernel (its arithmetic over fixed block counts, its division guards) are called
// directly.
#include "frontend/startup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <fstream>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"

namespace {

using Lines = std::vector<std::string>;

Lines concat(std::initializer_list<Lines> parts)
{
    Lines all;
    for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

const char* const SPEED = "Estimated CPU speed: [0-9]+";  // matched as a pattern
const Lines BANNER = {"********************", "*    Quarvelin     *", "*  Par Ardoiseaux  *",
                      "********************"};
const Lines HANDSHAKE = {"feature myname=\"Quarvelin\" setboard=1 done=0", SPEED, "feature smp=1",
                         "feature done=1"};

Lines expecting(const std::string& command)
{
    return {"Quarvelin was expecting the command \"" + command + "\"", "Starting in text mode.",
            "Type help for the list of the commands."};
}

// The text-mode cache report for the default budget of 128 MB (tests/data); for 32 MB its first
// table, the proof that the budget reached the sizing.
const Lines TEXT_128 =
    concat({BANNER, {SPEED}, lines_of(file_text(QUARVELIN_TEST_DATA "/cache_report_128.txt"))});
const Lines TEXT_32 =
    concat({BANNER,
            {SPEED, "Hash_table - 16 octets/cellule", "1048576 cellules / 16777216 octets (16 Mo)",
             "mask = 00000000 00001111 11111111 11111100 "}});

}  // namespace

TEST(StartupProcess, FirstLinesAndExitStatus)
{
    const std::string huge(200000, 'x');
    const std::tuple<const char*, std::string, Lines> cases[] = {
        {"text", "", TEXT_128},
        {"text xboard", "xboard\nprotover 2\n", HANDSHAKE},  // the last argument wins
        {"", "help\n", concat({expecting("xboard"), TEXT_128})},
        {"xboard", "xboard\nnew\n", concat({expecting("protover N"), TEXT_128})},
        {"", "", concat({expecting("xboard"), BANNER})},
        {"", huge + " xboard\n", concat({expecting("xboard"), BANNER})},  // long words are safe
        {"", "xboard" + huge + "\n", concat({expecting("xboard"), BANNER})},
        {"", "xboard " + huge + "\n", concat({expecting("protover N"), BANNER})},
        {"h32 text Hx H", "", TEXT_32},  // lower case; later malformed ones change nothing
        // nor does one beyond the largest budget, which is said to be ignored
        {"text H32 H18446744073709551648", "",
         concat(
             {{"H18446744073709551648 ignored: the cache budget is at most 65536 MB"}, TEXT_32})},
    };
    for (const auto& [args, input, expected] : cases) {
        SCOPED_TRACE(std::string("arguments \"") + args + "\", input " + input.substr(0, 20));
        const ScratchDir dir;
        const CommandRun run =
            run_command(dir.dir, std::string("timeout 60 " QUARVELIN_BINARY " ") + args, input);
        EXPECT_EQ(run.status, 0);
        const std::vector<std::string> lines = lines_of(run.out);
        ASSERT_GE(lines.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            if (expected[i] == SPEED)
                EXPECT_TRUE(std::regex_match(lines[i], std::regex(SPEED))) << lines[i];
            else
                EXPECT_EQ(lines[i], expected[i]) << "line " << i;
        }
        for (const std::string& line : lines)
            EXPECT_TRUE(expected != HANDSHAKE || line != BANNER[1]) << "banner in xboard mode";
    }
}

TEST(StartupCommandLine, HashArgumentParsingAndTheBudgetInBytes)
{
    const std::pair<const char*, uint32_t> good[] = {
        {"H64", 64}, {"h16MB", 16}, {"H0", 0}, {"H65536", MAX_HASH_MEGABYTES}};
    for (const auto& [text, value] : good) {
        uint32_t mb = 7;
        EXPECT_TRUE(parse_hash_argument(text, &mb) && mb == value) << text;
    }
    for (const char* bad : {"H", "h", "Hx", "H-1", "X64", "", "H65537", "H4294967296",
                            "H99999999999999999999999999"}) {
        uint32_t mb = 7;
        EXPECT_FALSE(parse_hash_argument(bad, &mb)) << bad;
        EXPECT_EQ(mb, 7u) << bad;
    }
    EXPECT_EQ(hash_budget_bytes(4096), uint64_t{1} << 32);  // past 32 bits
    EXPECT_EQ(hash_budget_bytes(MAX_HASH_MEGABYTES), uint64_t{1} << 36);
}

TEST(StartupSpeed, KernelArithmeticAndItsDivisionGuards)
{
    const int32_t cases[][4] = {// dividend, divisor, quotient, remainder
                                {-7, 2, -3, -1},
                                {7, -2, -3, 1},
                                {12345, 0, 0, 12345},
                                {INT32_MIN, -1, INT32_MIN, 0},
                                {INT32_MIN, 3, -715827882, -2}};
    for (const auto& c : cases) {
        EXPECT_EQ(kernel_quotient(c[0], c[1]), c[2]) << c[0] << " / " << c[1];
        EXPECT_EQ(kernel_remainder(c[0], c[1]), c[3]) << c[0] << " % " << c[1];
    }
    int32_t sink = 0;
    EXPECT_GT(mesure_vitesse_cpu(1, &sink), 0);
    // w13 after 1, 2, 10 and 1000 blocks from the seeds, worked out apart from this code.
    const std::pair<int32_t, int32_t> kernel[] = {
        {1, 824958976}, {2, -1602287409}, {10, 1358826220}, {1000, 1166091245}};
    for (const auto& [blocks, w13] : kernel) EXPECT_EQ(speed_kernel(blocks), w13) << blocks;
}

// B<file> names the book: a Polyglot book by its name or its length, a `bibli.bok` otherwise;
// without it the default book is read as before.
TEST(StartupCommandLine, BookArgumentNamesTheBook)
{
    const ScratchDir dir;
    std::ofstream(dir / "mine.bin", std::ios::binary)
        << std::string("\x46\x3b\x96\x18\x16\x91\xfc\x9c\x03\x1c\x00\x01\x00\x00\x00\x00", 16);
    std::ofstream(dir / "mine.dat", std::ios::binary) << file_text(dir / "mine.bin");
    std::ofstream(dir / "odd.bin", std::ios::binary) << "odd";
    const std::pair<std::string, std::string> cases[] = {
        {"Bmine.bin", "Bibliotheque ... livre Polyglot, 1 entrees (0 Ko)"},
        {"bmine.dat", "Bibliotheque ... livre Polyglot, 1 entrees (0 Ko)"},
        {"Bodd.bin", "Bibliotheque ... Livre <odd.bin> refuse : 3 octets, pas un multiple de 16"},
        {"Bnone.bin", "Bibliotheque ... Livre <none.bin> refuse : fichier introuvable"},
        {"Bnone.bok", "Bibliotheque ... Non disponible"},
        {"B", "Bibliotheque ... Non disponible"},  // no name: the default book, absent here
    };
    for (const auto& [arg, line] : cases) {
        const CommandRun run =
            run_command(dir.dir, "timeout 60 " QUARVELIN_BINARY " text H1 " + arg, "quit\n");
        EXPECT_EQ(run.status, 0) << arg;
        const Lines lines = lines_of(run.out);
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << arg << run.out;
    }
    // An xboard session says why it cannot use the book, as a comment line.
    const CommandRun run = run_command(dir.dir, "timeout 60 " QUARVELIN_BINARY " Bodd.bin",
                                       "xboard\nprotover 2\nquit\n");
    EXPECT_NE(run.out.find("\n# odd.bin: 3 bytes, not a whole number of 16-byte entries"),
              std::string::npos)
        << run.out;
}
