// The book editor driven by scripts, in a scratch directory (it reads and writes `bibli.bok`
// there), with a save that fails on a full disk.
#include "frontend/book_editor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>

#include "book/book.h"
#include "core/board.h"
#include "core/run_settings.h"
#include "full_disk.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

// Each test runs in a fresh empty directory with an empty book.
struct Scratch : ScratchDir {
    Scratch() : ScratchDir(true) { engine_init_for_tests(); }
    ~Scratch() { release_book(); }
};

int editor_rc;

std::string run_editor(const std::string& script)
{
    std::FILE* in = std::tmpfile();
    std::fputs(script.c_str(), in);
    std::rewind(in);
    mode_flags = MODE_TEXT;
    const std::string out = capture_stdout([&] { editor_rc = edit_book_from(in); });
    mode_flags = MODE_XBOARD;
    std::fclose(in);
    return out;
}

// The record of the position after the moves, as {score, attrait}, or {-1, -1}.
std::array<int, 2> record_after(const std::string& moves)
{
    setup_and_play(moves);
    const int r = book_lookup();
    return r < 0 ? std::array{-1, -1}
                 : std::array{int(book_table[r].score), int(book_table[r].attrait)};
}

// Fails unless every fragment occurs in out, in this order.
void expect_in_order(const std::string& out, const std::vector<std::string>& fragments)
{
    size_t at = 0;
    for (const std::string& f : fragments) {
        const size_t found = out.find(f, at);
        ASSERT_NE(found, std::string::npos) << "missing after offset " << at << ": " << f;
        at = found + f.size();
    }
}

TEST(BookEditor, ScriptedSessionAddsEditsListsDeletesAndSaves)
{
    Scratch scratch;
    const std::string out = run_editor(
        "e2e4\ne7e5\nS 5000\n-\ne7e6\na -3\n-\nc7c5\na 5\n-\nLS\n"
        "del\nc7c5\ndel\ns 5\n-\ndir\n-3\nxyz\ne2e5\n  \nsav\nload\nexit\n");
    EXPECT_EQ(editor_rc, 0);
    const std::string rule(75, '-'), list = "xyxy   score  attrait\n....       0      1\n",
                                     e5 = "e7e5    1000      1\n", e6 = "e7e6       0      0\n";
    expect_in_order(
        out, {rule +
                  "\n   Bienvenue dans l'editeur de bibliotheques d'ouvertures pour"
                  " Quarvelin\n                         - Par Ardoiseaux -\n" +
                  rule +
                  "\nTaille maximale de la bibliotheque: 131072 positions "
                  "(2097152 octets [2048 Ko])\n\nCommandes disponibles :\n",
              "[0..1000]\nS    : fixe le score du point de vue des blancs en 100eme de "
              "pion [-1000..1000]\n- [N]: recule de N coups\n" +
                  rule + "\n\n<+> 1. ( 0 / ",
              ")=> <+> 1. e4 ( 0 / ", ")=> <+> 1. e4 e5 2. ( 0 / ", ")=> 1. e4 ( 0 / ",
              ")=> <+> 1. e4 e6 2. ( 0 / ", list + "c7c5       0      5\n" + e5 + e6,
              "e5 debouche sur une position en memoire !\nLa position ne peut pas etre "
              "supprimee.\n>>> Execution manquee.\n",
              // c5 deleted, then "s" on it: the position is not added again
              ")=> 1. e4 c5 2. ( 0 / ",
              ")=> Erreur: la position n'est pas en memoire\n"
              ">>> Execution manquee.\n",
              list + e5 + e6 + "1. e4 ( 0 / ", ")=> 1. ( 0 / ", ")=> >>> Commande inconnue.\n",
              "Coup \"e2e5\" impossible\n", "4 positions sauvees\n", "4 positions chargees\n",
              "Bibliotheque ... 4 positions (0 Ko)\n"});
    EXPECT_EQ(out.find("<+>", out.find("La position ne peut pas")), std::string::npos);

    // The file as "exit" reloaded it: its size, order and each record's fields.
    EXPECT_EQ(fs::file_size("bibli.bok"), 4u + 4 * 16);
    EXPECT_EQ(book_count, 4);
    EXPECT_EQ(book_is_sorted(), 1);
    const std::pair<const char*, std::array<int, 2>> expected[] = {
        {"", {0, 1}}, {"e2e4", {0, 1}}, {"e2e4 e7e5", {1000, 1}}, {"e2e4 e7e6", {0, 0}}};
    for (const auto& [path, fields] : expected) EXPECT_EQ(record_after(path), fields) << path;
}

TEST(BookEditor, LoadRefusesBadFilesAndKeepsTheTable)
{
    Scratch scratch;
    run_editor("e2e4\nsav\nexit\n");  // two positions on file and in the book
    std::ifstream f("bibli.bok", std::ios::binary);
    const std::string good{std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>()};
    std::string too_many = good, unsorted = good;
    too_many[0] = 3;  // the count's low byte: three records announced, two present
    std::swap_ranges(unsorted.begin() + 4, unsorted.begin() + 20, unsorted.begin() + 20);
    const std::string failed = ">>> Execution manquee.\n",
                      sorted = "Erreur : la bibliotheque n'est pas triee par ordre croissant\n";
    // A refused file leaves the two records, so "d2d4" makes three to save (once the user has
    // agreed to replace the file that was not read whole); an unsorted one is kept as read and
    // then refused by "sav". The loader's other refusals are the book tests'.
    const std::vector<std::string> cases[] = {
        {too_many, "Fichier <bibli.bok> trop court (36 octets)\n" + failed, "3 positions sauvees",
         "load\nd2d4\nsav\no\nexit\n"},
        {unsorted, std::string("2 positions chargees\n") + sorted + failed, sorted + failed,
         "load\nd2d4\nsav\nexit\n"}};
    for (const auto& c : cases) {
        std::ofstream("bibli.bok", std::ios::binary) << c[0];
        expect_in_order(run_editor(c[3]), {c[1], c[2]});
        std::ofstream("bibli.bok", std::ios::binary) << good;
        load_book();
    }
}

// A book on file that could not be read whole is replaced only when the user says so: the
// editor started with none of its records, and saving would keep only what was added since.
TEST(BookEditor, SaveOverABookNotReadWholeAsksFirst)
{
    Scratch scratch;
    run_editor("e2e4\ne7e5\nsav\nexit\n");
    std::string cut = file_text("bibli.bok");
    cut.resize(cut.size() - 10);
    const std::string question =
        "<bibli.bok> n'a pas pu etre lu en entier : le sauver perdrait ce qui n'a pas ete lu.\n"
        "Remplacer quand meme (o/n) ? ";
    const std::string refused = question + "Sauvegarde abandonnee\n>>> Execution manquee.\n";
    const std::pair<std::string, std::string> answers[] = {
        {"sav\nn\nexit\n", refused}, {"sav\n", question}, {"load\nsav\nexit\n", refused}};
    for (const auto& [script, said] : answers) {
        std::ofstream("bibli.bok", std::ios::binary) << cut;
        load_book();
        expect_in_order(run_editor(script), {said});
        EXPECT_EQ(file_text("bibli.bok"), cut) << script;
    }
    expect_in_order(run_editor("sav\noui\nexit\n"), {question, "1 positions sauvees\n"});
    EXPECT_EQ(fs::file_size("bibli.bok"), 4u + 16);
    // Once the file reads whole again, "sav" asks nothing.
    const std::string out = run_editor("d2d4\nsav\nexit\n");
    EXPECT_EQ(out.find("Remplacer"), std::string::npos);
    expect_in_order(out, {"2 positions sauvees\n"});
}

// A save that fails half way must not cost the book on file: the old one is kept whole and is
// what "exit" reloads.
TEST(BookEditor, SaveOnAFullDiskKeepsTheOldBook)
{
    SmallDisk disk;
    if (!disk.mounted) GTEST_SKIP() << "no tmpfs could be mounted (needs root)";
    Scratch scratch;
    fs::current_path(disk.dir);
    run_editor("e2e4\nsav\nexit\n");
    const std::string before = file_text("bibli.bok");
    disk.fill();
    expect_in_order(run_editor("d2d4\nsav\nexit\n"),
                    {"Impossible d'ecrire dans <bibli.bok>\n>>> Execution manquee.\n",
                     "Bibliotheque ... 2 positions (0 Ko)\n"});
    EXPECT_EQ(file_text("bibli.bok"), before);
    EXPECT_EQ(entries_in("."), 2u);
    fs::current_path(scratch.dir);
}

TEST(BookEditor, FullTableAndEndOfInput)
{
    Scratch scratch;
    // A full table of keys below every real position's key: nothing more may be added.
    book_table = static_cast<BookRecord*>(std::malloc(BOOK_MAX_RECORDS * sizeof(BookRecord)));
    for (uint32_t i = 0; i < uint32_t(BOOK_MAX_RECORDS); ++i) book_table[i] = {0, 0, i, 0, 1};
    book_count = BOOK_MAX_RECORDS;
    EXPECT_EQ(capture_stdout([] { EXPECT_EQ(add_current_position(), -1); }),
              "Bibliotheque pleine\n");
    EXPECT_EQ(book_count, BOOK_MAX_RECORDS);

    // Input that ends without "exit" leaves as "exit" does: initial position, book reloaded.
    release_book();
    const std::string out = run_editor("e2e4\ne7e5");
    EXPECT_EQ(editor_rc, 0);
    EXPECT_EQ(ply, 0);
    EXPECT_NE(out.find("Bibliotheque ... Non disponible\n"), std::string::npos);
}

}  // namespace
