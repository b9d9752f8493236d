// The main window: its geometry, its first drawing and its event loop.
#pragma once
#include <intuition.h>

class cIDCMP;
class cIMGCard;

// Height of a title bar on the screen: top window border + font height + 1.
int TitleBarHeight(const Screen* screen);
// "Tarnwell Poker", 600 x (T + 230), centred on the screen; nullptr when it cannot open.
Window* OpenMainWindow(Screen* screen);
// Font and the waiting text, right after opening.
void DrawWaitingText(Window* w);
// The background in gfxpens[0], "Money:" and the frame, once the pens are known.
void DrawMainBackground(Window* w);
// "Quit Poker": 1 when the player confirms.
LONG AskQuit(Window* w);
// Offers every message to the menu strip, the button panel and the 60 card images, in that
// order, until a confirmed quit and an empty port.
void EventLoop(Window* w, cIDCMP& menu, cIDCMP& panel, cIMGCard* const* cards);
