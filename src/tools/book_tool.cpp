// The book builder's driver: options, then every input read in order into one tally, then the
// records (or the Polyglot entries) written in one piece. Errors name the file, the line and the
// token and stop the run before anything is written; warnings (skipped games) do not.
#include "tools/book_tool.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "book/book_file.h"
#include "book/polyglot_file.h"
#include "tools/book_convert.h"
#include "tools/book_inputs.h"

namespace {

constexpr const char* USAGE =
    "usage: quarvelin-book -o OUTPUT [options] INPUT...\n"
    "  INPUT             an opening list (a weight 0-1000, then coordinate moves, per line)\n"
    "                    or, when its name ends in .pgn, a file of games in PGN, or a book\n"
    "                    to merge: Polyglot when its name ends in .bin, bibli.bok in .bok\n"
    "  -o, --output FILE the book to write (bibli.bok format; Polyglot when FILE ends in .bin)\n"
    "  -f, --format bok|polyglot\n"
    "                    the output's format (default: from the output's name)\n"
    "  -p, --plies N     moves taken from the start of each game (default 16)\n"
    "  -m, --min-games N games a position needs to enter from games alone (default 1)\n"
    "  -w, --weights games|results\n"
    "                    weigh a game position by the games reaching it (default) or by the\n"
    "                    wins (2) and draws (1) of the side that moved into it\n";

constexpr int MAX_PLIES = 1000;

struct ToolArguments {
    std::string output;
    std::string format;  // "bok", "polyglot", or "" for the output's name to decide
    BuildOptions options;
    std::vector<std::string> inputs;
};

// A message quoting the inputs, with their control bytes written as \xNN: a file's bytes must
// neither cut the message short (a NUL) nor reach the terminal as commands (an escape).
std::string printable(const std::string& message)
{
    std::string out;
    for (const char c : message) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b != 0x7f) {
            out += c;
            continue;
        }
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\x%02x", b);
        out += escaped;
    }
    return out;
}

int fail(const std::string& message, int status)
{
    std::fprintf(stderr, "quarvelin-book: %s\n", printable(message).c_str());
    if (status == 2) std::fputs(USAGE, stderr);
    return status;
}

bool read_count(const char* text, int lo, int hi, int* out)
{
    char* end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || v < lo || v > hi) return false;
    *out = static_cast<int>(v);
    return true;
}

// "" when the command line is good, else what is wrong with it.
std::string parse_arguments(int argc, char** argv, ToolArguments* a)
{
    for (int i = 1; i < argc; ++i) {
        const std::string opt = argv[i];
        const bool takes_value = opt == "-o" || opt == "--output" || opt == "-p" ||
                                 opt == "--plies" || opt == "-m" || opt == "--min-games" ||
                                 opt == "-w" || opt == "--weights" || opt == "-f" ||
                                 opt == "--format";
        if (!takes_value) {
            if (opt.size() > 1 && opt[0] == '-') return "unknown option " + opt;
            a->inputs.push_back(opt);
            continue;
        }
        if (i + 1 >= argc) return opt + " needs a value";
        const char* value = argv[++i];
        if (opt == "-o" || opt == "--output") {
            a->output = value;
        } else if (opt == "-f" || opt == "--format") {
            if (std::strcmp(value, "bok") != 0 && std::strcmp(value, "polyglot") != 0)
                return opt + " takes bok or polyglot";
            a->format = value;
        } else if (opt == "-p" || opt == "--plies") {
            if (!read_count(value, 1, MAX_PLIES, &a->options.plies))
                return opt + " takes a number from 1 to " + std::to_string(MAX_PLIES);
        } else if (opt == "-m" || opt == "--min-games") {
            if (!read_count(value, 1, 1 << 30, &a->options.min_games))
                return opt + " takes a number of at least 1";
        } else if (std::strcmp(value, "games") == 0 || std::strcmp(value, "results") == 0) {
            a->options.weights_from_results = std::strcmp(value, "results") == 0;
        } else {
            return opt + " takes games or results";
        }
    }
    if (a->output.empty()) return "no output: give -o OUTPUT";
    if (a->inputs.empty()) return "no input file";
    // The book replaces its output whole: an input named as the output would be lost.
    for (const std::string& input : a->inputs) {
        std::error_code ec;
        if (std::filesystem::equivalent(a->output, input, ec))
            return a->output + " is also an input: it would be replaced by the book";
    }
    return "";
}

std::string lower_extension(const std::string& name)
{
    std::string ext = std::filesystem::path(name).extension().string();
    for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

bool is_pgn_name(const std::string& name)
{
    return lower_extension(name) == ".pgn";
}

// Books given as inputs merge into the tally; false with *error on a refused book.
bool add_book_input(const std::string& input, BookTally* tally, std::string* error)
{
    std::vector<std::string> warnings;
    const bool ok = lower_extension(input) == ".bin"
                        ? add_polyglot_book(input, tally, error, &warnings)
                        : add_bok_book(input, tally, error, &warnings);
    for (const std::string& w : warnings)
        std::fprintf(stderr, "quarvelin-book: warning: %s\n", printable(w).c_str());
    return ok;
}

int write_polyglot(const ToolArguments& args, const BookTally& tally)
{
    const std::vector<PolyglotEntry> entries = tally_polyglot_entries(tally, args.options);
    if (!write_polyglot_file(args.output.c_str(), entries))
        return fail(args.output + ": cannot write: " + std::strerror(errno), 1);
    std::printf(
        "quarvelin-book: %zu Polyglot entries written to %s (%d lines, %d games, %d skipped, "
        "%lld book entries merged)\n",
        entries.size(), args.output.c_str(), tally.lines, tally.games, tally.games_skipped,
        static_cast<long long>(tally.book_entries));
    return 0;
}

// Opens an input for reading, or returns false with *error set. Only regular files are read: a
// device or a pipe might never end.
bool open_input(const std::string& name, std::ifstream* in, std::string* error)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(name, ec)) {
        *error = name + ": " +
                 (std::filesystem::exists(name, ec) ? "not a regular file"
                                                    : "cannot read: no such file");
        return false;
    }
    in->open(name, std::ios::binary);
    if (!*in) {
        *error = name + ": cannot read: " + std::strerror(errno);
        return false;
    }
    return true;
}

// Reads one input into the tally, streamed; false with *error set for a bad opening line or a
// failed read.
bool add_input(const std::string& name, const BuildOptions& options, BookTally* tally,
               std::string* error)
{
    std::ifstream in;
    if (!open_input(name, &in, error)) return false;
    if (!is_pgn_name(name)) {
        if (!add_opening_list(name, in, tally, error)) return false;
    } else {
        add_pgn_games(name, in, options, tally, [](const std::string& w) {
            std::fprintf(stderr, "quarvelin-book: warning: %s\n", printable(w).c_str());
        });
    }
    if (in.bad()) {
        *error = name + ": cannot read: " + std::strerror(errno);
        return false;
    }
    return true;
}

}  // namespace

int book_tool_main(int argc, char** argv)
{
    ToolArguments args;
    const std::string bad = parse_arguments(argc, argv, &args);
    if (!bad.empty()) return fail(bad, 2);

    BookTally tally;
    tally.collect_moves = args.format == "polyglot" ||
                          (args.format.empty() && lower_extension(args.output) == ".bin");
    for (const std::string& input : args.inputs) {
        std::string error;
        if (lower_extension(input) == ".bin" || lower_extension(input) == ".bok") {
            if (!add_book_input(input, &tally, &error)) return fail(error, 1);
            continue;
        }
        if (!add_input(input, args.options, &tally, &error)) return fail(error, 1);
    }
    if (tally.lines == 0 && tally.games == 0 && tally.book_entries == 0)
        return fail("nothing to build: no opening line and no readable game", 1);
    if (tally.collect_moves) return write_polyglot(args, tally);

    const std::vector<BookRecord> records = tally_records(tally, args.options);
    if (records.size() > size_t{BOOK_MAX_RECORDS})
        return fail(std::to_string(records.size()) + " positions: a book holds at most " +
                        std::to_string(BOOK_MAX_RECORDS),
                    1);
    if (!write_book_file(args.output.c_str(), records.data(), static_cast<int32_t>(records.size())))
        return fail(args.output + ": cannot write: " + std::strerror(errno), 1);
    std::printf("quarvelin-book: %zu positions written to %s (%d lines, %d games, %d skipped)\n",
                records.size(), args.output.c_str(), tally.lines, tally.games, tally.games_skipped);
    return 0;
}
