// Reads the reference move-path counts of tests/data/perft.epd: one position per line, then
// ";Dn count" fields.
#pragma once

#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "movegen_helpers.h"
#include "test_support.h"

namespace movegen_test {

struct PerftCase {
    std::string fen;
    int depth;
    uint64_t count;
};

// Every (position, depth) whose count is at most max_count.
inline std::vector<PerftCase> perft_cases(uint64_t max_count)
{
    std::vector<PerftCase> out;
    std::ifstream in(std::string(QUARVELIN_TEST_DATA) + "/perft.epd");
    std::string line;
    while (std::getline(in, line)) {
        const size_t first = line.find(';');
        if (first == std::string::npos) continue;
        const std::string fen = line.substr(0, first);
        std::istringstream fields(line.substr(first));
        std::string field;
        while (std::getline(fields, field, ';')) {
            int depth = 0;
            unsigned long long count = 0;
            if (std::sscanf(field.c_str(), " D%d %llu", &depth, &count) == 2 && count <= max_count)
                out.push_back({fen, depth, count});
        }
    }
    return out;
}

}  // namespace movegen_test
