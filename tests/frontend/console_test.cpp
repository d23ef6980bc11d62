// The console as a user meets it: scripted sessions of the real program in a scratch directory,
// each answer compared with what the console must print (the longest script is a transcript in
// tests/data), plus the argument reader in-process.
#include "frontend/console.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace {

namespace fs = std::filesystem;

// Runs `quarvelin text` in dir with the script as its standard input.
CommandRun run_console(const fs::path& dir, const std::string& script)
{
    return run_command(dir, "'" QUARVELIN_BINARY "' text H1", script);
}

// What the console printed after each prompt, up to the next prompt.
std::vector<std::string> segments(const std::string& out)
{
    std::vector<std::string> result;
    size_t at = out.find("] /> ");
    while (at != std::string::npos) {
        const size_t next = out.find("] /> ", at + 5);
        result.push_back(out.substr(at + 5, next == std::string::npos ? next : next - at - 5));
        at = next;
    }
    return result;
}

// The answer to the command itself: what precedes the evaluation line of the next pass.
std::vector<std::string> answers(const std::string& out)
{
    std::vector<std::string> result = segments(out);
    for (std::string& s : result) s = s.substr(0, s.find("Eval {"));
    return result;
}

// A console transcript of tests/data: "> command" lines, each followed by the exact answer the
// command must print ("(not compared)" when another check covers it).
std::vector<std::pair<std::string, std::string>> transcript(const char* name)
{
    std::vector<std::pair<std::string, std::string>> steps;
    std::istringstream in(file_text(std::string(QUARVELIN_TEST_DATA) + "/" + name));
    for (std::string line; std::getline(in, line);)
        if (line.rfind("> ", 0) == 0)
            steps.emplace_back(line.substr(2), "");
        else if (!steps.empty())
            steps.back().second += line + "\n";
    return steps;
}

}  // namespace

// One session over the commands that change settings and show the game, each answer exact.
TEST(ConsoleSession, CommandsAnswerExactly)
{
    const auto steps = transcript("console_commands.txt");
    std::string script;
    for (const auto& step : steps) script += step.first + "\n";
    const ScratchDir dir;
    const CommandRun s = run_console(dir.dir, script);
    EXPECT_EQ(s.status, 0);
    const std::vector<std::string> got = answers(s.out);
    ASSERT_EQ(got.size(), steps.size()) << s.out;
    for (size_t i = 0; i < steps.size(); ++i)
        if (steps[i].second != "(not compared)\n") {
            EXPECT_EQ(got[i], steps[i].second) << steps[i].first;
        }
    // The user's clock counts from the session's start, not from the clock's origin.
    EXPECT_NE(segments(s.out)[8].find("Blancs:  0: 0: 0 / Noirs:  0: 0: 0\n"), std::string::npos);
    EXPECT_NE(s.out.find("Blancs:  0: 5: 0 (+2) / Noirs:  0: 5: 0 (+2)\n"), std::string::npos);
    EXPECT_EQ(file_text(dir / "game.pgn"),
              "[Event \"?\"]\n[Site \"?\"]\n[Date \"?\"]\n[Round  \"?\"]\n[White \"?\"]\n"
              "[Black \"?\"]\n[Result \"?\"]\n[TimeControl \"?\"]\n"
              "  1. e4   e5\n  2. Ng1f3    * {Game in progress}\n");
}

// EPD files, a game the engine plays against itself, and the failures that must neither stop
// the console nor read past a buffer: a missing file, an over-long line, an unwritable
// game.pgn, a missing argument and the end of the input without "quit".
TEST(ConsoleSession, EpdSelfPlayAndFailures)
{
    const ScratchDir dir;
    std::ofstream(dir / "positions.epd") << "4k3/8/8/8/8/8/3q4/4K3 w - - bm Kxd2;\n"
                                         << std::string(300, 'x') << "\n"
                                         << "k7/8/2K5/8/8/8/8/7R w - - bm Rh8;\n";
    fs::create_directory(dir / "game.pgn");
    const CommandRun s =
        run_console(dir.dir,
                    "test\nd\nponder\ndepth 1 1\n+\nepd_load missing.epd\nepd_next\n"
                    "epd_load positions.epd\nm\nepd_next\nepd_next\n"
                    "depth 3 3\nboth\nml\nstatus\nsav\npat");
    EXPECT_EQ(s.status, 0);
    const std::vector<std::string> got = answers(s.out);
    ASSERT_EQ(got.size(), 18u) << s.out;
    const std::string game = segments(s.out)[12];
    EXPECT_NE(got[1].find("b4rk1/2p3pp/6r1/PPPp4/1Q1Np2q/3pP1P1/5P1P/R4RK1 b - -\n"),
              std::string::npos);
    // The engine plays Black's move, then the prompt comes back: no ponder search from a file.
    EXPECT_EQ(got[2], "Pondering on\n");
    EXPECT_NE(segments(s.out)[4].find("\n0. ... "), std::string::npos);
    EXPECT_EQ(got[5], "Impossible d'ouvrir missing.epd\n");
    EXPECT_EQ(got[6], "Impossible de charger une position\n");
    EXPECT_EQ(got[7].rfind("Position EPD no 1\n", 0), 0u);
    EXPECT_NE(got[7].find("2█ . . .-Q . . . . █\n"), std::string::npos);
    EXPECT_EQ(got[8].rfind("Evasions:\n1 K", 0), 0u) << got[8];
    EXPECT_NE(got[8].find("Ke1xd2"), std::string::npos);
    // The over-long line is cut, not split: the next read starts on the line after it.
    EXPECT_EQ(got[9].rfind("Position EPD no 2\n", 0), 0u);
    EXPECT_NE(got[9].find("Impossible de charger une position\n"), std::string::npos);
    EXPECT_EQ(got[10].rfind("Position EPD no 3\n", 0), 0u);
    EXPECT_NE(got[10].find("8█-K . . . . . . . █\n"), std::string::npos);
    // Both sides are the engine's until White mates; numbering follows the side that moved.
    EXPECT_NE(game.find("\n1. "), std::string::npos) << game;
    EXPECT_NE(game.find("\n1. ... K"), std::string::npos);
    EXPECT_NE(got[14].find("Etat de la partie       : 1-0 {White mates}\n"), std::string::npos);
    EXPECT_EQ(got[15], "Impossible d'ouvrir <game.pgn>\n");
    EXPECT_EQ(got[16], "partie nulle pour les blancs = 0\n");
    EXPECT_EQ(got[17], "Fermeture de Quarvelin\n");
}

// A device or an endless line would keep the reader busy for ever: both are refused, with a
// message, before a position is touched.
TEST(ConsoleEpd, DevicesAndEndlessLinesAreRefused)
{
    EXPECT_EQ(capture_stdout([] { EXPECT_EQ(epd_load("/dev/zero"), -1); }),
              "/dev/zero n'est pas un fichier ordinaire\n");
    const ScratchDir dir;
    std::ofstream(dir / "one.epd") << std::string(200000, 'x');
    EXPECT_EQ(capture_stdout([&] { EXPECT_EQ(epd_load((dir / "one.epd").c_str()), -2); }),
              "Ligne trop longue (plus de 65536 caracteres)\n");
    EXPECT_EQ(epd_file, nullptr);
    EXPECT_EQ(capture_stdout([] { EXPECT_EQ(epd_next(), -1); }), "");
}

// A file that opened but whose first record is refused is not a file that failed to open; a
// byte-order mark before the first record is no part of it.
TEST(ConsoleSession, EpdLoadTellsARefusedRecordFromAFailedOpen)
{
    const ScratchDir dir;
    std::ofstream(dir / "bad.epd") << "not a position\n";
    std::ofstream(dir / "empty.epd") << "";
    std::ofstream(dir / "bom.epd") << "\xEF\xBB\xBFk7/8/2K5/8/8/8/8/7R w - - bm Rh8;\n";
    const CommandRun s =
        run_console(dir.dir, "epd_load bad.epd\nepd_load empty.epd\nepd_load bom.epd\n");
    const std::vector<std::string> got = answers(s.out);
    ASSERT_GE(got.size(), 3u) << s.out;
    EXPECT_EQ(got[0].find("Impossible d'ouvrir"), std::string::npos) << got[0];
    EXPECT_NE(got[0].find("Impossible de charger une position\n"), std::string::npos) << got[0];
    EXPECT_EQ(got[1], "Impossible de charger une position\n");
    EXPECT_EQ(got[2].rfind("Position EPD no 1\n", 0), 0u) << got[2];
    EXPECT_NE(got[2].find("8█-K . . . . . . . █\n"), std::string::npos) << got[2];
}

// The argument reader: numbers as a decimal scan reads them, words cut to their buffer, and a
// failed read that leaves the rest of the line unread.
TEST(ConsoleReader, NumbersAndWords)
{
    struct Case {
        const char* line;
        bool read;
        int32_t value;
    };
    const Case cases[] = {{"  42 x", true, 42},
                          {"-7", true, -7},
                          {"+5", true, 5},
                          {"x 5", false, 0},
                          {"", false, 0},
                          {"-", false, 0},
                          {"99999999999999", true, INT32_MAX},
                          {"-99999999999999999999", true, INT32_MIN}};
    for (const Case& c : cases) {
        console_set_line(c.line);
        int32_t v = 0;
        EXPECT_EQ(console_number(&v), c.read) << c.line;
        if (c.read) {
            EXPECT_EQ(v, c.value) << c.line;
        }
    }
    console_set_line("12abc 3");
    int32_t v = 0;
    EXPECT_TRUE(console_number(&v));
    EXPECT_FALSE(console_number(&v));  // "abc" stays in the way
    char word[4];
    EXPECT_TRUE(console_word(word, sizeof word));
    EXPECT_STREQ(word, "abc");
    console_set_line(" \t longword  ");
    EXPECT_TRUE(console_word(word, sizeof word));
    EXPECT_STREQ(word, "lon");
    EXPECT_FALSE(console_word(word, sizeof word));
    EXPECT_STREQ(word, "");
}
