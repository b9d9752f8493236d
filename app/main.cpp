// Start-up, settings and shut-down.
#include "app/main.h"

#include <cstdlib>
#include <ctime>
#include <optional>

#include <dos.h>
#include <icon.h>
#include <intuition.h>
#include <workbench.h>

#include "app/poker.h"
#include "app/pokermenu.h"
#include "game/game.h"
#include "graphics/ReMapBitMap.h"
#include "graphics/gfxload.h"
#include "toolkit/pokergadgets.h"

TextFont* TEXTFONT = nullptr;
unsigned char pens[2] = {0, 0};
unsigned char gfxpens[256] = {};
CONST_STRPTR PubScreenName = nullptr;
Library* GadToolsBase = nullptr;
Interface* IGadTools = nullptr;

namespace {

// A small integer tool type: only its first character counts.
int Digit(CONST_STRPTR value, int low, int high) {
    int d = static_cast<unsigned char>(value[0]) - '0';
    return d < low ? low : d > high ? high : d;
}

// The flag of a tool type's value, or its old value when the tool type is missing.
bool Flag(CONST_STRPTR const* toolTypes, CONST_STRPTR key, bool old) {
    STRPTR value = FindToolType(toolTypes, key);
    return value ? MatchToolValue(value, "TRUE") != 0 : old;
}

ULONG Spread(UBYTE c) { return c * 0x01010101UL; }

// What start-up has made so far, released in reverse order at shut-down or after a failure.
struct Resources {
    BPTR oldDir = 0;
    bool dirChanged = false;
    BitMap sheet{};
    ColorMap* colorMap = nullptr;
    int sheetColours = 0;        // palette entries whose pens were asked for
    LONG gfxResults[256] = {};   // what each request returned (-1: failed, not released)
    LONG penResults[2] = {-1, -1};
    Screen* screen = nullptr;

    ~Resources() {
        if (dirChanged) CurrentDir(oldDir);
        if (colorMap) {
            for (int i = 0; i < sheetColours; ++i)
                if (gfxResults[i] >= 0) ReleasePen(colorMap, gfxResults[i]);
            for (LONG pen : penResults)
                if (pen >= 0) ReleasePen(colorMap, pen);
        }
        if (screen) UnlockPubScreen(PubScreenName, screen);
        FreeBlocks(sheet);
        if (TEXTFONT) {
            CloseFont(TEXTFONT);
            TEXTFONT = nullptr;
        }
    }
};

// The recoverable alert for a missing GadTools library: one line at x 64, y 16.
void AlertNoGadTools() {
    static const char alert[] = "\x00\x40\x10gadtools.library\x00";  // + the terminating 0: no more lines
    DisplayAlert(RECOVERY_ALERT, alert, 40);
}

}  // namespace

void ReadSettings(CONST_STRPTR const* toolTypes, Settings& s) {
    s.prefsJoker = Flag(toolTypes, "PREFSJOKER", s.prefsJoker);
    s.prefs5Kind = Flag(toolTypes, "PREFS5KIND", s.prefs5Kind);
    s.prefsDouble = Flag(toolTypes, "PREFSDOUBLE", s.prefsDouble);
    if (STRPTR v = FindToolType(toolTypes, "CHANGES")) s.changes = Digit(v, 1, 3);
    if (STRPTR v = FindToolType(toolTypes, "JOKERS")) s.jokers = Digit(v, 0, 8);
    if (STRPTR v = FindToolType(toolTypes, "CARDS")) s.cards = v;
}

void WriteSettings(CONST_STRPTR name, const Settings& s) {
    DiskObject* icon = GetDiskObject(name);
    if (!icon) return;
    char changes[] = "CHANGES=0";
    char jokers[] = "JOKERS=0";
    changes[8] = static_cast<char>('0' + s.changes);
    jokers[7] = static_cast<char>('0' + s.jokers);
    cstring cards("CARDS=");
    cards += s.cards.text;
    CONST_STRPTR list[] = {
        s.prefsJoker ? "PREFSJOKER=TRUE" : "PREFSJOKER=FALSE",
        s.prefs5Kind ? "PREFS5KIND=TRUE" : "PREFS5KIND=FALSE",
        s.prefsDouble ? "PREFSDOUBLE=TRUE" : "PREFSDOUBLE=FALSE",
        changes,
        jokers,
        cards.text ? cards.text : "CARDS=",
        nullptr,
    };
    STRPTR* own = icon->do_ToolTypes;
    icon->do_ToolTypes = const_cast<STRPTR*>(list);
    PutDiskObject(name, icon);
    icon->do_ToolTypes = own;
    FreeDiskObject(icon);
}

int My_main() {
    Settings settings;
    for (auto& p : gfxpens) p = 0;
    pens[0] = pens[1] = 0;

    if (!IGadTools) {
        AlertNoGadTools();
        return 20;
    }
    if (!__WBenchMsg) {
        static const char message[] = "Start this program from WB\n";
        Write(Output(), message, sizeof message - 1);
        return 10;
    }

    Resources res;
    CONST_STRPTR iconName = nullptr;
    if (__WBenchMsg->sm_NumArgs > 0 && __WBenchMsg->sm_ArgList) {
        const WBArg& arg = __WBenchMsg->sm_ArgList[0];
        if (arg.wa_Name && arg.wa_Name[0]) iconName = arg.wa_Name;
        if (arg.wa_Lock && iconName) {
            res.oldDir = CurrentDir(arg.wa_Lock);
            res.dirChanged = true;
        }
    }
    if (iconName) {
        if (DiskObject* icon = GetDiskObject(iconName)) {
            ReadSettings(icon->do_ToolTypes, settings);
            FreeDiskObject(icon);
        }
    }

    static TextAttr topaz8 = {"topaz.font", 8, 0, 0};
    TEXTFONT = OpenFont(&topaz8);
    if (!TEXTFONT) return 20;

    unsigned char colours[768];
    if (LoadBlocksResult r = LoadBlocks(res.sheet, colours, reinterpret_cast<unsigned char*>(settings.cards.text));
        r != 0) {
        EasyStruct es = {sizeof(EasyStruct), 0, "Tarnwell Poker", "Error while loading Card GFX file \"%s\"", "QUIT"};
        EasyRequest(nullptr, &es, nullptr, settings.cards.text ? settings.cards.text : "");
        return r;
    }

    res.screen = LockPubScreen(PubScreenName);
    if (!res.screen) return 20;  // a failure, not a normal quit

    Window* window = OpenMainWindow(res.screen);
    if (!window) return 22;
    DrawWaitingText(window);

    if (ColorMap* cm = res.screen->ViewPort.ColorMap) {
        res.colorMap = cm;
        res.sheetColours = 1 << res.sheet.Depth;
        for (int i = 0; i < res.sheetColours; ++i) {
            const UBYTE* c = colours + 3 * i;
            res.gfxResults[i] = ObtainBestPen(cm, Spread(c[0]), Spread(c[1]), Spread(c[2]), OBP_Precision,
                                              PRECISION_EXACT, TAG_DONE);
            gfxpens[i] = static_cast<unsigned char>(res.gfxResults[i]);
        }
        ReMapBitMap(res.sheet, &res.screen->RastPort, gfxpens);
        res.penResults[0] = ObtainBestPen(cm, 0xACACACACUL, 0xACACACACUL, 0xACACACACUL, OBP_Precision,
                                          PRECISION_EXACT, TAG_DONE);
        res.penResults[1] = ObtainBestPen(cm, 0, 0, 0, OBP_Precision, PRECISION_EXACT, TAG_DONE);
        pens[0] = static_cast<unsigned char>(res.penResults[0]);
        pens[1] = static_cast<unsigned char>(res.penResults[1]);
    }
    DrawMainBackground(window);

    ULONG flags = (settings.prefsJoker ? 0x200 : 0) | (settings.prefs5Kind ? 0x100 : 0);
    std::optional<cGamePoker> game;
    game.emplace(window, &res.sheet, flags, settings.jokers, settings.changes, settings.prefsDouble ? 1 : 0);
    std::optional<cPokerMenu> menu;
    menu.emplace(window, &*game);
    std::optional<cPokerGadgets> panel;
    panel.emplace(window, &*game);

    EventLoop(window, *menu, *panel, game->cards);

    settings.prefsJoker = (game->hand.flags & 0x200) != 0;
    settings.prefs5Kind = (game->hand.flags & 0x100) != 0;
    settings.prefsDouble = game->doubleUp != 0;
    settings.changes = game->changes;
    settings.jokers = game->jokers;
    if (iconName) WriteSettings(iconName, settings);

    if (menu->attached) {
        ClearMenuStrip(window);
        menu->attached = 0;
    }
    CloseWindow(window);
    panel.reset();
    menu.reset();
    game.reset();
    return 0;
}

int main() {
    GadToolsBase = OpenLibrary("gadtools.library", 0);
    IGadTools = GetInterface(GadToolsBase, "main", 1, nullptr);
    int status = My_main();
    if (IGadTools) DropInterface(IGadTools);
    if (GadToolsBase) CloseLibrary(GadToolsBase);
    IGadTools = nullptr;
    GadToolsBase = nullptr;
    return status;
}
