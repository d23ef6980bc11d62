// The engine in UCI mode as a child process, as the UCI tests drive it: started with or without
// the "uci" argument, the handshake sent and its end awaited.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "test_support.h"

struct Uci : ChildEngine {
    explicit Uci(const char* book = nullptr, std::vector<std::string> args = {"uci", "H8"})
        : ChildEngine(args, book)
    {
        send("uci\nisready\n");
        expect("uciok");
        expect("readyok");
    }
    // Milliseconds until `pattern` appears.
    long long wait_ms(const std::string& pattern, int seconds = 20)
    {
        const auto start = std::chrono::steady_clock::now();
        expect(pattern, seconds);
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - start)
            .count();
    }
    // Ends the program by "quit": its exit status.
    int quit()
    {
        send("quit\n");
        return finish();
    }
};
