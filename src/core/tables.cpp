// STUB: replaced by the static tables module.
#include "core/tables.h"
uint8_t bit_count[65536];
uint8_t lowest_bit[65536];
uint8_t distance[BOARD_SIZE][BOARD_SIZE];
uint16_t move_index[16384];
int8_t direction[100 * 100];
uint8_t band_edge[100 * 100];
int8_t band_step[100 * 100];
int8_t diagonal_approach[100 * 100];
void init_bit_tables() {}
void init_distance_table() {}
void init_move_index_table() {}
void init_direction_table() {}
void init_king_zone_tables() {}
void init_static_tables() {}
