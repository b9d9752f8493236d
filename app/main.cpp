// Start-up, settings and shut-down.
#include "app/main.h"

TextFont* TEXTFONT = nullptr;
unsigned char pens[2] = {0, 0};
unsigned char gfxpens[256] = {};

int My_main() { return 20; }

int main() { return My_main(); }
