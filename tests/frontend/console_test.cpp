// The console as a user meets it: scripted sessions of the real program in a scratch directory,
// each answer compared with what the console must print, plus the argument reader in-process.
#include "frontend/console.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

constexpr const char* ANY = "(not compared)";

std::string help_text()
{
    const std::string rule = std::string(75, '-') + "\n";
    return rule + std::string(21, ' ') + "Quarvelin - par Ardoiseaux\n" + rule +
           "g1f3 / e1g1 / a7b8Q : effectue les coup Cg1f3 / O-O / a7xb8=D\n"
           "+                   : donne le trait a Quarvelin\n"
           "-                   : recule d'un demi-coup\n"
           "%                   : statistiques sur le dernier search\n"
           "both                : Quarvelin joue pour les deux camps\n"
           "book s/u            : s - affiche (ou pas) les coups en bibliotheque\n"
           "                    : u - utilise (ou pas) la bibliotheque\n"
           "chkbk N             : effectue un search de N demi-coups pour toutes les\n"
           "                      positions en bibliotheque\n"
           "clear               : vide toutes les tables de hachage\n"
           "d                   : affiche l'echiquier\n"
           "depth Dmin Dmax     : fixe la profondeur min et la profondeur max\n"
           "Echap               : stoppe les calculs de Quarvelin et attend une commande\n"
           "edit_book           : passe en mode edition de bibliotheque\n"
           "epd_load filename   : charge un fichier de positions au format epd\n"
           "epd_next            : charge la position suivante\n"
           "exit / quit         : quitte le programme\n"
           "flip                : retourne l'echiquier\n"
           "m                   : affiche les coups legaux\n"
           "ml                  : affiche l'historique des coups\n"
           "new                 : nouvelle partie\n"
           "pat X               : valeur partie nulle pour les blancs (en 100e de pion)\n"
           "perf                : teste la vitesse de Quarvelin sur cet ordinateur\n"
           "perft N             : construit un arbre de profondeur N\n"
           "ponder              : reflexion permanente on/off\n"
           "pv                  : affiche la principale variation\n"
           "time T              : Quarvelin a T secondes par coup\n"
           "tournament X Y Z    : passe en mode tournoi\n"
           "                      X: temps initial, Y: increment, Z: temps operateur\n"
           "sav                 : sauvegarde la liste des coups\n"
           "status              : etat des variables internes\n" +
           rule;
}

constexpr const char* TOP = " █▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀▀█\n";
constexpr const char* BOTTOM = " █▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄▄█\n";
constexpr const char* CASTLING = "Blancs: o-o-o o-o / Noirs: o-o-o o-o\n";
constexpr const char* INITIAL_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -\n";

// The board with the given rank lines between the frame lines, then the file letters.
std::string board(const char* ranks, const char* files)
{
    return std::string(TOP) + ranks + BOTTOM + files + CASTLING;
}

std::string initial_board()
{
    return board(
        "8█-R-N-B-Q-K-B-N-R █\n7█-P-P-P-P-P-P-P-P █\n6█ . . . . . . . . █\n"
        "5█ . . . . . . . . █\n4█ . . . . . . . . █\n3█ . . . . . . . . █\n"
        "2█ P P P P P P P P █\n1█ R N B Q K B N R █\n",
        "   A B C D E F G H\n");
}

std::string status_block(const char* level, const char* depths, const char* use, int draw,
                         int operator_ms)
{
    const std::string rule = std::string(34, '-') + "\n";
    return rule + "Niveau                  : " + level + "\n" +
           "Profondeur              : " + depths + "\n" + "Montre la bibliotheque  : non\n" +
           "Utilise la bibliotheque : " + use + "\n" +
           "Nulle pour les blancs   : " + std::to_string(draw) + "\n" +
           "Reflexion permanente    : off\n" + "Etat de la partie       : * {Game in progress}\n" +
           "Temps operateur         : " + std::to_string(operator_ms) + " ms\n" + rule;
}

}  // namespace

// One session over the commands that change settings and show the game, each answer exact.
TEST(ConsoleSession, CommandsAnswerExactly)
{
    const std::string flipped = board(
        "1█ R N B K Q B N R █\n2█ P P P P P P P P █\n3█ . . . . . . . . █\n"
        "4█ . . . . . . . . █\n5█ . . . . . . . . █\n6█ . . . . . . . . █\n"
        "7█-P-P-P-P-P-P-P-P █\n8█-R-N-B-K-Q-B-N-R █\n",
        "   H G F E D C B A\n");
    const std::string after_e4 = board(
        "8█-R-N-B-Q-K-B-N-R █\n7█-P-P-P-P-P-P-P-P █\n6█ . . . . . . . . █\n"
        "5█ . . . . . . . . █\n4█ . . . . P . . . █\n3█ . . . . . . . . █\n"
        "2█ P P P P . P P P █\n1█ R N B Q K B N R █\n",
        "   A B C D E F G H\n");
    const std::string clocks = "Blancs:  0: 5: 0 (+2 s)\nNoirs:   0: 5: 0 (+2 s)\n";
    const std::vector<std::pair<std::string, std::string>> steps = {
        {"help", help_text()},
        {"status", status_block("temps par coup", "[ 5 ; 42 ]", "oui", 0, 0)},
        {"d", initial_board() + INITIAL_FEN},
        {"flip", flipped},
        {"D ignored words", flipped + INITIAL_FEN},
        {"flip", initial_board()},
        {"-", initial_board()},
        {"m",
         "\nTous les coups:\n1 Nb1a3 2 Nb1c3 3 Ng1f3 4 Ng1h3 5 a3 6 a4 7 b3 8 b4\n"
         "9 c3 10 c4 11 d3 12 d4 13 e3 14 e4 15 f3 16 f4\n17 g3 18 g4 19 h3 20 h4 \n"
         "\nCaptures:\n\n\nEchecs:\n\n\nPromotions:\n\n"},
        {"E2E4", after_e4},
        {"e2e4", "Coup \"e2e4\" impossible\n"},
        {"foo", "\"foo\"\n"},
        {"e7e5", ANY},  // checked through "ml" and game.pgn below
        {"g1f3", ANY},
        {"ml", "1. e4 e5 2. Ng1f3 \n"},
        {"sav", "Partie sauvee dans <game.pgn>\n"},
        {"pat -2147483648", "partie nulle pour les blancs = -10000\n"},
        {"pat 12", "partie nulle pour les blancs = 12\n"},
        {"pat x", "partie nulle pour les blancs = 12\n"},
        {"depth 0 0", "profondeur_min = 5 - profondeur_max = 42\n"},
        {"depth 50 60", "profondeur_min = 42 - profondeur_max = 42\n"},
        {"depth 3", "profondeur_min = 3 - profondeur_max = 42\n"},
        {"book x", ""},
        {"book U", ""},
        {"BOOK u", ""},
        {"time", ""},
        {"time 3", ""},
        {"status", status_block("temps par coup", "[ 3 ; 42 ]", "non", 12, 0)},
        {"tournament 0 9 9",
         "Blancs:  0: 0: 0 (+0 s)\nNoirs:   0: 0: 0 (+0 s)\nTime Operator = 0s\n"},
        {"tournament 5 2 1", clocks + "Time Operator = 1s\n"},
        {"tournament 5 2", clocks + "Time Operator = 1s\n"},
        {"ponder", "Pondering on\n"},
        {"ponder", "Pondering off\n"},
        {"clear", "Tables reinitialisees.\n"},
        {"chkbk 0", ""},
        {"chkbk 10", ""},
        {"status",
         status_block("temps par partie + increment par coup", "[ 5 ; 42 ]", "non", 12, 1000)},
        {"quit", "Fermeture de Quarvelin\n"},
    };
    std::string script;
    for (const auto& step : steps) script += step.first + "\n";
    const ScratchDir dir;
    const CommandRun s = run_console(dir.dir, script);
    EXPECT_EQ(s.status, 0);
    const std::vector<std::string> got = answers(s.out);
    ASSERT_EQ(got.size(), steps.size()) << s.out;
    for (size_t i = 0; i < steps.size(); ++i)
        if (steps[i].second != ANY) {
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
    EXPECT_EQ(capture_stdout([&] { EXPECT_EQ(epd_load((dir / "one.epd").c_str()), -1); }),
              "Ligne trop longue (plus de 65536 caracteres)\n");
    EXPECT_EQ(epd_file, nullptr);
    EXPECT_EQ(capture_stdout([] { EXPECT_EQ(epd_next(), -1); }), "");
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
