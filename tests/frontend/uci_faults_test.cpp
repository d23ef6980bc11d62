// The UCI protocol where real interfaces tripped it: limits that are missing or out of range,
// the FEN counters, CR LF lines, book moves and game ends reported by an info line, refused
// positions, games longer than the ply records and the lag kept back from the clock. The
// program runs as a child with its input a pipe; bounds on time only catch gross delays.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <regex>
#include <string>
#include <type_traits>
#include <vector>

#include "search/think_info.h"
#include "test_support.h"
#include "uci_child.h"

namespace {

const std::string BESTMOVE =
    "\nbestmove [a-h][1-8][a-h][1-8][qrbn]?( ponder [a-h][1-8][a-h][1-8][qrbn]?)?\n";

}  // namespace

// Each of these once searched until "stop": a clock naming only the other side, a negative
// clock, time or depth. Each now ends by itself with a legal move, about at once.
TEST(UciFaults, MissingOrNegativeLimitsStillEndWithAMove)
{
    const char* const GOES[] = {
        "go wtime -1 btime 1000",
        "go btime 1000 binc 100",
        "go movetime -5",
        "go depth -1",
        "go nodes -3",
        "go mate -2",
        "go wtime btime 1000",  // a keyword without its number does not take the next one
        "go winc 100",
    };
    Uci e;
    e.send("setoption name OwnBook value false\n");
    for (const char* go : GOES) {
        e.send(std::string("position startpos moves e2e4 e7e5\n") + go + "\n");
        EXPECT_LT(e.wait_ms(BESTMOVE), 3000 * ANSWER_SCALE) << go;
    }
    EXPECT_EQ(e.quit(), 0);
}

// The half-move clock of the FEN counts for the fifty-move rule: one reversible move from it,
// a queen up is a draw.
TEST(UciFaults, TheFensHalfMoveClockCounts)
{
    Uci e;
    const std::string board = "position fen 8/8/8/4k3/8/8/3QK3/8 w - - ";
    e.send(board + "99 80\ngo depth 4\n");
    e.expect("info depth 4 [^\n]* score cp 0 [^\n]*\n[^\n]*bestmove");
    e.send(board + "0 80\ngo depth 4\n");
    e.expect("info depth 4 [^\n]* score cp [1-9][0-9][0-9]+ [^\n]*\n[^\n]*bestmove");
    // Without counters the clock is 0.
    e.send("position fen 8/8/8/4k3/8/8/3QK3/8 w - -\ngo depth 4\n");
    e.expect("info depth 4 [^\n]* score cp [1-9][0-9][0-9]+ [^\n]*\n[^\n]*bestmove");
    EXPECT_EQ(e.quit(), 0);
}

// Every line may end in CR LF: an option value, a move list and a "go" read as without it.
TEST(UciFaults, LinesEndingInCrLf)
{
    Uci e(QUARVELIN_BOOK_FILE);
    e.send("setoption name OwnBook value false\r\nposition startpos\r\ngo depth 2\r\n");
    e.expect("info depth 2 ");
    e.expect(BESTMOVE);
    e.send("setoption name OwnBook value true\r\nposition startpos\r\ngo depth 2\r\n");
    e.expect("info depth 0 [^\n]*\nbestmove");
    e.send("position startpos moves e2e4 e7e5 g1f3\r\ngo depth 1 \r\n");
    e.expect("\nbestmove [a-h][78][a-h][1-8]");  // Black's move
    EXPECT_EQ(e.quit(), 0);
}

TEST(UciFaults, ABookMoveHasItsInfoLine)
{
    Uci e(QUARVELIN_BOOK_FILE);
    e.send("position startpos\ngo wtime 60000 btime 60000\n");
    const std::string line = e.expect(
        "info depth 0 score cp -?\\d+ nodes 0 time 0 pv [a-h][1-8][a-h][1-8]\n"
        "bestmove [a-h][1-8][a-h][1-8]");
    // The line names the move played.
    const std::regex shape("pv (\\S+)\nbestmove (\\S+)");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(line, m, shape)) << line;
    EXPECT_EQ(m[1], m[2]);
    EXPECT_EQ(e.quit(), 0);
}

// Mated and stalemated roots say so before "bestmove 0000".
TEST(UciFaults, AMatedOrStalematedRootReportsItsScore)
{
    struct Case {
        const char* fen;
        const char* line;
    };
    const Case CASES[] = {
        {"7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", "info depth 0 score mate 0\nbestmove 0000\n"},
        {"7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "info depth 0 score cp 0\nbestmove 0000\n"},
    };
    Uci e;
    for (const Case& c : CASES) {
        e.send(std::string("position fen ") + c.fen + "\ngo depth 3\n");
        e.expect(std::string("\n") + c.line);
    }
    EXPECT_EQ(e.quit(), 0);
}

// A refused position leaves none to answer for: "go" names no move of the position kept (it
// would be the other side's, or another game's), until a legal position is set. The refusals
// are in English.
TEST(UciFaults, AfterARefusedPositionGoAnswersNoMove)
{
    const char* const REFUSED[] = {
        "position fen 8/8/8/8/8/8/8/8 w - - 0 1",
        "position fen 4k3/8/8/8/8/8/8/4K2P w - - 0 1",
        "position fen this is not a fen",
        "position startpos moves e2e4 e7e5 e1e3",
        "position sideways",
        "position startpos junk",
    };
    Uci e;
    for (const char* refused : REFUSED) {
        e.send("position startpos moves e2e4\n" + std::string(refused) + "\ngo depth 2\n");
        e.expect("info string [^\n]*\n");
        e.expect("\nbestmove 0000\n");
    }
    // An infinite search still waits for "stop".
    const size_t mark = e.out.size();
    e.send("go infinite\nisready\n");
    e.expect("readyok");
    EXPECT_EQ(e.out.find("bestmove", mark), std::string::npos) << e.out;
    e.send("stop\n");
    e.expect("\nbestmove 0000\n");
    e.send("position startpos moves e2e4\ngo depth 2\n");
    e.expect("\nbestmove [a-h][78][a-h][1-8]");
    EXPECT_EQ(e.quit(), 0);
    EXPECT_FALSE(std::regex_search(e.out, std::regex("Nombre|roi|Pion|Erreur|prise"))) << e.out;
    EXPECT_NE(e.out.find("info string position refused (each side needs exactly one king)"),
              std::string::npos);
    EXPECT_NE(e.out.find("info string position refused (a pawn on the first or last rank)"),
              std::string::npos);
}

// Longer than the ply records: the game starts again from a recent position and the move
// always belongs to the side to move (here Black, after 2,000 knight moves and e2e4).
TEST(UciFaults, AGameLongerThanThePlyRecordsKeepsItsSideToMove)
{
    for (int cycles : {240, 500}) {
        std::string moves;
        for (int i = 0; i < cycles; ++i) moves += " g1f3 g8f6 f3g1 f6g8";
        Uci e;
        e.send("setoption name OwnBook value false\nposition startpos moves" + moves +
               " e2e4\ngo depth 3\n");
        e.expect("\nbestmove [a-h][78][a-h][1-8]");
        // And one more pair of moves on top of that.
        e.send("position startpos moves" + moves + " e2e4 e7e5 d2d4\ngo depth 3\n");
        e.expect("\nbestmove [a-h][5-8][a-h][1-8]");
        EXPECT_EQ(e.out.find("info string"), std::string::npos) << e.out;
        EXPECT_EQ(e.quit(), 0);
    }
}

// The lag kept back: with less than the overhead left, the move is played at once.
TEST(UciFaults, MoveOverheadIsKeptBackFromTheClock)
{
    Uci e;
    e.send(
        "setoption name OwnBook value false\nsetoption name Move Overhead value 3000\n"
        "position startpos moves d2d4 d7d5\ngo wtime 2900 btime 2900\n");
    EXPECT_LT(e.wait_ms(BESTMOVE), 1000 * ANSWER_SCALE);
    e.send("go movetime 2500\n");
    EXPECT_LT(e.wait_ms(BESTMOVE), 1000 * ANSWER_SCALE);
    EXPECT_EQ(e.quit(), 0);
}

// Node counts do not wrap after 2^32 nodes (under an hour of analysis).
static_assert(std::is_same_v<decltype(node_total()), uint64_t>);

// "go perft N": one line per legal root move and the total, here of a position rich in
// castling, en passant and promotions; out-of-range depths are refused without a search.
TEST(UciExtras, GoPerftCountsEachRootMoveAndTheTotal)
{
    Uci e;
    e.send(
        "position fen r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1\n"
        "go perft 3\n");
    e.expect("\nNodes searched: 97862\n");
    const std::string out = e.out;
    EXPECT_EQ(std::count(out.begin(), out.end(), ':'), 48 + 1) << out;
    EXPECT_NE(out.find("\ne1g1: 2059\n"), std::string::npos) << out;
    e.send("position startpos\ngo perft 0\ngo perft 33\ngo perft 1\n");
    e.expect("info string perft depth from 1 to 32\ninfo string perft depth from 1 to 32\n");
    e.expect("\nNodes searched: 20\n");
    EXPECT_EQ(e.quit(), 0);
}

// After a second of search the root move being searched is reported.
TEST(UciExtras, CurrentMoveOnceASearchHasRunASecond)
{
    Uci e;
    e.send("setoption name OwnBook value false\nposition startpos\ngo infinite\n");
    e.expect("info depth \\d+ currmove [a-h][1-8][a-h][1-8] currmovenumber \\d+\n", 30);
    e.send("stop\n");
    e.expect(BESTMOVE);
    EXPECT_EQ(e.quit(), 0);
    // Not before the second: the first line of the search shows none.
    EXPECT_LT(e.out.find("info depth 1 "), e.out.find("currmove"));
}
