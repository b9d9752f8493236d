// Process-wide values set once at start-up and read everywhere.
#pragma once
#include <graphics.h>

// "topaz.font" 8, in which every window draws its texts.
extern TextFont* TEXTFONT;
// pens[0]: the best pen for light grey (0xAC), pens[1]: the best pen for black.
extern unsigned char pens[2];
// Entry i: the screen pen of colour i of the card sheet; entry 0 is the background.
extern unsigned char gfxpens[256];

int My_main();
