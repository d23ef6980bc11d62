// STUB: replaced by the start-up module.
#include "frontend/startup.h"
uint32_t mode_flags = MODE_XBOARD;
uint32_t hash_budget = 128;
int32_t estimated_cpu_speed;
int32_t mesure_vitesse_cpu(int, int32_t*) { return 0; }
int quarvelin_main(int, char**) { return 0; }
