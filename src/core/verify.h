// The consistency check: every incrementally kept field of the position record is rebuilt
// from the board and compared with what is stored, each difference reported in French. It only
// reads the record; nothing is repaired.
#pragma once

// What a report shows besides its own messages: the board, after the pawn-file tables, and the
// moves from `root_ply`, after the label. The position core cannot draw either; the front end
// installs its displays at start-up, and until then nothing more is shown.
struct VerifyDisplays {
    void (*board)();
    void (*search_path)();
};
extern VerifyDisplays verify_displays;

// True when every check agrees; otherwise the first check that disagrees has printed what
// differs. Slow-check builds run it after every make and unmake.
bool position_consistent();

// 0 when everything agrees; otherwise prints the label and the move path, waits for a key
// (only in text mode on a terminal) and returns its code, or 1 when no key could be awaited.
int verifie_position(const char* label);
int verifie_attaques();
int verifie_types();
int verifie_cles();
int verifie_materiel();
int verifie_nombres();
int verifie_pions();
