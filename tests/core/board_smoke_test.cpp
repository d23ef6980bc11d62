// The record layout every other module relies on.
#include <gtest/gtest.h>

#include "core/board.h"

TEST(BoardLayout, InitialBoardHoldsItsBorder)
{
    EXPECT_EQ(echiquier[20], BORDER);
    EXPECT_EQ(echiquier[21], 22);
    EXPECT_EQ(echiquier[61], 18);
    EXPECT_EQ(echiquier[68], 10);
    EXPECT_EQ(echiquier[99], BORDER);
    EXPECT_EQ(ficha[1][15].mask, 1u << 15);
}
