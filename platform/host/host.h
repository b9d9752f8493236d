// The host side of the platform, for tests and tools: which display the window server
// uses, the virtual display's scripted user, screenshots, fault injection and counters.
// The program itself never includes this header.
#pragma once
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include "intuition.h"

struct WBStartup;

namespace host {

// ---- the display ----------------------------------------------------------
struct ScreenConfig {
    int width = 640;
    int height = 480;
    int fontHeight = 8;     // the screen font's height; a title bar is wborTop + fontHeight + 1
    int wborTop = 2;        // window borders on the screen
    int wborLeft = 4;
    int wborRight = 4;
    int wborBottom = 2;
    bool colorMap = true;   // false: the screen's ViewPort has no ColorMap
    bool display = true;    // false: there is no display at all; LockPubScreen fails
};

// Start over on a fresh virtual screen: every window, message, pen, fault and user of an
// earlier run is gone. Tests call it first.
void UseVirtualDisplay(const ScreenConfig& config = {});
// Use the real window (SDL). This is the default for programs unless WB_DISPLAY=virtual.
void UseSdlDisplay();
// The screen as the server last composed it (pens), and its palette.
int ScreenWidth();
int ScreenHeight();

// ---- the virtual display's user --------------------------------------------
// Called whenever the program is about to block in WaitPort with no message at its port.
// It looks at the screen and queues input with the functions below. Returning false says
// it has nothing left to do; the waiting program then fails with Stalled.
using User = std::function<bool()>;
void SetUser(User user);
// A user that runs one step each time the program blocks, in order; when the steps are
// used up it has nothing left to do.
void SetSteps(std::vector<std::function<void()>> steps);
size_t StepsLeft();

// Thrown out of WaitPort when the program waits and the user has nothing left to do.
struct Stalled : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// ---- looking at the screen --------------------------------------------------
struct WindowInfo {
    Window* window;
    std::string title;
    int left, top, width, height;  // on the screen
    bool active;
};
struct TextInfo {
    int x, y;  // baseline start, in the window's frame
    std::string text;
    int pen;
};
struct GadgetInfo {
    Gadget* gadget;
    int id;
    std::string label;     // without the underscore marker
    int left, top, width, height;  // in the window's frame
    bool isString;
    std::string contents;  // a text field's buffer
    bool active;           // a text field being edited
};

std::vector<WindowInfo> Windows();           // front to back
Window* FindWindow(const std::string& title);  // frontmost with that title, or nullptr
Window* ActiveWindow();
// Texts drawn into a window that nothing has drawn over since, oldest first.
std::vector<TextInfo> Texts(Window* window);
bool ShowsText(Window* window, const std::string& text);  // a visible text contains it
std::vector<GadgetInfo> Gadgets(Window* window);
const GadgetInfo* FindGadget(Window* window, const std::string& label);  // by label
const GadgetInfo* FindGadget(Window* window, int id);
int ScreenPixel(int x, int y);                 // pen on the composed screen, -1 outside
int WindowPixel(Window* window, int x, int y);  // pen in a window's raster, -1 outside
void PenColour(int pen, unsigned char rgb[3]);  // the screen's colour for a pen
bool SavePNG(const std::string& path);          // the whole screen as composed now
std::string MenuBarText();                      // what the screen's title bar shows now

// ---- acting (screen coordinates) -------------------------------------------
void MoveMouse(int x, int y);
void Press(int x, int y);    // left button down
void Release(int x, int y);  // left button up
void Click(int x, int y);    // left down and up
void RightPress(int x, int y);
void RightRelease(int x, int y);
void Key(int code, unsigned qualifier = 0);  // ISO-8859-1 code (Return 13, Escape 27, ...)
void RawKey(int rawCode);                    // cursor keys: 0x4C up, 0x4D down, 0x4E right, 0x4F left
void Type(const std::string& latin1);
void CloseRequest();  // the host window's close button
// Conveniences: click the centre of a gadget or a window's close gadget; pick a menu item
// with the right button.
void ClickGadget(Window* window, const std::string& label);
void ClickGadget(Window* window, int id);
void ClickClose(Window* window);
void DragWindow(Window* window, int dx, int dy);
void PickMenu(Window* window, int menu, int item);
void MenuKey(char key);  // Alt + key

// ---- fault injection ----------------------------------------------------------
// Operations by name: "OpenLibrary", "OpenFont", "LockPubScreen", "OpenWindowTagList",
// "GetVisualInfo", "CreateGadget", "CreateContext", "CreateMenus", "LayoutMenus",
// "SetMenuStrip", "AllocRaster", "AllocBitMap", "AllocVec", "AllocMem", "AllocIFF", "Open",
// "Read", "Write", "Close", "Rename", "DeleteFile", "Execute", "AllocAslRequest",
// "GetDiskObject", "PutDiskObject", "ObtainBestPen", ...
// With afterDoing, "Write", "Close", "Rename" and "DeleteFile" do their work and then report
// failure, as a network file system may after a retried request; other operations fail
// before doing anything either way. Several faults can wait on one operation; the name "*"
// counts the calls of every operation.
void FailOnce(const std::string& op);  // the next call fails
// Only the n-th call from now (1 = the next) fails.
void FailAt(const std::string& op, int n, bool afterDoing = false);
// The n-th call from now (1 = the next) and all later ones fail.
void FailFrom(const std::string& op, int n, bool afterDoing = false);
// The n-th call from now ends the process at once with kKilledStatus, as a kill would.
void KillAt(const std::string& op, int n);
inline constexpr int kKilledStatus = 137;
void ClearFaults();
// Asked by each platform operation that can fail; every asking is counted by name.
enum class Failure { none, before, after };
Failure Inject(const char* op);
bool ShouldFail(const char* op);  // Inject(op) != none, for operations that fail before acting
std::map<std::string, int> CallCounts();  // since the last reset; faults do not reset them
std::vector<std::string> FailedCalls();   // "operation n" of each call made to fail since then
void ResetCallCounts();

// ---- counters -------------------------------------------------------------------
int DoubleReplies();     // messages replied more than once since the display was set up
int OpenWindowCount();
int PensInUse();         // pens obtained and not yet released (the four fixed pens excluded)

// ---- start-up from an icon ----------------------------------------------------------
// wbrun hands a program its start-up message through these environment variables: the
// absolute drawer and the program's file name.
inline constexpr const char* kStartupDrawer = "WB_STARTUP_DRAWER";
inline constexpr const char* kStartupName = "WB_STARTUP_NAME";
// The start-up message they describe, or nullptr when the program was started otherwise.
// The variables are cleared, so programs started from this one do not inherit them.
WBStartup* TakeStartupMessage();
void FreeStartupMessage(WBStartup* message);  // unlocks the drawer; nullptr is ignored
// The exit status for main's result: a nonzero result whose low 8 bits are 0 leaves as 255.
int ExitStatus(int result);

}  // namespace host
