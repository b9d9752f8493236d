// Start-up, settings and shut-down; the process-wide values it sets are in toolkit/globals.h.
#pragma once
#include <exec.h>
#include <graphics.h>

#include "app/cstring.h"
#include "toolkit/globals.h"

// Opened by main.
extern Library* GadToolsBase;
extern Interface* IGadTools;

// The settings, as the icon's tool types give them.
struct Settings {
    bool prefsJoker = false;   // PREFSJOKER: five jokers are the best hand
    bool prefs5Kind = false;   // PREFS5KIND: five of a kind above a straight flush
    bool prefsDouble = false;  // PREFSDOUBLE: wins go to the double-up game
    int changes = 1;           // CHANGES, 1..3
    int jokers = 3;            // JOKERS, 0..8
    cstring cards{"gfx/defaultcards.lbm"};  // CARDS
};

// Read the six tool types from a nullptr-terminated list; missing ones keep their value.
void ReadSettings(CONST_STRPTR const* toolTypes, Settings& settings);
// Rewrite the icon `name` with exactly the six tool types of `settings`. Nothing is written
// when the icon cannot be read.
void WriteSettings(CONST_STRPTR name, const Settings& settings);

int My_main();
