// The deeper signature: 8-ply thinks on the signature positions give pinned node totals. To
// regenerate: QUARVELIN_PRINT_SIGNATURE=1 quarvelin_slow_tests --gtest_filter='SlowSignature*'
#include <gtest/gtest.h>

#include "think_support.h"

namespace {

constexpr uint32_t PINNED[SIGNATURE_COUNT] = {
    183607, 2071701, 120115, 386126, 301361, 502207, 341130, 67600, 5164, 1062382, 48734, 282714,
};

TEST(SlowSignature, DeeperNodeTotalsArePinnedAndRepeatable)
{
    expect_signature(8, PINNED);
}

}  // namespace
