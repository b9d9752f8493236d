// The main window: its geometry, its first drawing and its event loop.
#include "app/poker.h"

#include "app/main.h"
#include "game/card.h"
#include "toolkit/IDCMP.h"

namespace {
constexpr int kWidth = 600;
constexpr int kInnerHeight = 230;
constexpr ULONG kMainIDCMP = IDCMP_REFRESHWINDOW | IDCMP_MOUSEBUTTONS | IDCMP_MOUSEMOVE | IDCMP_GADGETUP |
                             IDCMP_MENUPICK | IDCMP_CLOSEWINDOW | IDCMP_VANILLAKEY;
static_assert(kMainIDCMP == 0x0020035C);
}  // namespace

int TitleBarHeight(const Screen* screen) { return screen->WBorTop + screen->Font->ta_YSize + 1; }

Window* OpenMainWindow(Screen* screen) {
    const int height = TitleBarHeight(screen) + kInnerHeight;
    return OpenFramedWindow("Tarnwell Poker", screen, (screen->Width - kWidth) / 2, (screen->Height - height) / 2,
                            kWidth, height, kMainIDCMP);
}

void DrawWaitingText(Window* w) {
    RastPort* rp = w->RPort;
    SetFont(rp, TEXTFONT);
    Move(rp, w->BorderLeft + 8, w->BorderTop + 8);
    SetAPen(rp, 1);
    SetDrMd(rp, JAM1);
    Text(rp, "Wait! Remapping graphics..", 26);
}

void DrawMainBackground(Window* w) {
    RastPort* rp = w->RPort;
    SetABPenDrMd(rp, gfxpens[0], gfxpens[0], JAM1);
    RectFill(rp, w->BorderLeft, w->BorderTop, w->Width - w->BorderRight, w->Height - w->BorderBottom);
    Move(rp, w->BorderLeft + 150, w->BorderTop + 23);
    SetAPen(rp, pens[1]);
    SetDrMd(rp, JAM1);
    Text(rp, "Money:", 6);
    RefreshWindowFrame(w);
}

LONG AskQuit(Window* w) {
    EasyStruct es = {sizeof(EasyStruct), 0, "Quit Poker", "Are You Sure to Quit?", "Quit|Cancel"};
    return EasyRequestArgs(w, &es, nullptr, nullptr);
}

void EventLoop(Window* w, cIDCMP& menu, cIDCMP& panel, cIMGCard* const* cards) {
    bool quit = false;
    while (!quit) {
        WaitPort(w->UserPort);
        while (auto* msg = reinterpret_cast<IntuiMessage*>(GetMsg(w->UserPort))) {
            int r = menu.IDCMP(msg);
            if (r == 0) r = panel.IDCMP(msg);
            if (r == 0) r = IDCMP(msg, cards);
            if (r == 0 && msg->Class == IDCMP_CLOSEWINDOW && AskQuit(w) == 1) quit = true;
            if (r == -1) quit = true;
            if (r != 2) ReplyMsg(&msg->ExecMessage);
        }
    }
}
