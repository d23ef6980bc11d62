// Determinism of the whole search: fixed-depth thinks on the signature positions give pinned
// node totals, pass after pass, in either order, each on freshly cleared caches.
//
// The totals change whenever the evaluation or the search changes. To regenerate them, run
//   QUARVELIN_PRINT_SIGNATURE=1 quarvelin_tests --gtest_filter='Signature*'
// and paste the printed line over PINNED (likewise for the slow file's deeper table).
#include <gtest/gtest.h>

#include "think_support.h"

namespace {

constexpr uint32_t PINNED[SIGNATURE_COUNT] = {
    24843, 318826, 26577, 42275, 49354, 87253, 43480, 6530, 2374, 192415, 13927, 60170,
};

TEST(Signature, FixedDepthNodeTotalsArePinnedAndRepeatable)
{
    expect_signature(SIGNATURE_DEPTH, PINNED);
}

}  // namespace
