// STUB: replaced by the material balance module.
#include "core/material.h"
int32_t fous_cases[2];
uint32_t materiel_calls, materiel_hits;
int evalue_materiel() { return 0; }
int calcule_materiel() { return 0; }
