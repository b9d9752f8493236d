// GadTools: push buttons and text fields from descriptions, menus from tables.
#pragma once
#include "intuition.h"

#define GENERIC_KIND 0
#define BUTTON_KIND 1
#define STRING_KIND 12

#define PLACETEXT_LEFT 0x0001
#define PLACETEXT_RIGHT 0x0002
#define PLACETEXT_ABOVE 0x0004
#define PLACETEXT_BELOW 0x0008
#define PLACETEXT_IN 0x0010
#define NG_HIGHLABEL 0x0020

#define GT_TagBase (TAG_USER + 0x80000)
#define GTST_String (GT_TagBase + 45)
#define GTST_MaxChars (GT_TagBase + 46)
#define GT_Underscore (GT_TagBase + 64)

struct NewGadget {
    WORD ng_LeftEdge;  // window raster coordinates, borders included
    WORD ng_TopEdge;
    WORD ng_Width;
    WORD ng_Height;
    CONST_STRPTR ng_GadgetText;
    const TextAttr* ng_TextAttr;
    UWORD ng_GadgetID;
    ULONG ng_Flags;
    APTR ng_VisualInfo;
    APTR ng_UserData;
};

APTR GetVisualInfoA(Screen* screen, const TagItem* tags);
APTR GetVisualInfo(Screen* screen, ...);  // tags, TAG_DONE-terminated
void FreeVisualInfo(APTR vi);

// The head of a new gadget list: *glistptr gets the context gadget, which is returned.
Gadget* CreateContext(Gadget** glistptr);
// A gadget chained behind `previous`; nullptr if previous is nullptr or it cannot be made.
Gadget* CreateGadgetA(ULONG kind, Gadget* previous, const NewGadget* ng, const TagItem* tags);
Gadget* CreateGadget(ULONG kind, Gadget* previous, const NewGadget* ng, ...);
void FreeGadgets(Gadget* glist);  // the whole chain from the context gadget; nullptr is ignored

void GT_RefreshWindow(Window* window, Requester* requester);
void GT_BeginRefresh(Window* window);
void GT_EndRefresh(Window* window, LONG complete);

// ---- menus -------------------------------------------------------------------
// Where LayoutMenus puts things, in screen coordinates: a Menu's LeftEdge/TopEdge/Width/
// Height is its title's box on the screen's title bar (TopEdge 0, Height BarHeight + 1).
// A MenuItem's LeftEdge/TopEdge are relative to the point (Menu LeftEdge, Screen BarHeight
// + 1), the top-left of the menu's drop-down box (items start 2 pixels in; LeftEdge is
// negative when the box is moved left to stay on the screen). So an item's centre on the
// screen is (menu.LeftEdge + item.LeftEdge + item.Width / 2,
//            screen.BarHeight + 1 + item.TopEdge + item.Height / 2).
#define NM_END 0
#define NM_TITLE 1
#define NM_ITEM 2
#define NM_SUB 3
#define NM_BARLABEL ((CONST_STRPTR) - 1)

struct NewMenu {
    UBYTE nm_Type;
    CONST_STRPTR nm_Label;
    CONST_STRPTR nm_CommKey;
    UWORD nm_Flags;
    LONG nm_MutualExclude;
    APTR nm_UserData;
};

Menu* CreateMenusA(const NewMenu* newMenu, const TagItem* tags);
Menu* CreateMenus(const NewMenu* newMenu, ...);
BOOL LayoutMenusA(Menu* firstMenu, APTR vi, const TagItem* tags);
BOOL LayoutMenus(Menu* firstMenu, APTR vi, ...);
void FreeMenus(Menu* menu);
