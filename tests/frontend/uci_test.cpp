// The UCI protocol as an interface sees it: the program as a child with its input a pipe, driven
// line by line while it thinks. Patterns are matched in order, each after the previous match;
// timings allow for a loaded machine, so only gross delays fail.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "book/polyglot_test_books.h"
#include "test_support.h"
#include "uci_child.h"

namespace {

using Clock = std::chrono::steady_clock;

const std::string BESTMOVE =
    "bestmove [a-h][1-8][a-h][1-8][qrbn]?( ponder [a-h][1-8][a-h][1-8][qrbn]?)?\n";

}  // namespace

// Also without the argument, the first word "uci" starts the protocol.
TEST(UciSession, HandshakeOptionsAndNoOtherOutput)
{
    for (const auto& args : {std::vector<std::string>{"uci", "H8"}, {"H8"}}) {
        Uci e(nullptr, args);
        EXPECT_EQ(e.quit(), 0);
        EXPECT_EQ(
            e.out,
            "id name Quarvelin\nid author Ardoiseaux\n"
            "option name Hash type spin default 128 min 0 max 65536\n"
            "option name Ponder type check default false\n"
            "option name OwnBook type check default true\n"
            "option name BookFile type string default bibli.bok\n"
            "option name BookBestMove type check default false\n"
            "option name Clear Hash type button\n"
            "option name Move Overhead type spin default 30 min 0 max 5000\n"
            "option name Threads type spin default 1 min 1 max 256\n"
            "option name MultiPV type spin default 1 min 1 max 256\n"
            "option name UCI_LimitStrength type check default false\n"
            "option name UCI_Elo type spin default 2100 min 1000 max 2100\n"
            "option name Skill Level type spin default 20 min 0 max 20\nuciok\nreadyok\n");
    }
}

// Helpers search beside the main thread and end with it: by its limit, by "stop", by "quit".
TEST(UciSession, HelperThreadsEndWithTheSearchAndTheProgram)
{
    Uci e;
    e.send("setoption name Threads value 3\nsetoption name OwnBook value false\nisready\n");
    e.expect("info string 3 search threads; each of the 2 helpers has [0-9]+ MB");
    e.expect("readyok");
    e.send("position startpos moves e2e4\ngo depth 6\n");
    e.expect("info depth 6 .* nodes [0-9]+ ");
    e.expect(BESTMOVE);
    e.send("go nodes 30000\n");
    e.expect(BESTMOVE);
    // An infinite search starts from the depth the table already holds for its position.
    e.send("go infinite\n");
    e.expect("info depth [0-9]+ seldepth");
    e.send("stop\n");
    EXPECT_LT(e.wait_ms(BESTMOVE), 1000 * ANSWER_SCALE);
    e.send("go infinite\n");
    e.expect("info depth [0-9]+ seldepth");
    // Helpers that did not stop would hold the program for good; its exit takes a moment.
    const auto start = Clock::now();
    EXPECT_EQ(e.quit(), 0);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count(),
              3000 * ANSWER_SCALE);
}

TEST(UciSession, DepthSearchReportsEveryIterationAndAMoveWithItsReply)
{
    Uci e;
    e.send(
        "setoption name OwnBook value false\nucinewgame\nposition startpos moves e2e4 e7e5\n"
        "go depth 5\n");
    e.expect(
        "info depth 1 seldepth \\d+ score cp -?\\d+ nodes \\d+ nps \\d+ time \\d+ hashfull \\d+ "
        "pv");
    e.expect(
        "info depth 5 seldepth \\d+ score cp -?\\d+ nodes \\d+ nps \\d+ time \\d+ hashfull \\d+ "
        "pv( [a-h][1-8][a-h][1-8])+\n");
    e.expect("\n" + BESTMOVE);
    EXPECT_EQ(e.out.find("info depth 6"), std::string::npos);
    // searchmoves: only the listed moves are searched, here a poor one.
    e.send("position startpos\ngo depth 3 searchmoves a2a3 h2h3\n");
    e.expect("\nbestmove (a2a3|h2h3)");
    // Illegal ones are left out; with none legal the whole list is searched.
    e.send("go depth 2 searchmoves e7e5 h2h3\n");
    e.expect("\nbestmove h2h3");
    e.send("go depth 2 searchmoves e7e5\n");
    e.expect("info depth 2 .* pv [a-h][1-8][a-h][1-8]");
    e.expect("\n" + BESTMOVE);
    // A restricted result is not the position's: a shallower search after it still searches.
    e.send("go depth 3 searchmoves a2a3\ngo depth 1\n");
    e.expect("\nbestmove a2a3");
    e.expect("info depth 1 .*\n" + BESTMOVE);
    EXPECT_EQ(e.quit(), 0);
    // Nothing but the protocol's lines.
    EXPECT_FALSE(
        std::regex_search(e.out, std::regex("(^|\n)(move |feature|Temps|Estimated|[A-Z][a-z]+ :)")))
        << e.out;
}

TEST(UciSession, MateInOneIsScoredAsAMate)
{
    Uci e;
    e.send("position fen 6k1/5ppp/8/8/8/8/8/R5K1 w - - 0 1\ngo depth 3\n");
    e.expect("score mate 1 ");
    e.expect("bestmove a1a8\n");
    // Whatever White plays, the queen mates next to the black king.
    e.send("position fen 8/8/8/8/8/6k1/P4q2/7K w - - 0 1\ngo depth 3\n");
    e.expect("score mate -1 ");
    e.expect("bestmove a2a[34]");
    EXPECT_EQ(e.quit(), 0);
}

TEST(UciSession, ReadyDuringASearchAndStopAtOnce)
{
    Uci e;
    e.send("setoption name OwnBook value false\nposition startpos\ngo infinite\n");
    e.expect("info depth 3 ");
    e.send("isready\n");
    EXPECT_LT(e.wait_ms("readyok"), 1000 * ANSWER_SCALE);
    // An infinite search ends only when told.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(e.out.find("bestmove"), std::string::npos);
    e.send("stop\n");
    EXPECT_LT(e.wait_ms(BESTMOVE), 1000 * ANSWER_SCALE);
    EXPECT_EQ(e.quit(), 0);
}

TEST(UciSession, MoveTimeAndAClockWithLittleTimeLeft)
{
    Uci e;
    e.send(
        "setoption name OwnBook value false\nposition startpos moves d2d4 d7d5 c2c4\n"
        "go movetime 500\n");
    // The upper bounds only catch a clock that ignores its limit: a loaded machine (a sanitizer
    // run beside other tests) has taken twice the expected time.
    const long long spent = e.wait_ms(BESTMOVE);
    EXPECT_GT(spent, 300);
    EXPECT_LT(spent, 5000 * ANSWER_SCALE);
    e.send("position startpos moves d2d4 d7d5 c2c4 e7e6\ngo wtime 150 btime 60000 winc 0 binc 0\n");
    EXPECT_LT(e.wait_ms(BESTMOVE), 3000 * ANSWER_SCALE);
    // One move to the control: two thirds of the time left go to it.
    e.send("position startpos moves d2d4\ngo wtime 60000 btime 1500 movestogo 1\n");
    const long long last = e.wait_ms(BESTMOVE, 30);
    EXPECT_GT(last, 600);
    EXPECT_LT(last, 8000 * ANSWER_SCALE);
    EXPECT_EQ(e.quit(), 0);
}

TEST(UciSession, PonderHitTurnsThePonderSearchIntoTheEnginesOwn)
{
    Uci e;
    e.send(
        "setoption name Ponder value true\nsetoption name OwnBook value false\n"
        "position startpos moves e2e4 c7c5 g1f3\ngo ponder wtime 2000 btime 2000\n");
    e.expect("info depth 2 ");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(e.out.find("bestmove"), std::string::npos);  // pondering until told
    e.send("ponderhit\n");
    // With two seconds left the engine's own search takes a fraction of them.
    EXPECT_LT(e.wait_ms(BESTMOVE, 10), 3000 * ANSWER_SCALE);
    // A ponder search stopped by the interface still names a move. (It starts from the depth
    // the last search stored for its position.)
    e.send("position startpos moves e2e4 c7c5 g1f3 d7d6\ngo ponder wtime 60000 btime 60000\n");
    e.expect("info depth \\d+ ");
    e.send("stop\n");
    EXPECT_LT(e.wait_ms(BESTMOVE), 1000 * ANSWER_SCALE);
    EXPECT_EQ(e.quit(), 0);
}

TEST(UciSession, BadInputIsReportedAndThePositionStaysLegal)
{
    Uci e;
    e.send(
        "position fen 8/8/8/8/8/8/8/8 w - - 0 1\n"
        "position fen this is not a fen\n"
        "position startpos moves e2e4 e7e5 e1e3 g1f3\n"
        "position\nposition sideways\nsetoption name Hash value -5\nsetoption\n"
        "setoption name Nonsense value 3\nfrobnicate\ngo depth\n");
    e.expect("info string position refused");
    e.expect("info string invalid FEN");
    e.expect("info string illegal move e1e3");
    e.expect("info string position: startpos or fen expected, not sideways");
    e.expect("info string unknown command frobnicate");
    // The last "position" was refused: no move of a position the interface does not mean.
    e.expect("bestmove 0000\n");
    e.send("position startpos moves e2e4 e7e5\ngo depth 2\n");
    e.expect(BESTMOVE);
    e.send("position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1\ngo depth 2\n");  // stalemate
    e.expect("bestmove 0000\n");
    e.send("isready\n");
    e.expect("readyok");
    EXPECT_EQ(e.finish(), 0);  // the end of the input ends the program
}

// Stalemate ends the search at once, but an infinite search still owes the interface its wait
// for "stop"; lines arriving meanwhile are kept and performed after it, in order.
TEST(UciSession, AnInfiniteSearchThatEndsByItselfKeepsLinesUntilStop)
{
    Uci e;
    e.send(
        "position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1\ngo infinite\n"
        "position startpos\ngo depth 1\nisready\n");
    e.expect("readyok");
    EXPECT_EQ(e.out.find("bestmove"), std::string::npos);
    e.send("stop\n");
    e.expect("bestmove 0000\n");
    e.expect(BESTMOVE);
    EXPECT_EQ(e.quit(), 0);
}

// Twenty-three queens: the capture tree under the first root move alone outlasts any limit, so
// the quiescence itself must watch the clock and the input.
TEST(UciSession, AnEndlessCaptureTreeStillObeysTheClockAndStop)
{
    Uci e;
    const std::string queens =
        "position fen 1q3k2/Qq1Q3Q/1Q2qq2/Q1K2Q2/6q1/Q3QQ2/qQ5q/qQQ1q1qq b - - 0 1\n";
    e.send("setoption name OwnBook value false\n" + queens + "go movetime 200\n");
    EXPECT_LT(e.wait_ms(BESTMOVE), 3000 * ANSWER_SCALE);
    // Short of the minimum depth a clocked move still ends by half of what is left.
    e.send(queens + "go wtime 1000 btime 1000\n");
    EXPECT_LT(e.wait_ms(BESTMOVE), 3000 * ANSWER_SCALE);
    e.send(queens + "go infinite\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    e.send("stop\n");
    EXPECT_LT(e.wait_ms(BESTMOVE), 2000 * ANSWER_SCALE);
    EXPECT_EQ(e.quit(), 0);
}

TEST(UciSession, EndOfInputDuringAnInfiniteSearchEndsTheProgram)
{
    Uci e;
    e.send("position startpos\ngo infinite\n");
    e.expect("info depth 2 ");
    const auto start = Clock::now();
    EXPECT_EQ(e.finish(), 0);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
}

TEST(UciSession, TheBookAnswersAtOnceUnlessSwitchedOff)
{
    Uci e(QUARVELIN_BOOK_FILE);
    e.send("position startpos\ngo wtime 60000 btime 60000\n");
    // Any first move of the default book's lines, with the book's line alone (depth 0).
    e.expect("\nbestmove (e2e4|d2d4|c2c4|g1f3|f2f4|g2g3|b2b3)");
    EXPECT_EQ(e.out.find("info depth 1"), std::string::npos) << e.out;
    // A book move outside searchmoves is not played: the listed move is searched instead.
    e.send("go depth 2 searchmoves a2a3\n");
    e.expect("info depth 2 .*\nbestmove a2a3");
    e.send("setoption name OwnBook value false\nposition startpos\ngo depth 2\n");
    e.expect("info depth 2 ");
    e.send("setoption name BookFile value missing.bok\n");
    e.expect("info string no opening book in missing.bok");
    EXPECT_EQ(e.quit(), 0);
}

// A Polyglot book named by BookFile: its moves answer at once (with a depth-0 line and no search
// line), the heaviest when asked, and a damaged one is refused with a line naming it.
TEST(UciSession, APolyglotBookAnswersItsMoves)
{
    engine_init_for_tests();
    const ScratchDir dir;
    const std::string book = (dir / "games.bin").string();
    ASSERT_TRUE(write_polyglot_file(
        book.c_str(), {polyglot_entry({"", "e2e4", 1}), polyglot_entry({"e2e4 e7e5", "b1c3", 1}),
                       polyglot_entry({"e2e4 e7e5", "g1f3", 50})}));
    write_file(dir / "odd.bin", "12345");
    Uci e;
    e.send("setoption name BookFile value " + book + "\nposition startpos\ngo movetime 30000\n");
    EXPECT_LT(e.wait_ms("\nbestmove e2e4"), 15000);  // a search would take the whole 30 s
    e.send("setoption name BookBestMove value true\n");
    for (int i = 0; i < 5; ++i) {
        e.send("position startpos moves e2e4 e7e5\ngo wtime 60000 btime 60000\n");
        e.expect("\nbestmove g1f3");
    }
    EXPECT_EQ(e.out.find("info depth 1"), std::string::npos) << e.out;
    EXPECT_NE(e.out.find("info depth 0 score cp 0 nodes 0 time 0 pv g1f3\n"), std::string::npos);
    e.send("setoption name BookFile value " + (dir / "odd.bin").string() + "\n");
    e.expect("info string " + (dir / "odd.bin").string() +
             ": 5 bytes, not a whole number of 16-byte entries: no Polyglot book\n");
    e.send("position startpos\ngo depth 2\n");
    e.expect("info depth 2 ");
    EXPECT_EQ(e.quit(), 0);
}
