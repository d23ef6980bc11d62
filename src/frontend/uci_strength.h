// The UCI options that shape what a search reports and plays besides its limits: the number of
// lines (MultiPV) and the playing strength (UCI_LimitStrength with UCI_Elo, or Skill Level).
// At their defaults a search is the plain full-strength one.
#pragma once

#include <cstdint>

#include "search/limits.h"

constexpr int32_t DEFAULT_MULTIPV = 1;
constexpr int32_t MAX_MULTIPV = 256;
constexpr int32_t MAX_SKILL_LEVEL = 20;
// The Elo range the strength setting was measured over (see uci_strength.cpp).
extern const int32_t MIN_UCI_ELO;
extern const int32_t MAX_UCI_ELO;
extern const int32_t DEFAULT_UCI_ELO;

extern int32_t multipv_option;
extern bool limit_strength_option;
extern int32_t elo_option;
extern int32_t skill_level_option;

// Skill in tenths of a level (0..200; 200 is full strength) for an Elo of the measured range.
int32_t skill_for_elo(int32_t elo);
// The lines and the weakening the options ask for, written into a "go"'s limits.
void apply_strength(SearchLimits* limits);
