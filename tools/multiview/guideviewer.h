// The guide viewer: a window on the default public screen that shows one node of a guide at
// a time, with its links as buttons, until the person closes it.
#pragma once

namespace guide {

// Exit codes of the viewer.
inline constexpr int kViewerOk = 0;
inline constexpr int kViewerNoWindow = 20;  // no screen, or the window could not be opened

// Shows the guide at `path` (a missing or damaged file shows why instead) and returns when
// the window is closed: kViewerOk, or kViewerNoWindow when nothing could be shown. Under
// the virtual display, a user with nothing left to do ends it with host::Stalled; the
// window is closed first.
int RunGuideViewer(const char* path);

}  // namespace guide
