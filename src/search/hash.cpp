// STUB: replaced by the caches module.
#include "search/hash.h"
HashCell* Hash_table;
EvalCell* Eval_hash_table;
PawnCell* Pawn_hash_table;
KingCell* King_hash_table;
MaterialCell* Materiel_hash_table;
uint32_t hash_mask, eval_hash_mask, pawn_hash_mask, materiel_hash_mask, king_hash_mask;
size_t hash_bytes, eval_hash_bytes, pawn_hash_bytes, materiel_hash_bytes, king_hash_bytes;
uint32_t hash_age;
uint32_t hash_probes, hash_hits, hash_stores, hash_collisions;
int allocate_caches(uint64_t) { return 0; }
void clear_caches() {}
uint32_t hash_probe(Move*, int*, int, uint32_t) { return HASH_NO_CELL; }
void hash_store(Move, int, int, uint32_t, uint32_t) {}
HashCell* hash_find() { return nullptr; }
Move hash_best_move() { return 0; }
void advance_hash_age() {}
