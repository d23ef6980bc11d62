// Pawn structure: the structure value with its per-file flags and the placement value, cached
// by `pawn_key` in `Pawn_hash_table`. The flags of the position evaluated last are published
// through `pawn_flags` for the rest of the evaluation.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "caches/caches.h"
#include "core/types.h"
#include "platform/thread_state.h"

// Flags per file and colour, set by the most advanced pawn of the file (0 for a file without
// pawns of that colour).
constexpr uint8_t PAWN_FLAG_ISOLATED = 1;     // no own pawn on either neighbouring file
constexpr uint8_t PAWN_FLAG_WEAK = 2;         // cannot advance safely past the enemy pawns
constexpr uint8_t PAWN_FLAG_UNSUPPORTED = 4;  // neighbouring own pawns all stand ahead of it
constexpr uint8_t PAWN_FLAG_PASSED = 8;
constexpr uint8_t PAWN_FLAG_DOUBLED = 16;  // two or more own pawns on the file

// Placement value of a cache cell whose placement has not been needed yet.
constexpr int16_t PLACEMENT_UNKNOWN = -30000;

// [colour index][file - 1] for files 1..8, of the position evaluation_pions saw last. Both point
// into the pawn cache cell of that position, so they stay valid until the next call.
extern QV_THREAD_STATE const uint8_t* pawn_flags[2];

// The flags byte of colour index c on file 1..8 of the position evaluation_pions saw last.
inline uint8_t pawn_file_flags(int c, int file)
{
    return pawn_flags[c][file - 1];
}

// The passed-pawn flags of colour index c's eight flag bytes read as one word: byte file - 1
// holds the flag of that file (the bytes in memory order, low byte first on this target).
static_assert(std::endian::native == std::endian::little);
inline uint64_t passed_pawn_bits(int c)
{
    uint64_t flags;
    std::memcpy(&flags, pawn_flags[c], sizeof flags);
    return flags & 0x0101010101010101ULL * PAWN_FLAG_PASSED;
}

// Whether colour index c has a passed pawn on any file, in one test of the eight flag bytes:
// most positions have none, and the loops over the files can be skipped.
inline bool any_passed_pawn(int c)
{
    return passed_pawn_bits(c) != 0;
}

// The file (1..8) of the lowest set flag of a non-zero passed_pawn_bits word; the loops over
// the passed pawns visit only their files, lowest first, clearing each flag with bits & (bits - 1).
inline int lowest_passed_file(uint64_t bits)
{
    return std::countr_zero(bits) / 8 + 1;
}

extern QV_THREAD_STATE uint32_t pawn_probes, pawn_hits;

// The pawn cache cell of the pawn structure with key `pawn_key`: the probe and every early
// fetch name it here, so a fetch always loads the cell probed.
inline PawnCell* pawn_cell(const Key96& pawn_key)
{
    return &Pawn_hash_table[pawn_key.w[2] & pawn_hash_mask];
}

// Structure + placement, from White's view, through the pawn cache.
int evaluation_pions();
// The structure value from White's view; clears then fills the flags of `cell_flags`
// ([0] Black, [1] White; [file - 1]).
int pawn_structure_value(uint8_t cell_flags[2][8]);
// A side's summed structure penalty as it counts against the side: eased quadratically up to
// 100, linear beyond.
int scaled_pawn_penalty(int penalty);
// The placement value from White's view.
int pawn_placement_value();
