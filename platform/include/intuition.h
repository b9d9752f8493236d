// Intuition: the screen, windows, input messages, gadgets, menus and system requesters.
#pragma once
#include "exec.h"
#include "graphics.h"

struct Window;
struct Screen;
struct Requester;  // never used by the program; always passed as nullptr

// ---- input message classes --------------------------------------------------
#define IDCMP_SIZEVERIFY 0x00000001UL
#define IDCMP_NEWSIZE 0x00000002UL
#define IDCMP_REFRESHWINDOW 0x00000004UL
#define IDCMP_MOUSEBUTTONS 0x00000008UL
#define IDCMP_MOUSEMOVE 0x00000010UL
#define IDCMP_GADGETDOWN 0x00000020UL
#define IDCMP_GADGETUP 0x00000040UL
#define IDCMP_REQSET 0x00000080UL
#define IDCMP_MENUPICK 0x00000100UL
#define IDCMP_CLOSEWINDOW 0x00000200UL
#define IDCMP_RAWKEY 0x00000400UL
#define IDCMP_ACTIVEWINDOW 0x00040000UL
#define IDCMP_INACTIVEWINDOW 0x00080000UL
#define IDCMP_VANILLAKEY 0x00200000UL

// Codes of IDCMP_MOUSEBUTTONS.
#define SELECTDOWN 0x68
#define SELECTUP 0xE8
#define MENUDOWN 0x69
#define MENUUP 0xE9

// Qualifiers.
#define IEQUALIFIER_LSHIFT 0x0001
#define IEQUALIFIER_RSHIFT 0x0002
#define IEQUALIFIER_CONTROL 0x0008
#define IEQUALIFIER_LALT 0x0010
#define IEQUALIFIER_RALT 0x0020
#define IEQUALIFIER_RCOMMAND 0x0080

struct IntuiMessage {
    Message ExecMessage;
    ULONG Class;
    UWORD Code;
    UWORD Qualifier;
    APTR IAddress;  // the gadget of IDCMP_GADGETUP
    WORD MouseX;    // in the window's frame, borders included
    WORD MouseY;
    ULONG Seconds;
    ULONG Micros;
    Window* IDCMPWindow;
};

// ---- gadgets -----------------------------------------------------------------
struct StringInfo {
    STRPTR Buffer;      // MaxChars + 1 bytes
    STRPTR UndoBuffer;  // unused
    WORD BufferPos;     // cursor
    WORD MaxChars;      // characters the field holds
    WORD DispPos;       // first character shown
    WORD NumChars;      // characters in Buffer (the server keeps it up to date)
};

// Gadget flags
#define GFLG_GADGHCOMP 0x0000
#define GFLG_SELECTED 0x0080
#define GFLG_DISABLED 0x0100
// Gadget types
#define GTYP_BOOLGADGET 0x0001
#define GTYP_STRGADGET 0x0004
#define GTYP_CONTEXT 0x0100  // the invisible head of a toolkit gadget list

struct Gadget {
    Gadget* NextGadget;
    WORD LeftEdge;  // window raster coordinates, borders included
    WORD TopEdge;
    WORD Width;
    WORD Height;
    UWORD Flags;
    UWORD Activation;
    UWORD GadgetType;
    CONST_STRPTR GadgetText;  // label; '_' before a letter underlines it when Underscore is '_'
    ULONG TextPlace;          // PLACETEXT_* and NG_HIGHLABEL of the toolkit
    UBYTE Underscore;         // the marker character, 0 for none
    APTR SpecialInfo;         // StringInfo* of a text field
    UWORD GadgetID;
    APTR UserData;
};

// ---- menus -------------------------------------------------------------------
#define CHECKIT 0x0001
#define ITEMTEXT 0x0002
#define COMMSEQ 0x0004
#define MENUTOGGLE 0x0008
#define ITEMENABLED 0x0010
#define HIGHCOMP 0x0040
#define CHECKED 0x0100
#define MENUENABLED 0x0001

struct MenuItem {
    MenuItem* NextItem;
    WORD LeftEdge;  // relative to the menu's box
    WORD TopEdge;
    WORD Width;
    WORD Height;
    UWORD Flags;
    LONG MutualExclude;
    CONST_STRPTR Label;  // nullptr for a separator bar
    BYTE Command;        // command key (COMMSEQ), 0 for none
    MenuItem* SubItem;
    UWORD NextSelect;
    APTR UserData;
};

struct Menu {
    Menu* NextMenu;
    WORD LeftEdge;  // on the screen's title bar
    WORD TopEdge;
    WORD Width;
    WORD Height;
    UWORD Flags;
    CONST_STRPTR MenuName;
    MenuItem* FirstItem;
};

#define MENUNULL 0xFFFF
#define NOMENU 0x001F
#define NOITEM 0x003F
#define NOSUB 0x001F
#define MENUNUM(n) ((n) & 0x1F)
#define ITEMNUM(n) (((n) >> 5) & 0x003F)
#define SUBNUM(n) (((n) >> 11) & 0x001F)
#define FULLMENUNUM(menu, item, sub) ((((sub) & 0x1F) << 11) | (((item) & 0x3F) << 5) | ((menu) & 0x1F))

// ---- screens and windows -----------------------------------------------------
struct Screen {
    Screen* NextScreen;
    Window* FirstWindow;  // frontmost first
    WORD LeftEdge;
    WORD TopEdge;
    WORD Width;
    WORD Height;
    CONST_STRPTR Title;
    BYTE BarHeight;  // screen title bar height - 1
    BYTE WBorTop;    // window borders on this screen
    BYTE WBorLeft;
    BYTE WBorRight;
    BYTE WBorBottom;
    TextAttr* Font;  // the screen font
    struct ViewPort ViewPort;
    struct RastPort RastPort;  // its BitMap has the screen's depth (8)
};

// Window flags (Window::Flags)
#define WFLG_SIZEGADGET 0x00000001UL
#define WFLG_DRAGBAR 0x00000002UL
#define WFLG_DEPTHGADGET 0x00000004UL
#define WFLG_CLOSEGADGET 0x00000008UL
#define WFLG_SMART_REFRESH 0x00000000UL
#define WFLG_ACTIVATE 0x00001000UL
#define WFLG_WINDOWACTIVE 0x00002000UL

struct Window {
    Window* NextWindow;  // the next one back on the screen
    WORD LeftEdge;       // on the screen
    WORD TopEdge;
    WORD Width;
    WORD Height;
    WORD MouseX;  // the pointer in the window's frame
    WORD MouseY;
    ULONG Flags;
    Menu* MenuStrip;
    CONST_STRPTR Title;
    Gadget* FirstGadget;
    BYTE BorderLeft;
    BYTE BorderTop;
    BYTE BorderRight;
    BYTE BorderBottom;
    RastPort* RPort;  // the window's raster, borders included
    Screen* WScreen;
    MsgPort* UserPort;
    ULONG IDCMPFlags;
    APTR UserData;
};

// Only the tags are used; pass nullptr.
struct NewWindow;

#define WA_Dummy (TAG_USER + 99)
#define WA_Left (WA_Dummy + 0x01)
#define WA_Top (WA_Dummy + 0x02)
#define WA_Width (WA_Dummy + 0x03)
#define WA_Height (WA_Dummy + 0x04)
#define WA_IDCMP (WA_Dummy + 0x07)
#define WA_Flags (WA_Dummy + 0x08)
#define WA_Gadgets (WA_Dummy + 0x09)
#define WA_Title (WA_Dummy + 0x0B)
#define WA_CustomScreen (WA_Dummy + 0x0D)
#define WA_InnerWidth (WA_Dummy + 0x13)
#define WA_InnerHeight (WA_Dummy + 0x14)
#define WA_PubScreen (WA_Dummy + 0x16)
#define WA_SizeGadget (WA_Dummy + 0x1E)
#define WA_DragBar (WA_Dummy + 0x1F)
#define WA_DepthGadget (WA_Dummy + 0x20)
#define WA_CloseGadget (WA_Dummy + 0x21)
#define WA_Activate (WA_Dummy + 0x26)
#define WA_RMBTrap (WA_Dummy + 0x27)
#define WA_SmartRefresh (WA_Dummy + 0x2A)
// Not used by the program: a window without a frame (the platform's alerts).
#define WA_Borderless (WA_Dummy + 0x24)

// The default public screen (name nullptr), or nullptr when there is no display.
Screen* LockPubScreen(CONST_STRPTR name);
void UnlockPubScreen(CONST_STRPTR name, Screen* screen);

Window* OpenWindowTagList(const NewWindow* newWindow, const TagItem* tags);
void CloseWindow(Window* window);  // replies or drops the window's queued messages
void RefreshWindowFrame(Window* window);
void ActivateWindow(Window* window);
void WindowToFront(Window* window);
void MoveWindow(Window* window, LONG dx, LONG dy);

// Gadgets: attach a chain at a position (numGad -1: the whole chain), draw them.
UWORD AddGList(Window* window, Gadget* gadget, ULONG position, LONG numGad, Requester* requester);
UWORD RemoveGList(Window* window, Gadget* gadget, LONG numGad);
void RefreshGList(Gadget* gadgets, Window* window, Requester* requester, LONG numGad);
BOOL ActivateGadget(Gadget* gadget, Window* window, Requester* requester);

// Menus: attach a laid-out strip; the server shows it on the screen's title bar while the
// right button is held, and Alt + a command key picks an item.
BOOL SetMenuStrip(Window* window, Menu* menu);
void ClearMenuStrip(Window* window);
MenuItem* ItemAddress(const Menu* menuStrip, UWORD menuNumber);

// ---- system requesters --------------------------------------------------------
struct EasyStruct {
    ULONG es_StructSize;
    ULONG es_Flags;
    CONST_STRPTR es_Title;
    CONST_STRPTR es_TextFormat;    // printf-style: %s %ld %lu %lx %d %u %c %%; '\n' splits lines
    CONST_STRPTR es_GadgetFormat;  // buttons separated by '|'
};

// Returns 1 for the first button, 2, 3, ... for the middle ones and 0 for the last.
// args points to one uintptr_t per conversion of the text (a pointer for %s, else the number).
LONG EasyRequestArgs(Window* window, const EasyStruct* easyStruct, ULONG* idcmpPtr, const void* args);
LONG EasyRequest(Window* window, const EasyStruct* easyStruct, ULONG* idcmpPtr, ...);

#define RECOVERY_ALERT 0x00000000UL
#define DEADEND_ALERT 0x80000000UL
// string: a sequence of lines, each a big-endian 16-bit x, an 8-bit y, the text, a NUL,
// and a continuation byte (non-zero: another line follows). Returns TRUE for a left click.
BOOL DisplayAlert(ULONG alertNumber, CONST_STRPTR string, UWORD height);
