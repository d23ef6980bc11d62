// The consistency check: for each corrupted field exactly its own report, in order, stopping at
// the first check that fails. Random play proves the single checks silent on sound positions.
#include "core/verify.h"

#include <gtest/gtest.h>

#include "core/board.h"
#include "core/makemove.h"
#include "core/repetition.h"
#include "frontend/display.h"
#include "test_support.h"

namespace {

class Verify : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(setup_fen(START), 0);
        ASSERT_EQ(report(), "");  // silent and successful on the sound record
        ASSERT_EQ(result, 0);
    }
    void TearDown() override { setup_fen(START); }  // undoes every corruption

    std::string report(const char* label = "L\n")
    {
        root_ply = 0;
        return capture_stdout([&] { result = verifie_position(label); });
    }
    int result = -1;
};

TEST_F(Verify, AttackBitReportsSquareThenLabelAndPath)
{
    make_move(make_move_word(62, 64, PAWN));  // e2e4
    make_move(make_move_word(67, 65, PAWN));  // e7e5
    attaques[1][64] ^= 1u << 3;               // e4
    EXPECT_EQ(report("Apres test\n"), "Erreur - attaques[1][e4]\nApres test\n >> e4 e5  << \n");
    EXPECT_EQ(result, 1);  // no key can be awaited here: reported, never success
}

TEST_F(Verify, WrongPackedCountPrintsBothInBase2AndStops)
{
    mk[0] += 1;
    nombre_pions[0] = 3;  // would be reported by a later check
    EXPECT_EQ(report(),
              "mk[0]=00000000 00000001 00100010 00101000 \n"
              "    !=00000000 00000001 00100010 00101001 \n"
              "Erreur - hash keys inconsistantes\n"
              "L\n >>  << \n");
    EXPECT_EQ(result, 1);
    mk[0] -= 1;
    nombre_pions[0] = 8;
    pos()->hash_key.w[1] ^= 1;
    EXPECT_EQ(report(), "Erreur - hash keys inconsistantes\nL\n >>  << \n");
}

TEST_F(Verify, PawnFileTablesShowBoardAndStoredRows)
{
    pions_colonne[1][5] = 2;
    const std::string board = capture_stdout([] { affiche_echiquier(); });
    EXPECT_EQ(report(), "Erreur - pion par colonne\n" + board +
                            "Blancs:\n0,1,1,1,1,2,1,1,1,0,\n"
                            "Noirs:\n0,1,1,1,1,1,1,1,1,0,\n"
                            "L\n >>  << \n");
    pions_colonne[1][5] = 1;
    pion_moins_avance[0][3] = 5;
    EXPECT_EQ(capture_stdout([] { verifie_pions(); }), "Erreur - pion moins avance\n" + board +
                                                           "Blancs:\n9,2,2,2,2,2,2,2,2,9,\n"
                                                           "Noirs:\n0,7,7,5,7,7,7,7,7,0,\n");
}

}  // namespace
