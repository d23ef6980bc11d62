// The consistency check: every incrementally kept field of the position record is rebuilt
// from the board and compared with what is stored, each difference reported in French. It only
// reads the record; nothing is repaired.
#pragma once

// 0 when everything agrees; otherwise prints the label and the move path from `root_ply`
// (print_search_path in frontend/display.h), waits for a key (only in text mode on a terminal)
// and returns its code, or 1 when no key could be awaited.
int verifie_position(const char* label);
int verifie_attaques();
int verifie_types();
int verifie_cles();
int verifie_materiel();
int verifie_nombres();
int verifie_pions();
