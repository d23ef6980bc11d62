// The protocol as an interface sees it: the program runs as a child with a pipe for its input
// and its output collected, fed a whole script (then the end of input) or driven line by line
// while it thinks. Patterns are matched in order, each after the previous match.
#include "frontend/xboard.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>

#include "core/board.h"
#include "core/makemove.h"
#include "eval/evaluation.h"
#include "frontend/commands.h"
#include "frontend/gameend.h"
#include "frontend/settings.h"
#include "movegen/movegen.h"
#include "movegen/notation.h"
#include "search/clock.h"
#include "test_support.h"

namespace {

const std::string MOVE = "\nmove [a-h][1-8][a-h][1-8][QRBN]?\n";

struct Engine : ChildEngine {
    // Runs in a scratch folder with no book file.
    Engine() : ChildEngine({"H8"})
    {
        send("xboard\nprotover 2\n");
    }
};

// Runs a whole script, checks the patterns in order and the exit status; returns the output.
std::string session(const std::string& script, const std::vector<std::string>& patterns = {})
{
    Engine e;
    e.send(script);
    EXPECT_EQ(e.finish(), 0);
    for (const auto& p : patterns) e.expect(p, 0);
    return e.out;
}

int count(const std::string& out, const std::string& pattern)
{
    const std::regex re(pattern);
    return int(std::distance(std::sregex_iterator(out.begin(), out.end(), re), {}));
}

// A game no rule ends: every position new, nothing taken, a pawn step when 80 plies have passed.
std::string endless_game(const char* fen, int plies)
{
    engine_init_for_tests();
    setup_fen(fen);
    std::mt19937 random(7);
    std::string script;
    for (int n = 0; n < plies; ++n) {
        in_check() ? genere_evasions(0) : genere_all_moves(0);
        std::vector<Move> all(ply_start[1] - ply_start[0]), quiet, pushes;
        for (size_t i = 0; i < all.size(); ++i) all[i] = move_stack[ply_start[0] + i].move;
        for (const Move m : all) {  // the game-end test below reuses the list
            make_move(m);
            const bool fine = !own_king_attacked_after_move() && game_end_test() == 0 &&
                              repetition_count() == 1 && move_captured(m) == NO_TYPE &&
                              (move_promotion(m) == NO_TYPE || move_promotion(m) == KNIGHT);
            unmake_move(m);
            if (fine) (move_piece(m) == PAWN ? pushes : quiet).push_back(m);
        }
        auto& pool =
            (ply - pos()->irreversible >= 80 && !pushes.empty()) || quiet.empty() ? pushes : quiet;
        if (pool.empty()) break;
        const Move m = pool[random() % pool.size()];
        char text[8];
        coordinate_text(m, text);
        script += std::string(text) + "\n";
        make_move(m);
    }
    return script;
}

}  // namespace

TEST(XboardSession, HandshakeMovesTakeBacksAndEndOfInput)
{
    // remove keeps the engine playing Black, undo puts it in force mode; go then plays Black.
    // Without its node limit the first search would go on to depth 42.
    const std::string out = session(
        "new\nsn 1000\ne2e4\nremove\ne2e4\nundo\ne7e5\ne2e5\nforce\nd2d4\nremove\nsd 2\ngo\n",
        {"^feature myname=\"Quarvelin\" setboard=1 done=0\n", "\nfeature done=1\n",
         "\n Quarvelin  < \"new\"\n", MOVE, MOVE, "\nIllegal move: e2e5\n",
         "\nmove [a-h][78][a-h][56]\n"});
    EXPECT_EQ(count(out, "Illegal move"), 1);
    EXPECT_EQ(count(out, "\nmove "), 3) << out;
}

// The interface learns of the smp feature before "done=1" and may then set the thread count;
// one that comes during an analysis counts from the next search on.
TEST(XboardSession, CoresSetsTheSearchThreads)
{
    for (const char* script : {"cores 2\nnew\nsd 4\ngo\n", "new\nanalyze\ncores 2\nexit\nsd 4\ngo\n"})
        session(script, {"\nfeature smp=1\nfeature done=1\n",
                         "\n# 2 search threads; each of the 1 helpers", MOVE});
}

// Lines ending in CR LF are the same commands: nothing is unknown, the engine moves and quits.
TEST(XboardSession, CarriageReturnsBeforeTheLineEndsAreDropped)
{
    Engine e;
    e.send("new\r\nsd 2\r\ne2e4\r\nforce\r\ngo\r\nquit\r\n");
    e.expect("\n Quarvelin  < \"new\"\n", 10);
    e.expect(MOVE, 10);
    EXPECT_EQ(e.finish(), 0);
    EXPECT_EQ(count(e.out, "<\\?>|Illegal"), 0) << e.out;
}

TEST(XboardSession, GameEndsAreAnnouncedAndTheEngineStaysSilent)
{
    const std::string cases[][2] = {
        {"new\nsetboard 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1\na1a8\n", "1-0 \\{White mates\\}"},
        {"new\nsetboard 8/8/8/4k3/8/8/8/4K3 w - - 0 1\ne1e2\n",  // a legal move, too late
         "1/2-1/2 \\{Insufficient material\\}\n.*\nIllegal move: e1e2"}};
    for (const auto& c : cases) {
        const std::string out = session(c[0], {"\n" + c[1] + "\n"});
        EXPECT_EQ(count(out, "\nmove "), 0) << out;
        EXPECT_EQ(count(out, "\n[012*/-]+ \\{"), 1) << out;
    }
}

TEST(XboardSession, SettingsSetboardAndLinesSentDuringTheSearch)
{
    // Lines sent while the engine thinks are each performed after its move, in order.
    engine_init_for_tests();
    const char* fen = "8/5k2/3p4/1p1Pp2p/pP2Pp1P/P4P1K/8/8 b - - 0 1";
    setup_fen(fen);
    session(std::string("force\nsetboard ") + fen +
                "\nlevel 40 5 0\nlevel 0 2:30 12\nlevel 0 0:10 0.1\npat 99999\nstatus\nnew\n"
                "time 6000\notim 4500\nforce\nst 1\ngo\nlevel 40 5 0\ntime 100\notim 200\nxyzzy\n" +
                std::string(300, 'x') + "\nsd 3\nstatus\nsd 100\nstatus\n",
            // clang-format off
            {"\nEvaluation\\(\\) = " + std::to_string(evaluation(-30000, 30000)) + "\n",
             "\n Quarvelin pendule : 300 s pour 40 coups\n", " : 150 s \\(\\+12 s\\)\n",
             " : 10 s \\(\\+0 s\\)\n", "\nNiveau  +: temps par partie \\+ increment par coup\n",
             "\nProfondeur  +: \\[ 5 ; 42 \\]\n", "\nNulle pour les blancs   : 10000\n",
             "\nMise a jour temps Noirs : 60000 ms\n",
             "\nMise a jour temps Blancs : 45000 ms\n", "\n Quarvelin search < \"level 40 5 0\"\n",
             MOVE, "\n Quarvelin << \"level 40 5 0\"\n", " pour 40 coups\n",
             "\n Quarvelin  < \"time 100\"\n", "Blancs : 1000 ms\n", "\n Quarvelin  < \"otim 200\"\n",
             "Noirs : 2000 ms\n", "\n Quarvelin <\\?> \"xyzzy\"\n", "\n Quarvelin <\\?> \"x{255}\"\n",
             "\nNiveau  +: profondeur fixe\n", "\\[ 3 ; 3 \\]\n", "\\[ 42 ; 42 \\]\n"});
    // clang-format on
}

TEST(XboardSession, QuestionMarkStopsTheOwnSearchAndAnalysisAnswersDotAndExit)
{
    Engine e;
    e.send("new\nst 60\ngo\n");
    e.expect("\n 1 ");
    e.send("?\n");
    e.expect("\n Quarvelin search < \"\\?\"\n", 10);
    e.expect(MOVE, 10);
    e.send("analyze\n");
    e.expect("\"analyze\"\n");
    e.send(".\n");
    e.expect("\nstat01: [0-9]+ [0-9]+ [0-9]+ [0-9]+ 20 [a-h][1-8][a-h][1-8]\n", 10);
    e.send("exit\n");
    e.expect("\n Quarvelin << \"exit\"\n", 10);
}

TEST(XboardSession, PonderStopsForForceAndTurnsIntoTheSearchOnAHit)
{
    for (const bool hit : {false, true}) {
        Engine e;
        e.send("new\nhard\nst 1\ne2e4\n");
        e.expect(MOVE);
        const std::string hint = e.expect("\nHint: [a-h][1-8][a-h][1-8]").substr(7);
        e.send((hit ? hint : "force") + "\n");
        if (hit) {
            e.expect("\n Quarvelin ---\\( good predicted move: [^ ]+ \\)---\n", 10);
            e.expect(MOVE, 5);
            EXPECT_EQ(e.finish(), 0);  // the next ponder search ends with the input
        } else {
            e.expect("\n Quarvelin search < \"force\"\n");
            e.expect("\n Quarvelin << \"force\"\n", 5);
        }
    }
}

TEST(XboardSession, AGameEndsBeforeItCouldOutgrowThePlyRecords)
{
    const char* fen = "4k3/4pppp/4pppp/8/8/PPPP4/PPPP4/1N2K1N1 w - - 0 1";
    const std::string game = endless_game(fen, MAX_GAME_PLY + 1);
    ASSERT_EQ(count(game, "\n"), MAX_GAME_PLY + 1);
    const std::string last = game.substr(game.rfind('\n', game.size() - 2) + 1);
    const std::string out = session(std::string("force\nsetboard ") + fen + "\n" + game,
                                    {"\n\\* \\{Result unknown\\}\n", "\nIllegal move: " + last});
    EXPECT_EQ(count(out, "Illegal move"), 1);
}

TEST(XboardSession, EngineResignsAtItsFourthLostScoreAndSearchesToTheFixedDepth)
{
    // Black's lone king against queen and rook; White only shuffles its king.
    const std::string out = session(
        "force\nsetboard k7/8/8/8/7Q/7R/8/7K b - - 0 1\nsd 2\ngo\nh1g1\ng1h1\nh1g1\n",
        {"\n 2 +-[0-9]+ +[0-9]+ +[0-9]+  ", MOVE, MOVE, MOVE, "\n1-0 \\{Black resigns\\}\n"});
    EXPECT_EQ(count(out, "\nmove "), 3) << out;
    EXPECT_EQ(count(out, "\n *[3-9] +-?[0-9]+ +[0-9]+ +[0-9]+  "), 0) << out;
}

// "time" is the engine's clock and "otim" its opponent's, whatever colours were set when they
// came: the search that starts next gives them to the colours it finds (in the first case both
// came in force mode, where nothing was printed, and "go" makes the engine White; in the second
// they were announced for Black).
TEST(XboardSession, TimeAndOtimGoToTheColoursTheEngineAndItsOpponentPlay)
{
    const std::pair<std::string, int> cases[] = {
        {"new\nlevel 40 5 0\nforce\ne2e4\ne7e5\ntime 100\notim 30000\ngo\n", 1000},
        {"new\nlevel 0 5 0\ntime 120\notim 30000\ngo\n", 1200}};
    for (const auto& [script, clock] : cases) {
        const std::string out =
            session(script, {"\nTemps: [ :0-9]+\\(" + std::to_string(clock) + " ms\\)\n", MOVE});
        const size_t at = out.find("Temps de reflexion : ");
        ASSERT_NE(at, std::string::npos) << out;
        EXPECT_LE(std::stoi(out.substr(at + 21)), clock / 2) << out;
    }
    // Each report serves one search: the next one goes by the clock as charged.
    engine_init_for_tests();
    engine_colours = ENGINE_NONE;
    EXPECT_EQ(capture_stdout([] { settings_command("time 100"), settings_command("otim 200"); }),
              "");
    apply_reported_clocks(-1);
    EXPECT_EQ(std::pair(pendule[BLACK].remaining, pendule[WHITE].remaining), std::pair(1000, 2000));
    pendule[BLACK].remaining = 5;
    apply_reported_clocks(-1);
    EXPECT_EQ(pendule[BLACK].remaining, 5);
}

// "time" and "otim" give centiseconds: a count too large for a clock saturates before it is
// turned into milliseconds, never wrapping round to a small or negative time.
TEST(XboardSettings, ClockUpdatesSaturateBeforeScaling)
{
    engine_colours = ENGINE_BLACK;
    const std::pair<const char*, const char*> cases[] = {
        {"time 9223372036854775807", "Noirs : 2147483647 ms\n"},
        {"otim -9223372036854775807", "Blancs : -2147483648 ms\n"},
        {"time 214748365", "Noirs : 2147483647 ms\n"},
        {"otim 6000", "Blancs : 60000 ms\n"}};
    for (const auto& [line, printed] : cases)
        EXPECT_EQ(capture_stdout([&] { settings_command(line); }),
                  std::string("Mise a jour temps ") + printed);
    EXPECT_EQ(pendule[BLACK].remaining, INT32_MAX);
    engine_colours = ENGINE_NONE;
}
