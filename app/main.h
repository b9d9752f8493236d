// Start-up, settings and shut-down, and the process-wide values set once at start-up.
#pragma once
#include <exec.h>
#include <graphics.h>

#include "app/cstring.h"

// "topaz.font" 8, in which every window draws its texts.
extern TextFont* TEXTFONT;
// pens[0]: the best pen for light grey (0xAC), pens[1]: the best pen for black.
extern unsigned char pens[2];
// Entry i: the screen pen of colour i of the card sheet; entry 0 is the background.
extern unsigned char gfxpens[256];
// Never set: the default public screen is used.
extern CONST_STRPTR PubScreenName;
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
