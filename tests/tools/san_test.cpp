// Algebraic notation read against real positions: disambiguation by file and rank, a pinned
// piece that does not count, en passant, promotions, castling, marks, and the texts that name
// no move, an illegal one or more than one.
#include "tools/san.h"

#include <gtest/gtest.h>

#include "core/board.h"
#include "movegen/notation.h"
#include "test_support.h"

namespace {

struct SanCase {
    const char* text;
    SanResult result;
    const char* move;  // the move in coordinates when the result is OK
};

void expect_reads(const char* fen, std::initializer_list<SanCase> cases)
{
    ASSERT_EQ(setup_fen(fen), 0) << fen;
    for (const SanCase& c : cases) {
        Move m = 0;
        EXPECT_EQ(san_to_move(c.text, &m), c.result) << c.text;
        if (c.result == SanResult::OK) {
            EXPECT_EQ(m, text_to_move(c.move)) << c.text;
        }
        EXPECT_EQ(ply, 0) << c.text;
    }
}

TEST(San, PiecesPawnsAndDisambiguation)
{
    expect_reads("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
                 {{"e4", SanResult::OK, "e2e4"},
                  {"e3!?", SanResult::OK, "e2e3"},
                  {"Nf3", SanResult::OK, "g1f3"},
                  {"Ng1f3", SanResult::OK, "g1f3"},
                  {"e5", SanResult::ILLEGAL, ""},
                  {"Nf4", SanResult::ILLEGAL, ""},
                  {"Nf9", SanResult::UNREADABLE, ""},
                  {"--", SanResult::UNREADABLE, ""},
                  {"Zz4", SanResult::UNREADABLE, ""},
                  {"", SanResult::UNREADABLE, ""}});
    // Knights on b1 and f3 both reach d2; the b5 knight and the pinned e4 knight both reach d6.
    expect_reads("4r1k1/8/8/1N6/4N3/5N2/8/1N2K3 w - - 0 1", {{"Nd2", SanResult::AMBIGUOUS, ""},
                                                             {"Nbd2", SanResult::OK, "b1d2"},
                                                             {"N3d2", SanResult::OK, "f3d2"},
                                                             {"Nf3xd2", SanResult::OK, "f3d2"},
                                                             {"Nd6", SanResult::OK, "b5d6"},
                                                             {"Ned6", SanResult::ILLEGAL, ""}});
}

TEST(San, EnPassantPromotionsCastlingAndMarks)
{
    expect_reads("rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3",
                 {{"exf6", SanResult::OK, "e5f6"},
                  {"exd6", SanResult::ILLEGAL, ""},
                  {"Qh5+", SanResult::OK, "d1h5"}});
    expect_reads("3n2k1/4P3/8/8/8/8/8/R3K2R w KQ - 0 1", {{"e8=Q+", SanResult::OK, "e7e8q"},
                                                          {"e8Q", SanResult::OK, "e7e8q"},
                                                          {"exd8=N", SanResult::OK, "e7d8n"},
                                                          {"e8", SanResult::ILLEGAL, ""},
                                                          {"e8=K", SanResult::UNREADABLE, ""},
                                                          {"O-O", SanResult::OK, "e1g1"},
                                                          {"0-0-0", SanResult::OK, "e1c1"},
                                                          {"Ke2", SanResult::OK, "e1e2"}});
    expect_reads("r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4",
                 {{"Qxf7#", SanResult::OK, "h5f7"}, {"Qf7", SanResult::OK, "h5f7"}});
    // In check only the answers to it exist.
    expect_reads("4k3/8/8/8/8/8/4r3/4K3 w - - 0 1", {{"Kxe2", SanResult::OK, "e1e2"},
                                                     {"Kd1", SanResult::OK, "e1d1"},
                                                     {"Ke1", SanResult::ILLEGAL, ""}});
}

}  // namespace
