// The book editor's loop, its nine commands and the insertion of new positions. The editor owns
// the book table while it runs: a block of BOOK_MAX_RECORDS records of which the first
// book_count are in use, kept sorted and free of duplicate keys by every insertion and deletion.
#include "frontend/book_editor.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "book/book.h"
#include "book/book_file.h"
#include "core/board.h"
#include "core/makemove.h"
#include "core/setup.h"
#include "core/tables.h"
#include "eval/evaluation.h"
#include "frontend/display.h"
#include "frontend/gameend.h"
#include "movegen/movegen.h"
#include "movegen/notation.h"
#include "platform/platform.h"

namespace {

constexpr int EDITOR_LINE_SIZE = 256;
constexpr size_t TABLE_BYTES = size_t{BOOK_MAX_RECORDS} * sizeof(BookRecord);
constexpr int RESULT_LEAVE = 2;

std::FILE* editor_input = nullptr;
char editor_line[EDITOR_LINE_SIZE];
const char* editor_args = "";  // the rest of the current line, where "s" and "a" read
// The working directory's book exists but could not be read whole: saving over it would lose
// the records that were not read, so "sav" asks first.
bool book_unreadable = false;

// Reads the next line holding a word; false at the end of the input. A line longer than the
// buffer keeps its beginning and the rest is dropped, so the next read starts on a new line.
bool read_command_line()
{
    std::fflush(stdout);
    while (read_text_line(editor_input, editor_line, sizeof editor_line)) {
        const char* p = editor_line;
        while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
        if (*p != '\0') return true;
    }
    return false;
}

// Cuts the first word out of the current line, lower-cased; editor_args then points after it.
char* take_word()
{
    char* p = editor_line;
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n') ++p;
    char* word = p;
    for (; *p != '\0' && *p != ' ' && *p != '\t' && *p != '\r' && *p != '\n'; ++p)
        if (*p >= 'A' && *p <= 'Z') *p = static_cast<char>(*p - 'A' + 'a');
    if (*p != '\0') *p++ = '\0';
    editor_args = p;
    return word;
}

// A decimal number at the start of text (after blanks), saturated far outside every limit the
// editor applies; false when no digit follows the optional sign.
bool parse_number(const char* text, int* out)
{
    while (*text == ' ' || *text == '\t') ++text;
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') ++text;
    if (*text < '0' || *text > '9') return false;
    int64_t v = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        if (v < 1000000000) v = v * 10 + (*text - '0');
    *out = static_cast<int>(negative ? -v : v);
    return true;
}

int clamp(int v, int lo, int hi)
{
    return v < lo ? lo : v > hi ? hi : v;
}

// A move may be made and its successors looked up only while two ply records remain free.
bool room_for_moves()
{
    return ply < MAX_PLY_RECORDS - 2;
}

void print_welcome()
{
    print_rule();
    std::printf("   Bienvenue dans l'editeur de bibliotheques d'ouvertures pour Quarvelin\n");
    std::printf("                         - Par Ardoiseaux -\n");
    print_rule();
    std::printf("Taille maximale de la bibliotheque: %d positions (%d octets [%d Ko])\n\n",
                BOOK_MAX_RECORDS, static_cast<int>(TABLE_BYTES),
                static_cast<int>(TABLE_BYTES / 1024));
    std::printf(
        "Commandes disponibles :\nDIR / LS : affiche les coups connus pour la position "
        "courante\ne2e4 : joue e2e4\nEXIT : quitte\nLOAD : charge la bibliotheque\n"
        "SAV  : sauve la bibliotheque\nD    : affiche la position sur l'echiquier\n"
        "DEL  : efface la position courante\n");
    std::printf(
        "A    : fixe l'attrait de la position [0..%d]\nS    : fixe le score du point de "
        "vue des blancs en 100eme de pion [%d..%d]\n",
        EDITOR_MAX_ATTRAIT, -EDITOR_MAX_SCORE, EDITOR_MAX_SCORE);
    std::printf("- [N]: recule de N coups\n");
    print_rule();
    std::printf("\n");
}

void print_prompt()
{
    for (int i = 0; i < ply; ++i) {
        if (i % 2 == 0) std::printf("%d. ", i / 2 + 1);
        std::printf("%s ", move_to_text(etats[i].coup, false));
    }
    if (ply % 2 == 0) std::printf("%d. ", ply / 2 + 1);
    std::printf("( %d / %d )=> ", (pos()->materiel[1] - pos()->materiel[0]) * trait,
                evaluation(-30000, 30000));
}

// ---- command handlers --------------------------------------------------------------------------

int cmd_exit()
{
    nouvelle_partie();
    release_book();
    load_book();
    return RESULT_LEAVE;
}

int cmd_display()
{
    affiche_echiquier();
    return 0;
}

struct Successor {
    Move move;
    int record;
    int attrait;
};

int cmd_list()
{
    std::printf("xyxy   score  attrait\n");
    const int here = book_lookup();
    if (here >= 0)
        std::printf("....   %5d   %4d\n", book_table[here].score, book_table[here].attrait);
    if (!room_for_moves()) return 0;
    static Successor found[MAX_LIST_MOVES];
    int n = 0;
    genere_all_moves(0);
    for (int i = ply_start[0]; i < ply_start[1]; ++i) {
        const int r = lookup_after(move_stack[i].move);
        if (r >= 0) found[n++] = Successor{move_stack[i].move, r, book_table[r].attrait};
    }
    for (int i = 0; i < n; ++i) {
        int top = i;
        for (int j = i + 1; j < n; ++j)
            if (found[j].attrait > found[top].attrait) top = j;
        const Successor s = found[top];
        found[top] = found[i];
        found[i] = s;
        std::printf("%s%s", square_name(move_from(s.move)), square_name(move_to(s.move)));
        std::printf("   %5d   %4d\n", book_table[s.record].score, s.attrait);
    }
    return 0;
}

// Whether the book file that could not be read whole may be replaced: the user answers.
bool confirm_overwrite()
{
    std::printf(
        "<bibli.bok> n'a pas pu etre lu en entier : le sauver perdrait ce qui n'a pas "
        "ete lu.\nRemplacer quand meme (o/n) ? ");
    if (!read_command_line()) return false;
    const char* answer = take_word();
    if (std::strcmp(answer, "o") == 0 || std::strcmp(answer, "oui") == 0) return true;
    std::printf("Sauvegarde abandonnee\n");
    return false;
}

int cmd_save()
{
    if (!book_is_sorted()) return -1;
    if (book_unreadable && !confirm_overwrite()) return -1;
    // The book on disk is replaced only once the whole new one is written.
    if (!write_book_file(BOOK_FILE_NAME, book_table, book_count)) {
        std::printf("Impossible d'ecrire dans <bibli.bok>\n");
        return -1;
    }
    book_unreadable = false;
    std::printf("%d positions sauvees\n", book_count);
    return 0;
}

int cmd_load()
{
    const BookFileContents file = read_book_file(BOOK_FILE_NAME);
    if (file.status == BookFileStatus::NOT_OPENED) {
        std::printf("Impossible de lire <bibli.bok>\n");
        return -1;
    }
    if (file.status != BookFileStatus::OK) {
        print_book_file_error(file);
        book_unreadable = true;
        return -1;
    }
    book_unreadable = false;
    std::memcpy(book_table, file.records, size_t(file.count) * sizeof(BookRecord));
    std::free(file.records);
    book_count = file.count;
    std::printf("%d positions chargees\n", book_count);
    return book_is_sorted() ? 0 : -1;
}

// The current position's record for "s" and "a", or -1 after the message.
int record_to_set()
{
    const int r = book_lookup();
    if (r < 0) std::printf("Erreur: la position n'est pas en memoire\n");
    return r;
}

int cmd_score()
{
    const int r = record_to_set();
    if (r < 0) return -1;
    int v = 0;
    if (!parse_number(editor_args, &v)) v = 0;
    book_table[r].score = static_cast<int16_t>(clamp(v, -EDITOR_MAX_SCORE, EDITOR_MAX_SCORE));
    return 0;
}

int cmd_attrait()
{
    const int r = record_to_set();
    if (r < 0) return -1;
    int v = 0;
    if (!parse_number(editor_args, &v)) v = 0;
    book_table[r].attrait = static_cast<uint16_t>(clamp(v, 0, EDITOR_MAX_ATTRAIT));
    return 0;
}

int cmd_delete()
{
    const int r = book_lookup();
    if (r < 0) {
        std::printf("La position n'est pas en memoire\n");
        return -1;
    }
    int known = 0;
    if (room_for_moves()) {
        genere_all_moves(0);
        for (int i = ply_start[0]; i < ply_start[1]; ++i) {
            if (lookup_after(move_stack[i].move) < 0) continue;
            std::printf("%s debouche sur une position en memoire !\n",
                        move_to_text(move_stack[i].move, false));
            ++known;
        }
    }
    if (known > 0) {
        std::printf("La position ne peut pas etre supprimee.\n");
        return -1;
    }
    std::memmove(book_table + r, book_table + r + 1,
                 size_t(book_count - r - 1) * sizeof(BookRecord));
    --book_count;
    return 0;
}

struct EditorCommand {
    const char* word;
    int (*handler)();
};

constexpr EditorCommand editor_commands[] = {
    {"exit", cmd_exit}, {"d", cmd_display}, {"ls", cmd_list},
    {"dir", cmd_list},  {"sav", cmd_save},  {"load", cmd_load},
    {"s", cmd_score},   {"a", cmd_attrait}, {"del", cmd_delete},
};

// The handler of a command word, or nullptr.
int (*command_handler(const char* word))()
{
    for (const EditorCommand& c : editor_commands)
        if (std::strcmp(c.word, word) == 0) return c.handler;
    return nullptr;
}

// A word that is neither a command nor a move: a takeback "-" / "-N", or unknown.
void other_word(const char* word)
{
    if (word[0] != '-') {
        std::printf(">>> Commande inconnue.\n");
        return;
    }
    int n = 1;
    if (!parse_number(word + 1, &n)) n = 1;
    for (; n > 0 && ply >= 1; --n) take_back_game_move();
}

// Plays a typed move; true when it was made.
bool play_word(const char* word, Move m)
{
    if (!room_for_moves() || is_legal_move(m) == 0) {
        std::printf("Coup \"%s\" impossible\n", word);
        return false;
    }
    make_move(m);
    return true;
}

// The main loop; returns when "exit" has run (also at the end of the input, which leaves the
// editor as "exit" does, so that a script without "exit" cannot spin forever).
void editor_loop()
{
    bool add = true;
    for (;;) {
        if (add) add_current_position();
        add = false;
        print_prompt();
        if (!read_command_line()) {
            cmd_exit();
            return;
        }
        const char* word = take_word();
        if (int (*handler)() = command_handler(word)) {
            const int result = handler();
            if (result < 0) std::printf(">>> Execution manquee.\n");
            if (result == RESULT_LEAVE) return;
            continue;
        }
        const Move m = text_to_move(word);
        if (m == 0)
            other_word(word);
        else
            add = play_word(word, m);
    }
}

}  // namespace

int book_is_sorted()
{
    for (int32_t i = 1; i < book_count; ++i) {
        const BookRecord& a = book_table[i - 1];
        const BookRecord& b = book_table[i];
        const bool ascending = a.key0 != b.key0   ? a.key0 < b.key0
                               : a.key1 != b.key1 ? a.key1 < b.key1
                                                  : a.key2 < b.key2;
        if (!ascending) {
            std::printf("Erreur : la bibliotheque n'est pas triee par ordre croissant\n");
            return 0;
        }
    }
    return 1;
}

int add_current_position()
{
    const Key96 key = current_book_key();
    int32_t at = 0;
    if (book_search(key, &at) >= 0) return -1;
    if (book_count >= BOOK_MAX_RECORDS) {
        std::printf("Bibliotheque pleine\n");
        return -1;
    }
    std::printf("<+> ");
    std::memmove(book_table + at + 1, book_table + at,
                 size_t(book_count - at) * sizeof(BookRecord));
    book_table[at] = BookRecord{key.w[0], key.w[1], key.w[2], 0, 1};
    ++book_count;
    return 0;
}

// True when the working directory holds a book file that cannot be read whole.
static bool book_file_unreadable()
{
    const BookFileContents file = read_book_file(BOOK_FILE_NAME);
    std::free(file.records);
    return file.status != BookFileStatus::OK && file.status != BookFileStatus::NOT_OPENED;
}

int edit_book_from(std::FILE* in)
{
    nouvelle_partie();
    book_unreadable = book_file_unreadable();
    // The records already loaded move into the full-size table, so editing extends the book.
    auto* table = static_cast<BookRecord*>(std::malloc(TABLE_BYTES));
    if (table == nullptr) {
        std::printf("Pas assez de memoire\n");
        return -1;
    }
    const int32_t kept = book_count < BOOK_MAX_RECORDS ? book_count : BOOK_MAX_RECORDS;
    if (kept > 0) std::memcpy(table, book_table, size_t(kept) * sizeof(BookRecord));
    release_book();
    book_table = table;
    book_count = kept;

    editor_input = in;
    print_welcome();
    editor_loop();
    editor_input = nullptr;
    return 0;
}

int edit_book()
{
    return edit_book_from(stdin);
}
