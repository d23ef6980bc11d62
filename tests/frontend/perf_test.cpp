// The perf suite run at the smallest speed on varied positions: every line has its fixed shape,
// name and count in order (tests/data), and the position record, keys and consistency are as
// before the run.
#include "frontend/perf.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "caches/caches.h"
#include "core/position_snapshot.h"
#include "core/run_settings.h"
#include "movegen/movegen.h"
#include "test_support.h"

namespace {

const std::string RULE(58, '-');

const char* const FENS[] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -",
    // In check: after a root move that ignores it, the reply chosen on the third pass (the
    // queen's third move, the black king having none) would take the king.
    "kb6/pp6/8/8/8/8/7p/R3K2q w - -",
    "8/5pk1/6p1/1P6/r7/6P1/5PK1/R7 b - -",
};

}  // namespace

TEST(PerfSuite, LinesInOrderAndPositionUnchanged)
{
    engine_init_for_tests();
    const int32_t saved_speed = estimated_cpu_speed;
    estimated_cpu_speed = 1;
    const auto lines = data_rows("perf_lines.txt");
    const std::regex shape(R"(^([ \d]{8}\d) (.{22})- ([ \d]{4}\d) ms - ( *(?:\d+|inf))/s$)");
    for (const char* fen : FENS) {
        SCOPED_TRACE(fen);
        ASSERT_EQ(setup_fen(fen), 0);
        genere_all_moves(0);
        const int root_moves = ply_start[1] - ply_start[0];
        const PositionSnapshot before = take_snapshot();
        const uint32_t age = hash_age;
        const std::vector<std::string> out = lines_of(capture_stdout(run_perf_suite));

        ASSERT_EQ(out.size(), lines.size() + 4);
        EXPECT_EQ(out[0], RULE);
        EXPECT_EQ(out[1], "    Performances de Quarvelin sur la position courante");
        EXPECT_EQ(out[2], RULE);
        EXPECT_EQ(out.back(), RULE);
        for (size_t i = 0; i < lines.size(); ++i) {
            std::smatch m;
            ASSERT_TRUE(std::regex_match(out[3 + i], m, shape)) << out[3 + i];
            std::string name = lines[i][0];
            name.resize(22, ' ');
            EXPECT_EQ(m[2].str(), name);
            EXPECT_GE(m[4].length(), 9);
            const int k = std::stoi(lines[i][1]), count = k > 0 ? k : -k * root_moves;
            EXPECT_EQ(std::stoi(m[1].str()), count) << name;
        }

        EXPECT_EQ(first_difference(before, take_snapshot()), "");
        EXPECT_EQ(hash_age, (age + AGE_STEP) & AGE_BITS);
    }
    estimated_cpu_speed = saved_speed;
}
