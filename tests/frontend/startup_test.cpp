// Start-up: the built program is run as a child process with a given command line and input,
// and its output is compared line by line from the start; the budget parser and the speed
// kernel's division guards are called directly.
#include "frontend/startup.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

namespace {

struct RunResult {
    int status = -1;
    std::vector<std::string> lines;
};

// Runs the program in a scratch directory with `input` as its whole standard input.
RunResult run_engine(const std::string& args, const std::string& input)
{
    char dir[] = "/tmp/quarvelin_startup_XXXXXX";
    if (mkdtemp(dir) == nullptr) return {};
    std::string in_path = std::string(dir) + "/input.txt";
    std::ofstream(in_path, std::ios::binary) << input;
    std::string command = std::string("cd ") + dir + " && timeout 60 " + QUARVELIN_BINARY + " " +
                          args + " < input.txt 2>&1";
    RunResult result;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return result;
    std::string text;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, got);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    size_t start = 0;
    for (size_t nl = text.find('\n'); nl != std::string::npos; nl = text.find('\n', start)) {
        result.lines.push_back(text.substr(start, nl - start));
        start = nl + 1;
    }
    if (start < text.size()) result.lines.push_back(text.substr(start));
    std::system((std::string("rm -rf ") + dir).c_str());
    return result;
}

const std::vector<std::string> BANNER = {"********************", "*    Quarvelin     *",
                                         "*  Par Ardoiseaux  *", "********************"};

std::vector<std::string> expecting(const std::string& command)
{
    return {"Quarvelin was expecting the command \"" + command + "\"", "Starting in text mode.",
            "Type help for the list of the commands."};
}

// The text-mode cache report for the default budget of 128 MB.
const std::vector<std::string> REPORT_128MB = {
    "Hash_table - 16 octets/cellule",
    "4194304 cellules / 67108864 octets (64 Mo)",
    "mask = 00000000 00111111 11111111 11111100 ",
    "Eval_hash_table - 12 octets/cellule",
    "4194304 cellules / 50331648 octets (48 Mo)",
    "mask = 00000000 00111111 11111111 11111110 ",
    "Pawn_hash_table - 28 octets/cellule",
    "262144 cellules / 7340032 octets (7 Mo)",
    "mask = 00000000 00000011 11111111 11111111 ",
    "Materiel_hash_table - 12 octets/cellule",
    "256 cellules / 3072 octets (0 Mo)",
    "mask = 00000000 00000000 00000000 11111111 ",
    "King_hash_table - 12 octets/cellule",
    "524288 cellules / 6291456 octets (6 Mo)",
    "mask = 00000000 00000111 11111111 11111110 ",
};

const std::vector<std::string> REPORT_32MB = {
    "Hash_table - 16 octets/cellule",
    "1048576 cellules / 16777216 octets (16 Mo)",
    "mask = 00000000 00001111 11111111 11111100 ",
    "Eval_hash_table - 12 octets/cellule",
    "1048576 cellules / 12582912 octets (12 Mo)",
    "mask = 00000000 00001111 11111111 11111110 ",
    "Pawn_hash_table - 28 octets/cellule",
    "65536 cellules / 1835008 octets (1 Mo)",
    "mask = 00000000 00000000 11111111 11111111 ",
    "Materiel_hash_table - 12 octets/cellule",
    "256 cellules / 3072 octets (0 Mo)",
    "mask = 00000000 00000000 00000000 11111111 ",
    "King_hash_table - 12 octets/cellule",
    "131072 cellules / 1572864 octets (1 Mo)",
    "mask = 00000000 00000001 11111111 11111110 ",
};

const char* const SPEED_LINE = "Estimated CPU speed: [0-9]+";

// Compares the first lines of the output with `expected`, where an entry equal to SPEED_LINE is
// matched as a pattern.
void expect_output_starts_with(const RunResult& run, const std::vector<std::string>& expected)
{
    ASSERT_GE(run.lines.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] == SPEED_LINE)
            EXPECT_TRUE(std::regex_match(run.lines[i], std::regex(SPEED_LINE))) << run.lines[i];
        else
            EXPECT_EQ(run.lines[i], expected[i]) << "line " << i;
    }
}

std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> all;
    for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

std::vector<std::string> text_start(const std::vector<std::string>& report)
{
    return concat({BANNER, {SPEED_LINE}, report});
}

}  // namespace

TEST(StartupProcess, TextArgumentPrintsBannerSpeedAndCacheReport)
{
    RunResult run = run_engine("text", "");
    EXPECT_EQ(run.status, 0);
    expect_output_starts_with(run, text_start(REPORT_128MB));
}

TEST(StartupProcess, XboardHandshakeAnnouncesFeaturesAroundTheSpeedLine)
{
    // No argument means xboard mode; "text xboard" shows that the last argument wins.
    for (const char* args : {"", "text xboard"}) {
        RunResult run = run_engine(args, "xboard\nprotover 2\n");
        EXPECT_EQ(run.status, 0) << args;
        expect_output_starts_with(
            run, {"feature myname=\"Quarvelin\" setboard=1 done=0", SPEED_LINE, "feature done=1"});
        for (const std::string& line : run.lines) EXPECT_NE(line, BANNER[1]) << args;
    }
}

TEST(StartupProcess, HandshakeFallsBackToTextMode)
{
    RunResult wrong_first = run_engine("", "help\n");
    EXPECT_EQ(wrong_first.status, 0);
    expect_output_starts_with(wrong_first, concat({expecting("xboard"), text_start(REPORT_128MB)}));

    RunResult wrong_second = run_engine("xboard", "xboard\nnew\n");
    EXPECT_EQ(wrong_second.status, 0);
    expect_output_starts_with(wrong_second,
                              concat({expecting("protover N"), text_start(REPORT_128MB)}));

    RunResult no_input = run_engine("", "");
    EXPECT_EQ(no_input.status, 0);
    expect_output_starts_with(no_input, concat({expecting("xboard"), BANNER}));
}

TEST(StartupProcess, VeryLongHandshakeWordsAreReadSafely)
{
    std::string huge(200000, 'x');
    RunResult first = run_engine("", huge + " xboard\n");
    EXPECT_EQ(first.status, 0);
    expect_output_starts_with(first, concat({expecting("xboard"), BANNER}));

    // A word that begins with "xboard" but goes on is not "xboard".
    RunResult prefixed = run_engine("", "xboard" + huge + "\n");
    expect_output_starts_with(prefixed, concat({expecting("xboard"), BANNER}));

    RunResult second = run_engine("", "xboard " + huge + "\n");
    EXPECT_EQ(second.status, 0);
    expect_output_starts_with(second, concat({expecting("protover N"), BANNER}));
}

TEST(StartupProcess, HashArgumentSizesTheCaches)
{
    expect_output_starts_with(run_engine("text H32", ""), text_start(REPORT_32MB));
    // Lower-case letter; a later malformed H argument changes nothing.
    expect_output_starts_with(run_engine("h32 text Hx H", ""), text_start(REPORT_32MB));
    expect_output_starts_with(run_engine("text H -H64 64", ""), text_start(REPORT_128MB));
}

TEST(StartupProcess, AbsurdHashBudgetIsIgnored)
{
    RunResult huge = run_engine("text H100000000", "");
    EXPECT_EQ(huge.status, 0);
    expect_output_starts_with(huge, text_start(REPORT_128MB));

    // A number that does not even fit in 64 bits must not wrap to some small budget.
    RunResult overflow = run_engine("text H32 H18446744073709551648", "");
    EXPECT_EQ(overflow.status, 0);
    expect_output_starts_with(overflow, text_start(REPORT_32MB));
}

TEST(StartupCommandLine, HashArgumentParsing)
{
    uint32_t mb = 7;
    EXPECT_TRUE(parse_hash_argument("H64", &mb));
    EXPECT_EQ(mb, 64u);
    EXPECT_TRUE(parse_hash_argument("h16MB", &mb));  // digits are read up to the first other
    EXPECT_EQ(mb, 16u);
    EXPECT_TRUE(parse_hash_argument("H0", &mb));
    EXPECT_EQ(mb, 0u);
    EXPECT_TRUE(parse_hash_argument("H65536", &mb));
    EXPECT_EQ(mb, MAX_HASH_MEGABYTES);

    mb = 7;
    for (const char* bad : {"H", "h", "Hx", "H-1", "X64", "", "H65537", "H4294967296",
                            "H99999999999999999999999999"}) {
        EXPECT_FALSE(parse_hash_argument(bad, &mb)) << bad;
        EXPECT_EQ(mb, 7u) << bad;
    }
}

TEST(StartupCommandLine, LastArgumentWins)
{
    uint32_t saved_mode = mode_flags, saved_budget = hash_budget;
    char prog[] = "quarvelin", text[] = "text", xboard[] = "xboard", h8[] = "H8", h9[] = "h9",
         junk[] = "Text";
    char* argv1[] = {prog, xboard, h8, text, h9, junk};
    parse_command_line(6, argv1);
    EXPECT_EQ(mode_flags, MODE_TEXT);
    EXPECT_EQ(hash_budget, 9u);
    char* argv2[] = {prog, text, xboard};
    parse_command_line(3, argv2);
    EXPECT_EQ(mode_flags, MODE_XBOARD);
    EXPECT_EQ(hash_budget, 9u);
    mode_flags = saved_mode;
    hash_budget = saved_budget;
}

TEST(StartupCommandLine, BudgetInBytesDoesNotOverflow32Bits)
{
    EXPECT_EQ(hash_budget_bytes(128), uint64_t{134217728});
    EXPECT_EQ(hash_budget_bytes(4096), uint64_t{1} << 32);
    EXPECT_EQ(hash_budget_bytes(MAX_HASH_MEGABYTES), uint64_t{1} << 36);
}

TEST(StartupSpeed, KernelDivisionNeverTraps)
{
    EXPECT_EQ(kernel_quotient(-7, 2), -3);  // truncation toward zero
    EXPECT_EQ(kernel_remainder(-7, 2), -1);
    EXPECT_EQ(kernel_quotient(7, -2), -3);
    EXPECT_EQ(kernel_remainder(7, -2), 1);
    EXPECT_EQ(kernel_quotient(12345, 0), 0);
    EXPECT_EQ(kernel_remainder(12345, 0), 12345);
    EXPECT_EQ(kernel_quotient(INT32_MIN, -1), INT32_MIN);
    EXPECT_EQ(kernel_remainder(INT32_MIN, -1), 0);
    EXPECT_EQ(kernel_quotient(INT32_MIN, 1), INT32_MIN);
    EXPECT_EQ(kernel_remainder(INT32_MIN, 3), -2);
}

TEST(StartupSpeed, MeasurementGivesAPositiveFigure)
{
    int32_t sink = 0;
    int32_t speed = mesure_vitesse_cpu(1, &sink);
    EXPECT_GT(speed, 0);
}
