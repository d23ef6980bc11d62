// The positions whose fixed-depth node totals sign the search: openings, middle games, endings
// and tactics. Shared by the signature tests and the search benchmark; plain data only.
#pragma once

constexpr int SIGNATURE_COUNT = 12;
constexpr const char* SIGNATURE_POSITIONS[SIGNATURE_COUNT] = {
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
    "r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10",
    "r1bqkb1r/pppp1ppp/2n2n2/4p3/2B1P3/5N2/PPPP1PPP/RNBQK2R w KQkq - 4 4",
    "8/5pk1/6p1/1P6/r7/6P1/5PK1/R7 b - - 0 1",
    "8/8/1p1k4/1P6/2PK4/8/8/8 w - - 0 1",
    "2rq1rk1/pb2bppp/1pn1pn2/2pp4/3P4/1PNBPN2/PB3PPP/2RQ1RK1 w - - 0 11",
    "8/8/8/4k3/8/8/8/R3K3 w Q - 0 1",
    "r1bq1rk1/ppp2ppp/2np1n2/2b1p3/2B1P3/2NP1N2/PPP2PPP/R1BQ1RK1 w - - 0 7",
};

// The depth of the default suite's signature and of the benchmark.
constexpr int SIGNATURE_DEPTH = 6;
