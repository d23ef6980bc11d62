// Saving and loading the position record. Only the live part is copied: the ply records above
// `ply` are scratch. A copy loaded on another thread has its piece-list pointers rebased and its
// undo log started afresh, so it is as consistent there as where it was saved.
#include "core/position_copy.h"

#include <cstring>

#include "core/attack_log.h"

namespace {

// The ply records 0..at_ply are the game and the current position; those above are scratch.
size_t live_records(int32_t at_ply)
{
    const int32_t n = (at_ply >= 0 && at_ply < MAX_PLY_RECORDS) ? at_ply + 1 : MAX_PLY_RECORDS;
    return static_cast<size_t>(n);
}

}  // namespace

void save_position(PositionCopy* out)
{
#define QV_SAVE(name) std::memcpy(&out->name, &::name, sizeof out->name);
    QV_POSITION_TABLES(QV_SAVE)
#undef QV_SAVE
    std::memcpy(out->etats, etats, sizeof(Etat) * live_records(ply));
    out->ficha_base = &ficha[0][0];
}

void load_position(const PositionCopy& in)
{
#define QV_LOAD(name) std::memcpy(&::name, &in.name, sizeof in.name);
    QV_POSITION_TABLES(QV_LOAD)
#undef QV_LOAD
    std::memcpy(etats, in.etats, sizeof(Etat) * live_records(ply));
    if (in.ficha_base == &ficha[0][0]) return;
    for (Ficha*& f : case_ficha)
        if (f != nullptr) f = &ficha[0][0] + (f - in.ficha_base);
    // This thread's undo log holds nothing of the moves before the copy: it starts at the root.
    attack_undo_start[ply] = 0;
}
