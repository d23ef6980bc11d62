// Several lines and the strength setting as an interface sees them: "info multipv" lines of
// different legal moves, best first, the move played the first line's; a weakened engine still
// answers every "go" with a legal move and shows only the lines asked for.
#include "frontend/uci_strength.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/makemove.h"
#include "movegen/notation.h"
#include "search/search.h"
#include "test_support.h"
#include "uci_child.h"

namespace {

const std::string BESTMOVE = "bestmove [a-h][1-8][a-h][1-8][qrbn]?[^\n]*\n";

struct Line {
    int score;  // mates as large scores, so that the order compares
    std::vector<std::string> pv;
};

// The "info multipv" lines of one depth in a search's output, by rank.
std::map<int, Line> lines_at_depth(const std::string& out, int depth)
{
    static const std::regex shape(
        "info multipv (\\d+) depth (\\d+) seldepth \\d+ score (cp|mate) (-?\\d+) nodes \\d+ nps "
        "\\d+ time \\d+ hashfull \\d+ pv((?: \\S+)+)");
    std::map<int, Line> lines;
    for (const std::string& text : lines_of(out)) {
        std::smatch m;
        if (!std::regex_match(text, m, shape) || std::stoi(m[2]) != depth) continue;
        const int v = std::stoi(m[4]);
        Line line{m[3] == "cp" ? v : (v > 0 ? MATE_SCORE - v : -MATE_SCORE - v), {}};
        std::istringstream moves(m[5]);
        for (std::string mv; moves >> mv;) line.pv.push_back(mv);
        lines[std::stoi(m[1])] = line;
    }
    return lines;
}

std::string best_move_of(const std::string& out)
{
    std::smatch m;
    static const std::regex shape("bestmove (\\S+)");
    return std::regex_search(out, m, shape) ? m[1].str() : "";
}

// Each move of the line legal where it is played, from the position of `fen`.
bool legal_line(const std::string& fen, const std::vector<std::string>& pv)
{
    if (setup_fen(fen) != 0) return false;
    for (const std::string& text : pv) {
        const Move m = text_to_move(text.c_str());
        if (m == 0 || is_legal_move(m) == 0) return false;
        make_move(m);
    }
    return true;
}

// The output of one search, from "position" to its "bestmove".
std::string search(Uci& e, const std::string& fen, const std::string& go)
{
    const size_t start = e.out.size();
    e.send("position fen " + fen + "\n" + go + "\n");
    e.expect(BESTMOVE, 60);
    return e.out.substr(start);
}

}  // namespace

TEST(UciMultiPv, ThreeDifferentLegalLinesInOrderAndTheFirstPlayed)
{
    const char* const FENS[] = {
        START,
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    };
    Uci e;
    e.send("setoption name OwnBook value false\nsetoption name MultiPV value 3\n");
    for (const char* fen : FENS) {
        const std::string out = search(e, fen, "go depth 5");
        for (int depth = 1; depth <= 5; ++depth) {
            const std::map<int, Line> lines = lines_at_depth(out, depth);
            ASSERT_EQ(lines.size(), 3u) << fen << " depth " << depth;
            std::set<std::string> first_moves;
            for (const auto& [rank, line] : lines) {
                first_moves.insert(line.pv.front());
                EXPECT_TRUE(legal_line(fen, line.pv)) << fen << " multipv " << rank;
                if (rank > 1) {
                    EXPECT_GE(lines.at(rank - 1).score, line.score) << fen;
                }
            }
            EXPECT_EQ(first_moves.size(), 3u) << fen;
            if (depth == 5) {
                EXPECT_EQ(best_move_of(out), lines.at(1).pv.front()) << fen;
            }
        }
        // Lines without their rank would pass for the first line's (the root move being
        // searched, after a second, has no score and no line).
        EXPECT_FALSE(std::regex_search(out, std::regex("(^|\n)info depth \\d+ seldepth"))) << out;
    }
    EXPECT_EQ(e.quit(), 0);
}

TEST(UciMultiPv, MoreLinesThanMovesGivesOnePerMove)
{
    Uci e;
    e.send("setoption name MultiPV value 256\n");
    const std::string out = search(e, "7k/8/8/8/8/8/1P6/K7 w - - 0 1", "go depth 3");
    const std::map<int, Line> lines = lines_at_depth(out, 3);
    ASSERT_EQ(lines.size(), 4u) << out;  // a2, b1, b3, b4
    EXPECT_EQ(lines.rbegin()->first, 4);
    EXPECT_EQ(e.quit(), 0);
}

// With one line (the default) a search shows no ranks, as before the option existed.
TEST(UciMultiPv, OneLineShowsNoRanks)
{
    Uci e;
    e.send("setoption name MultiPV value 3\nsetoption name MultiPV value 1\n");
    const std::string out = search(e, START, "go depth 4");
    EXPECT_EQ(out.find("multipv"), std::string::npos) << out;
    EXPECT_NE(out.find("info depth 4 "), std::string::npos) << out;
    EXPECT_EQ(e.quit(), 0);
}

// Every strength setting answers each "go" with a legal move, on the clock and at a fixed
// depth, and shows the lines the interface asked for, not the four a weaker level draws from.
TEST(UciStrength, WeakerSettingsPlayLegalMovesAndShowTheLinesAskedFor)
{
    struct Case {
        const char* options;
        int shown;  // multipv lines shown per depth (0: plain lines)
    };
    const Case CASES[] = {
        {"setoption name Skill Level value 0\n", 0},
        {"setoption name Skill Level value 13\nsetoption name MultiPV value 2\n", 2},
        {"setoption name UCI_LimitStrength value true\nsetoption name UCI_Elo value 0\n", 0},
        {"setoption name UCI_LimitStrength value true\nsetoption name UCI_Elo value 99999\n", 0},
    };
    const std::string fen =
        "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10";
    for (const Case& c : CASES) {
        Uci e;
        e.send(c.options);
        for (const char* go : {"go wtime 20000 btime 20000 winc 200 binc 200", "go depth 3"}) {
            const std::string out = search(e, fen, go);
            EXPECT_TRUE(legal_line(fen, {best_move_of(out)})) << c.options << out;
            if (c.shown == 0) {
                EXPECT_EQ(out.find("multipv"), std::string::npos) << c.options << out;
            } else {
                EXPECT_EQ(lines_at_depth(out, 1).size(), static_cast<size_t>(c.shown)) << out;
            }
        }
        EXPECT_EQ(e.quit(), 0);
    }
}

// The Elo range runs from the weakest level to full strength, never backwards.
TEST(UciStrength, EloMapsOntoTheLevelsInOrder)
{
    EXPECT_EQ(skill_for_elo(MIN_UCI_ELO), 0);
    EXPECT_EQ(skill_for_elo(MIN_UCI_ELO - 500), 0);
    EXPECT_EQ(skill_for_elo(MAX_UCI_ELO), 10 * MAX_SKILL_LEVEL);
    EXPECT_EQ(skill_for_elo(MAX_UCI_ELO + 500), 10 * MAX_SKILL_LEVEL);
    for (int elo = MIN_UCI_ELO; elo < MAX_UCI_ELO; ++elo) {
        ASSERT_LE(skill_for_elo(elo), skill_for_elo(elo + 1)) << elo;
        ASSERT_LT(skill_for_elo(elo), 10 * MAX_SKILL_LEVEL) << elo;  // weakened below the top
    }
}
