#include "support/screen.h"

#include <cstdlib>
#include <stdexcept>

#include "host/host.h"
#include "toolkit/globals.h"
#include "toolkit/gtgadgets.h"

namespace support {

namespace {

Window* OpenShape(const WindowSpec& shape, Screen* screen) {
    const TagItem tags[] = {
        {WA_Left, static_cast<uintptr_t>(shape.left)},
        {WA_Top, static_cast<uintptr_t>(shape.top)},
        {WA_Width, static_cast<uintptr_t>(shape.width)},
        {WA_Height, static_cast<uintptr_t>(shape.height)},
        {WA_IDCMP, shape.idcmp},
        {WA_Title, reinterpret_cast<uintptr_t>(shape.title)},
        {WA_DragBar, TRUE},
        {WA_DepthGadget, TRUE},
        {WA_CloseGadget, TRUE},
        {WA_Activate, TRUE},
        {screen ? WA_CustomScreen : TAG_IGNORE, reinterpret_cast<uintptr_t>(screen)},
        {TAG_DONE, 0},
    };
    return OpenWindowTagList(nullptr, tags);
}

}  // namespace

Window* OpenTestWindow(const WindowSpec& shape) {
    host::UseVirtualDisplay();
    return OpenShape(shape, nullptr);
}

DialogTable::DialogTable(const WindowSpec& shape) : shape_(shape) { Restart(); }

DialogTable::~DialogTable() { Stop(); }

void DialogTable::Restart() {
    Stop();
    host::UseVirtualDisplay();
    screen = LockPubScreen(nullptr);
    TEXTFONT = OpenFont(&cGTGadgets::textattr);
    pens[0] = 0;
    pens[1] = 1;
    window = screen && TEXTFONT ? OpenShape(shape_, screen) : nullptr;
    if (!window) throw std::runtime_error("no virtual screen, font or window");
    SetFont(window->RPort, TEXTFONT);
}

void DialogTable::Stop() {
    host::ClearFaults();
    if (window) CloseWindow(window);
    window = nullptr;
    if (TEXTFONT) CloseFont(TEXTFONT);
    TEXTFONT = nullptr;
    if (screen) UnlockPubScreen(nullptr, screen);
    screen = nullptr;
}

void Screenshot(const char* name) {
    if (const char* dir = std::getenv("POKER_SCREENSHOTS")) host::SavePNG(std::string(dir) + "/" + name + ".png");
}

QueuedMessages::QueuedMessages(ULONG cls, const std::vector<int>& codes) {
    for (int code : codes) Add(cls, static_cast<UWORD>(code));
}

QueuedMessages::~QueuedMessages() {
    Drain();
    DeleteMsgPort(replies);
}

void QueuedMessages::Add(ULONG cls, UWORD code) {
    IntuiMessage& m = msgs.emplace_back();
    m.ExecMessage.mn_ReplyPort = replies;
    m.ExecMessage.mn_Length = sizeof(IntuiMessage);
    m.Class = cls;
    m.Code = code;
}

void QueuedMessages::Send(Window* w) {
    for (IntuiMessage& m : msgs) {
        m.IDCMPWindow = w;
        PutMsg(w->UserPort, &m.ExecMessage);
    }
}

int QueuedMessages::Drain() {
    while (Message* m = GetMsg(replies)) ++replied[reinterpret_cast<IntuiMessage*>(m)->Code];
    int n = 0;
    for (const auto& [code, count] : replied) n += count;
    return n;
}

int Pixel(Window* window, int x, int y) { return host::WindowPixel(window, x, y); }

IntuiMessage Mouse(int x, int y, UWORD code, ULONG cls) {
    IntuiMessage m{};
    m.Class = cls;
    m.Code = code;
    m.MouseX = static_cast<WORD>(x);
    m.MouseY = static_cast<WORD>(y);
    return m;
}

int Offer(cIDCMP& receiver, ULONG cls, int code, int gadgetId, int x, int y) {
    Gadget gadget{};
    gadget.GadgetID = static_cast<UWORD>(gadgetId);
    IntuiMessage msg = Mouse(x, y, static_cast<UWORD>(code), cls);
    msg.IAddress = gadgetId ? &gadget : nullptr;
    return receiver.IDCMP(&msg);
}

bool ShowsExactly(Window* window, const std::string& text) {
    for (const auto& t : host::Texts(window))
        if (t.text == text) return true;
    return false;
}

TestBitMap::TestBitMap(int width, int height, int depth) : width_(width), height_(height) {
    const int bytesPerRow = 2 * ((width + 15) / 16);
    bm_.BytesPerRow = static_cast<UWORD>(bytesPerRow);
    bm_.Rows = static_cast<UWORD>(height);
    bm_.Depth = static_cast<UBYTE>(depth);
    planes_.resize(static_cast<size_t>(depth));
    for (int p = 0; p < depth; ++p) {
        planes_[p].assign(static_cast<size_t>(bytesPerRow) * height, 0);
        bm_.Planes[p] = planes_[p].data();
    }
}

void TestBitMap::Set(int x, int y, int pen) {
    const size_t byte = static_cast<size_t>(y) * bm_.BytesPerRow + x / 8;
    const UBYTE bit = static_cast<UBYTE>(0x80 >> (x % 8));
    for (size_t p = 0; p < planes_.size(); ++p) {
        if (pen & (1 << p))
            planes_[p][byte] |= bit;
        else
            planes_[p][byte] &= static_cast<UBYTE>(~bit);
    }
}

int TestBitMap::Get(int x, int y) const {
    const size_t byte = static_cast<size_t>(y) * bm_.BytesPerRow + x / 8;
    const UBYTE bit = static_cast<UBYTE>(0x80 >> (x % 8));
    int pen = 0;
    for (size_t p = 0; p < planes_.size(); ++p)
        if (planes_[p][byte] & bit) pen |= 1 << p;
    return pen;
}

int SheetBlockPen(int column, int row) { return 16 + row * 13 + column; }

TestBitMap MakeTestSheet() {
    constexpr int kW = 71, kH = 96;
    TestBitMap sheet(13 * kW, 5 * kH, 8);
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x)
            sheet.Set(x, y, (x % kW == 0 || y % kH == 0) ? kSheetEdgePen : SheetBlockPen(x / kW, y / kH));
    return sheet;
}

}  // namespace support
