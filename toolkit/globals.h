// The process-wide values every window draws with: set once by the program's entry
// (app/main.cpp) at start-up, read by the toolkit, the graphics, the game and the dialogs.
#pragma once
#include <exec.h>
#include <graphics.h>

// "topaz.font" 8, in which every window draws its texts.
extern TextFont* TEXTFONT;
// pens[0]: the best pen for light grey (0xAC), pens[1]: the best pen for black.
extern unsigned char pens[2];
// Entry i: the screen pen of colour i of the card sheet; entry 0 is the background.
extern unsigned char gfxpens[256];
// Never set: the default public screen is used.
extern CONST_STRPTR PubScreenName;
