// The PGN reader over texts with every construct of the format: what it keeps of each game
// (tags, main-line moves with their lines, the result) and the problems it finds, game by game.
#include "tools/pgn_reader.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<PgnGame> games_of(const std::string& text, int max_moves = 100)
{
    std::vector<PgnGame> games;
    read_pgn(text, max_moves, [&](PgnGame& g) { games.push_back(g); });
    return games;
}

// "number@first line white-black [event] moves@line ... result", and "!problem" when there is one.
std::string summary(const PgnGame& g)
{
    std::string s = std::to_string(g.number) + "@" + std::to_string(g.first_line) + " " + g.white +
                    "-" + g.black + " [" + g.event + "] ";
    for (const PgnMove& m : g.moves) s += m.text + "@" + std::to_string(m.line) + " ";
    return s + g.result + (g.problem.empty() ? "" : " !" + g.problem);
}

// A game without tags, a move glued to its number; a game without a result ends where the next
// one's tags begin, and its tag stands in.
TEST(PgnReader, TagsMovetextCommentsVariationsAndSeveralGames)
{
    const auto games = games_of(
        "% [Event \"an escaped line\"] {\n"
        "[Event \"First\"]\n[White \"Alpha\"]\n[Black \"Beta \\\"B\\\"\"]\n[Result \"1-0\"]\n\n"
        "1. e4 {a comment (with a parenthesis}\n e5 2. Nf3 $1 Nc6 (2... d6 3. d4 ; note )\n"
        "exd4 (3... Nf6)) 3.Bb5 a6!? 4. Ba4 ?? 1-0\n"
        "1.d4 d5 2.c4 12...Nf6 *\n"
        "[Result \"0-1\"]\n1. f3 e5 2. g4\n[White \"Next\"]\n1. e4 1/2-1/2\n");
    const std::vector<std::string> want = {
        "1@2 Alpha-Beta \"B\" [First] e4@7 e5@8 Nf3@8 Nc6@8 Bb5@9 a6!?@9 Ba4@9 1-0",
        "2@10 - [] d4@10 d5@10 c4@10 Nf6@10 *", "3@11 - [] f3@12 e5@12 g4@12 0-1",
        "4@13 Next- [] e4@14 1/2-1/2"};
    ASSERT_EQ(games.size(), want.size());
    for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(summary(games[i]), want[i]);
    EXPECT_EQ(pgn_game_name(games[0]), "game 1 (Alpha - Beta \"B\")");
    EXPECT_EQ(pgn_game_name(games[1]), "game 2");
    // Only the first moves are kept when a limit is given.
    EXPECT_EQ(summary(games_of("1. e4 e5 2. Nf3 Nc6 *", 3)[0]), "1@1 - [] e4@1 e5@1 Nf3@1 *");
}

TEST(PgnReader, MalformedGamesCarryTheirProblem)
{
    const std::pair<const char*, const char*> cases[] = {
        {"[Event \"open\n1. e4 *", "malformed tag"},
        {"1. e4 ) e5 *", "')' without '('"},
        {"1. e4 (1. d4 d5 *", "variation not closed"},
        {"1. e4 { never closed\n*", "comment not closed"},
    };
    for (const auto& [text, problem] : cases) {
        const auto games = games_of(text);
        ASSERT_EQ(games.size(), 1u) << text;
        EXPECT_EQ(games[0].problem, problem) << text;
    }
    // The next game is read as usual after a malformed one.
    const auto games = games_of("[White \"A\"\n1. e4 *\n[White \"B\"]\n1. d4 *");
    ASSERT_EQ(games.size(), 2u);
    EXPECT_EQ(games[0].problem_line, 1);
    EXPECT_EQ(games[1].problem, "");
    EXPECT_EQ(games[1].white, "B");
    // A NUL byte in the movetext is part of its symbol, not the end of one (the reader looped).
    const auto nul = games_of(std::string("1. e4 e\0 5 2. d4 *", 18));
    ASSERT_EQ(nul.size(), 1u);
    ASSERT_EQ(nul[0].moves.size(), 3u);
    EXPECT_EQ(nul[0].moves[1].text, std::string("e\0", 2));
    EXPECT_EQ(nul[0].result, "*");
}

// What editors and other systems write around the games: a byte-order mark, lines ended by a
// lone CR (a ";" comment ends with its line), games with tags and no moves (each its own game,
// ending where the next tag section begins), and a null move, which ends the moves kept.
TEST(PgnReader, MarksLineEndsHeaderOnlyGamesAndNullMoves)
{
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"\xEF\xBB\xBF[White \"A\"]\n\n1. e4 *\n", {"1@1 A- [] e4@3 *"}},
        {"\xEF\xBB\xBF"
         "1. d4 *",
         {"1@1 - [] d4@1 *"}},
        {"1. e4 ; a note\r1... e5 *\r\r[White \"B\"]\r1. d4 *\r",
         {"1@1 - [] e4@1 e5@2 *", "2@4 B- [] d4@5 *"}},
        {"1. e4 {two\r\nlines} e5\r\n2. Nf3 *", {"1@1 - [] e4@1 e5@2 Nf3@3 *"}},
        {"[White \"Empty\"]\n[Result \"*\"]\n\n\n[White \"Next\"]\n[FEN \"x\"]\n\n1. e4 *\n"
         "[White \"Last\"]\n\n",
         {"1@1 Empty- [] *", "2@5 Next- [] e4@8 *", "3@9 Last- [] "}},
        {"1. e4 e5 2. -- Nc6 3. d4 *\n1. c4 Z0 2. d4 0000 *",
         {"1@1 - [] e4@1 e5@1 *", "2@2 - [] c4@2 *"}},
    };
    for (const auto& [text, want] : cases) {
        const auto games = games_of(text);
        ASSERT_EQ(games.size(), want.size()) << text;
        for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(summary(games[i]), want[i]) << text;
    }
}

// The input is read as it comes: a game longer than the reader's chunks, and many games, read
// the same as from a text, with the lines counted across the chunks.
TEST(PgnReader, StreamedInputReadsLikeAText)
{
    std::string text = "[White \"Long\"]\n{" + std::string(200000, 'c') + "}\n1. e4 *\n";
    for (int i = 0; i < 3000; ++i) text += "1. d4 d5 *\n";
    const auto games = games_of(text);
    ASSERT_EQ(games.size(), 3001u);
    EXPECT_EQ(summary(games[0]), "1@1 Long- [] e4@3 *");
    EXPECT_EQ(summary(games[3000]), "3001@3003 - [] d4@3003 d5@3003 *");
}

}  // namespace
