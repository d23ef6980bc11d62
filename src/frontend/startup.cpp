// Start-up: the command line, the xboard handshake, the speed measurement and the fixed order in
// which caches, tables, the initial position and the consistency check come to exist. Owns
// `mode flags`, `hash budget` and `estimated CPU speed`; exactly one mode bit is set once the
// handshake is over, and nothing but a failed cache allocation ends the program early.
#include "frontend/startup.h"
#include "frontend/think_lines.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "book/book.h"
#include "caches/caches.h"
#include "core/setup.h"
#include "core/tables.h"
#include "core/verify.h"
#include "eval/bitbases.h"
#include "frontend/console.h"
#include "frontend/display.h"
#include "frontend/threads_setting.h"
#include "frontend/uci.h"
#include "frontend/xboard.h"
#include "movegen/notation.h"
#include "platform/platform.h"
#include "search/clock.h"
#include "search/search_link.h"

uint32_t hash_budget = 128;

// ---- command line ---------------------------------------------------------------------------

bool parse_hash_argument(const char* arg, uint32_t* megabytes)
{
    if ((arg[0] != 'H' && arg[0] != 'h') || arg[1] < '0' || arg[1] > '9') return false;
    // The digits are read up to the first other character; the running value stops growing
    // as soon as it passes the limit, so no length of digits can overflow it.
    uint64_t value = 0;
    for (const char* p = arg + 1; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + static_cast<uint64_t>(*p - '0');
        if (value > MAX_HASH_MEGABYTES) return false;
    }
    *megabytes = static_cast<uint32_t>(value);
    return true;
}

// "H" or "h" and a digit: a budget, even one too large to be taken.
static bool is_hash_budget_word(const char* arg)
{
    return (arg[0] == 'H' || arg[0] == 'h') && arg[1] >= '0' && arg[1] <= '9';
}

bool parse_book_argument(const char* arg)
{
    if ((arg[0] != 'B' && arg[0] != 'b') || arg[1] == '\0') return false;
    if (std::strlen(arg + 1) >= sizeof book_file_name) {
        std::printf("%.40s... ignored: the book's name is too long\n", arg);
        return true;
    }
    std::snprintf(book_file_name, sizeof book_file_name, "%s", arg + 1);
    return true;
}

void parse_command_line(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "text") == 0)
            mode_flags = MODE_TEXT;
        else if (std::strcmp(argv[i], "xboard") == 0)
            mode_flags = MODE_XBOARD;
        else if (std::strcmp(argv[i], "uci") == 0)
            mode_flags = MODE_UCI;
        else if (parse_book_argument(argv[i]) || parse_threads_argument(argv[i], &requested_threads))
            continue;
        else if (!parse_hash_argument(argv[i], &hash_budget) && is_hash_budget_word(argv[i]))
            std::printf("%s ignored: the cache budget is at most %u MB\n", argv[i],
                        MAX_HASH_MEGABYTES);
    }
}

// ---- handshake ------------------------------------------------------------------------------

constexpr size_t HANDSHAKE_WORD_SIZE = 64;

static bool is_blank(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Reads one whitespace-delimited word byte by byte (stdin is unbuffered here, so nothing after
// the word and its one delimiter is taken from the descriptor). A word longer than the buffer
// is consumed whole but kept only in part, and marked so that it matches nothing.
static void read_handshake_word(char (&word)[HANDSHAKE_WORD_SIZE])
{
    int c = std::getchar();
    while (c != EOF && is_blank(c)) c = std::getchar();
    size_t length = 0;
    bool truncated = false;
    for (; c != EOF && !is_blank(c); c = std::getchar()) {
        if (length + 1 < HANDSHAKE_WORD_SIZE)
            word[length++] = static_cast<char>(c);
        else
            truncated = true;
    }
    word[length] = '\0';
    if (truncated) word[0] = '\0';
}

static void fall_back_to_text_mode(const char* expected)
{
    std::printf("Quarvelin was expecting the command \"%s\"\n", expected);
    std::printf("Starting in text mode.\nType help for the list of the commands.\n");
    mode_flags = MODE_TEXT;
}

// An interface drives the program: unbuffered standard streams, the interrupt signal ignored.
static void prepare_for_interface()
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stdin, nullptr, _IONBF, 0);
    ignore_interrupt_signal();
}

// Set when the default mode's first word was "uci": the UCI loop answers it first.
static bool uci_greeted = false;

static void xboard_handshake()
{
    prepare_for_interface();
    char word[HANDSHAKE_WORD_SIZE];
    read_handshake_word(word);
    if (std::strcmp(word, "uci") == 0) {
        mode_flags = MODE_UCI;
        uci_greeted = true;
        return;
    }
    if (std::strcmp(word, "xboard") != 0) {
        fall_back_to_text_mode("xboard");
        return;
    }
    read_handshake_word(word);
    if (std::strcmp(word, "protover") != 0) {
        fall_back_to_text_mode("protover N");
        return;
    }
    read_handshake_word(word);  // the protocol version, not used
    std::printf("feature myname=\"Quarvelin\" setboard=1 done=0\n");
}

static void print_banner()
{
    std::printf("********************\n");
    std::printf("*    Quarvelin     *\n");
    std::printf("*  Par Ardoiseaux  *\n");
    std::printf("********************\n");
}

// ---- speed measurement ----------------------------------------------------------------------

int32_t kernel_quotient(int32_t a, int32_t b)
{
    if (b == 0) return 0;
    if (a == INT32_MIN && b == -1) return INT32_MIN;
    return a / b;
}

int32_t kernel_remainder(int32_t a, int32_t b)
{
    if (b == 0) return a;
    if (b == -1) return 0;
    return a % b;
}

// The thirteen state words, kept as unsigned so that every sum, difference, product and shift
// wraps modulo 2^32; sgn() reads a word as signed where the kernel compares or divides.
struct KernelState {
    uint32_t w1, w2, w3, w4, w5, w6, w7, w8, w9, w10, w11, w12, w13;
};

static int32_t sgn(uint32_t x)
{
    return static_cast<int32_t>(x);
}
static uint32_t uns(int32_t x)
{
    return static_cast<uint32_t>(x);
}
static uint32_t quo(uint32_t a, uint32_t b)
{
    return uns(kernel_quotient(sgn(a), sgn(b)));
}
// Halving by an arithmetic shift: the sign bit is kept.
static uint32_t half(uint32_t x)
{
    return uns(sgn(x) >> 1);
}

static void kernel_step(KernelState& s)
{
    uint32_t n = ~s.w10;
    s.w9 ^= n & s.w11;
    s.w3 -= s.w4;
    s.w1 += s.w2;
    s.w2 *= s.w3;
    uint32_t r = uns(kernel_remainder(sgn(s.w3), sgn(s.w1)));
    s.w3 += s.w2;
    s.w13 = s.w13 + r - 132342u;
    s.w4 = s.w4 + s.w3 + s.w1;
    uint32_t p = s.w5 * s.w13;
    s.w11 = ~(s.w12 | s.w11) << 2;
    s.w1 = s.w1 - s.w4 + 2 * s.w3;
    s.w13 = p + s.w1 - 341776u;
    s.w12 ^= (s.w11 << 2) | (s.w10 >> 2);
    s.w4 += s.w2;
    s.w2 += s.w4;
    if (sgn(s.w4) > sgn(s.w3))
        s.w5 = quo(s.w5 * s.w4, ((half(s.w3) - 4 * s.w4) & 255) + 1);
    else
        s.w9 = (s.w9 >> (s.w10 & 7)) | ~((s.w12 ^ s.w11) & ~s.w9);
    uint32_t x;
    if (sgn(s.w1) > sgn(s.w2)) {
        s.w6 = quo(s.w6 * s.w2, ((half(s.w1) - 4 * s.w2) & 255) + 1);
        x = s.w10;
    } else {
        x = (s.w10 << (s.w10 & 15)) | ((s.w11 ^ s.w9) & n);
    }
    x |= s.w12 ^ s.w11;
    uint32_t t = s.w9 + x;
    s.w4 -= s.w3 * s.w2;
    t ^= s.w6 * s.w13;
    s.w10 = x & s.w11;
    t &= ~s.w9 ^ s.w12;
    s.w7 = (s.w5 * s.w3 - s.w4 + s.w7) ^ s.w9;
    s.w2 += s.w4;
    s.w8 = (s.w6 * s.w1 - s.w2 + s.w8) | s.w10;
    uint32_t inner = quo((s.w3 - t) * t, (s.w7 & 254) | 1) + s.w2;
    s.w13 = quo(inner * t, (s.w8 & 254) | 1) + s.w1;
}

static void run_blocks(KernelState& s, int32_t blocks)
{
    for (int32_t b = 0; b < blocks; ++b)
        for (int step = 0; step < 24; ++step) kernel_step(s);
}

// The first reading of the clock after its value changes.
static int64_t next_clock_edge()
{
    int64_t start = now_ms();
    int64_t t = now_ms();
    while (t == start) t = now_ms();
    return t;
}

static constexpr KernelState KERNEL_SEEDS{12365u,   23781269u, 143897u, 877364u,   3219644u,
                                          4265498u, 428765u,   776532u, 12323765u, 132786u,
                                          786410u,  2138972u,  1u};

int32_t speed_kernel(int32_t blocks)
{
    KernelState s = KERNEL_SEEDS;
    run_blocks(s, blocks);
    return sgn(s.w13);
}

int32_t mesure_vitesse_cpu(int multiplier, int32_t* sink)
{
    KernelState s = KERNEL_SEEDS;
    int64_t start = now_ms();
    int64_t t1 = next_clock_edge();
    int64_t deadline = t1 + (t1 - start) * multiplier;
    // n stops doubling long before it could overflow, should the clock ever seem to stand still.
    int32_t n = 100;
    do {
        n *= 2;
        run_blocks(s, n);
    } while (now_ms() < deadline && n < INT32_MAX / 4);
    n *= 2;
    int64_t t2 = next_clock_edge();
    run_blocks(s, n);
    int64_t elapsed = now_ms() - t2;
    if (elapsed < 1) elapsed = 1;  // a clock that did not move must not divide by zero
    *sink = sgn(s.w13);
    float speed = static_cast<float>(n) * 1000.0f / static_cast<float>(elapsed) * 0.01f;
    return speed >= 2147483648.0f ? INT32_MAX : static_cast<int32_t>(speed);
}

// ---- caches ---------------------------------------------------------------------------------

namespace {

const char* const CACHE_FAILURES[CACHE_COUNT] = {
    "Erreur lors de l'initialisation de la table de hachage principale\n",
    "Erreur lors de l'initialisation de la table de hachage des evaluations\n",
    "Erreur lors de l'initialisation de la table de hachage des pions\n",
    "Erreur lors de l'initialisation de la tables de hachage du materiel\n",
    "Erreur lors de l'initialisation de la table de hachage des securites des rois\n",
};

int cache_being_sized = 0;

void print_binary_mask(uint32_t mask)
{
    char text[40];
    int n = 0;
    for (int bit = 31; bit >= 0; --bit) {
        text[n++] = (mask >> bit) & 1 ? '1' : '0';
        if (bit % 8 == 0) text[n++] = ' ';
    }
    text[n] = 0;
    std::printf("mask = %s\n", text);
}

// Each table as it is sized: three lines in text mode.
void report_cache(int which, const TablePlan& t)
{
    cache_being_sized = which;
    if (!text_mode()) return;
    std::printf("%s - %u octets/cellule\n", cache_names[which], cache_cell_bytes[which]);
    std::printf("%llu cellules / %llu octets (%llu Mo)\n", static_cast<unsigned long long>(t.cells),
                static_cast<unsigned long long>(t.bytes),
                static_cast<unsigned long long>(t.bytes >> 20));
    print_binary_mask(t.mask);
}

}  // namespace

int open_caches(uint64_t budget_bytes)
{
    if (allocate_caches(budget_bytes, report_cache) == 0) return 0;
    std::printf("%s", CACHE_FAILURES[cache_being_sized]);
    return -1;
}

// ---- the start-up sequence ------------------------------------------------------------------

void install_front_end_links()
{
    verify_displays = VerifyDisplays{affiche_echiquier, print_search_path};
    search_link.book_move = book_move_for_think;
    search_link.input = mode_flags == MODE_XBOARD ? xboard_search_input
                        : uci_mode()              ? uci_search_input
                                                  : console_search_input;
    search_link.report = uci_mode() ? uci_report : think_lines_report;
}

// The xboard loop or the console loop, whichever `mode flags` names, runs here.
void run_front_end()
{
    if (mode_flags == MODE_XBOARD)
        xboard_loop();
    else if (mode_flags == MODE_UCI)
        uci_loop(uci_greeted);
    else
        console_loop();
}

// The helpers of a T<n> argument, with a line on their memory in text mode (the caches' own
// report stays as it is).
static void start_search_threads()
{
    if (requested_threads == 1) return;
    char message[160];
    apply_search_threads(requested_threads, hash_budget_bytes(hash_budget), message,
                         sizeof message);
    if (text_mode() && message[0] != '\0') std::printf("%s\n", message);
}

int quarvelin_main(int argc, char** argv)
{
    parse_command_line(argc, argv);
    if (mode_flags == MODE_XBOARD)
        xboard_handshake();
    else if (mode_flags == MODE_UCI)
        prepare_for_interface();
    if (text_mode()) print_banner();

    int32_t sink = 0;
    estimated_cpu_speed = mesure_vitesse_cpu(10, &sink);
    if (!uci_mode()) std::printf("Estimated CPU speed: %d\n", estimated_cpu_speed);

    if (open_caches(hash_budget_bytes(hash_budget)) < 0) return -1;
    start_search_threads();
    init_static_tables();
    init_bitbases();
    init_echiquier(nullptr, 1, 15, 0);
    clear_caches();
    seed_random(static_cast<int32_t>(calendar_seconds()));
    load_book();
    install_front_end_links();
    verifie_position("Apres Initialisation\n");

    if (mode_flags == MODE_XBOARD) {
        input_init();
        // On a line of its own, so that the first feature line stays as it always was: the
        // interface may now send "cores N".
        std::printf("feature smp=1\n");
        std::printf("feature done=1\n");
    }
    run_front_end();
    return 0;
}
