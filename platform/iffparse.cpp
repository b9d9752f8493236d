// IFF parsing: a raw, forward-only walk over the chunks of an IFF file read through DOS.
// The parser keeps a stack of open contexts; every byte comes from dos Read, and skipping is
// read-and-discard, so it works on any stream and never reads past what the groups allow.
#include "iffparse.h"

#include <algorithm>
#include <array>
#include <deque>
#include <new>

#include "dos.h"
#include "host/host.h"

namespace {

constexpr ULONG kDosStream = 1;  // iff_Flags: InitIFFasDOS was called

struct Context {
    ContextNode node{};
    bool group = false;  // FORM, LIST, CAT or PROP: holds chunks
    bool ended = false;  // its data is done; the next step leaves it
};

struct Parser : IFFHandle {
    bool open = false;
    bool started = false;          // the top-level group has been entered
    LONG error = 0;                // sticky: once the stream is out of step, stay there
    std::array<UBYTE, 12> head{};  // the top-level header, read by OpenIFF
    std::deque<Context> stack;     // a deque keeps ContextNode pointers valid while it grows

    // Back to "not opened": no context, no error.
    void Reset() {
        stack.clear();
        open = false;
        started = false;
        error = 0;
        iff_Depth = 0;
    }
};

Parser* AsParser(IFFHandle* iff) { return static_cast<Parser*>(iff); }
const Parser* AsParser(const IFFHandle* iff) { return static_cast<const Parser*>(iff); }

LONG BigEndian(const UBYTE* p) {
    return static_cast<LONG>(static_cast<ULONG>(p[0]) << 24 | static_cast<ULONG>(p[1]) << 16 |
                             static_cast<ULONG>(p[2]) << 8 | static_cast<ULONG>(p[3]));
}

bool IsGroup(LONG id) { return id == LONG(ID_FORM) || id == LONG(ID_LIST) || id == LONG(ID_CAT) || id == LONG(ID_PROP); }

// Printable ASCII with no leading space, as every chunk ID must be.
bool GoodID(LONG id) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        int c = (static_cast<ULONG>(id) >> shift) & 0xFF;
        if (c < 0x20 || c > 0x7E) return false;
    }
    return ((static_cast<ULONG>(id) >> 24) & 0xFF) != ' ';
}

// Read exactly `length` bytes: 0, or IFFERR_READ on a stream error, IFFERR_MANGLED when the
// file ends first (the groups said there was more).
LONG ReadExactly(Parser& p, void* buffer, LONG length) {
    auto* out = static_cast<UBYTE*>(buffer);
    while (length > 0) {
        LONG n = Read(static_cast<BPTR>(p.iff_Stream), out, length);
        if (n < 0) return IFFERR_READ;
        if (n == 0) return IFFERR_MANGLED;
        out += n;
        length -= n;
    }
    return 0;
}

LONG Skip(Parser& p, LONG length) {
    std::array<UBYTE, 4096> scratch;
    while (length > 0) {
        LONG part = std::min<LONG>(length, scratch.size());
        if (LONG err = ReadExactly(p, scratch.data(), part)) return err;
        length -= part;
    }
    return 0;
}

LONG Fail(Parser& p, LONG err) {
    p.error = err;
    return err;
}

void Push(Parser& p, Context c) {
    // Each node points back at its parent's, for ParentChunk.
    c.node.cn_Node.ln_Pred = p.stack.empty() ? nullptr : &p.stack.back().node.cn_Node;
    p.stack.push_back(c);
    p.iff_Depth = static_cast<LONG>(p.stack.size());
}

// Enter the group whose 12-byte header (ID, size, type) is in `head`.
LONG PushGroup(Parser& p, const UBYTE* head) {
    LONG size = BigEndian(head + 4);
    if (size < 4) return Fail(p, IFFERR_MANGLED);
    Context c;
    c.group = true;
    c.node.cn_ID = BigEndian(head);
    c.node.cn_Type = BigEndian(head + 8);
    c.node.cn_Size = size;
    c.node.cn_Scan = 4;
    Push(p, c);
    return 0;
}

// A context of odd size is followed by a pad byte, when its parent has room for one.
LONG SkipPad(Parser& p) {
    if (p.stack.size() < 2 || !(p.stack.back().node.cn_Size & 1)) return 0;
    Context& parent = p.stack[p.stack.size() - 2];
    if (parent.node.cn_Scan >= parent.node.cn_Size) return 0;
    UBYTE pad;
    if (LONG err = ReadExactly(p, &pad, 1)) return err;
    parent.node.cn_Scan += 1;
    return 0;
}

LONG Step(Parser& p) {
    if (p.error) return p.error;
    if (!p.stack.empty() && p.stack.back().ended) {
        p.stack.pop_back();
        p.iff_Depth = static_cast<LONG>(p.stack.size());
    }
    if (p.stack.empty()) {
        if (p.started) return Fail(p, IFFERR_EOF);
        p.started = true;
        return PushGroup(p, p.head.data());
    }

    Context& top = p.stack.back();
    if (!top.group) {
        // Skip what the reader left of the chunk, and its pad byte when the group holds one.
        LONG rest = top.node.cn_Size - top.node.cn_Scan;
        if (LONG err = Skip(p, rest)) return Fail(p, err);
        top.node.cn_Scan = top.node.cn_Size;
        top.ended = true;
        if (LONG err = SkipPad(p)) return Fail(p, err);
        return IFFERR_EOC;
    }

    LONG room = top.node.cn_Size - top.node.cn_Scan;
    if (room == 0) {
        top.ended = true;
        if (LONG err = SkipPad(p)) return Fail(p, err);
        return IFFERR_EOC;
    }
    if (room < 8) return Fail(p, IFFERR_MANGLED);
    UBYTE head[12];
    if (LONG err = ReadExactly(p, head, 8)) return Fail(p, err);
    LONG id = BigEndian(head);
    LONG size = BigEndian(head + 4);
    if (!GoodID(id)) return Fail(p, IFFERR_SYNTAX);
    if (size < 0 || size > room - 8) return Fail(p, IFFERR_MANGLED);
    bool inForm = top.node.cn_ID == LONG(ID_FORM);
    if (IsGroup(id)) {
        // PROP belongs in a LIST only; FORM, LIST and CAT may appear anywhere.
        if (id == LONG(ID_PROP) && top.node.cn_ID != LONG(ID_LIST)) return Fail(p, IFFERR_SYNTAX);
        if (size < 4) return Fail(p, IFFERR_MANGLED);
        if (LONG err = ReadExactly(p, head + 8, 4)) return Fail(p, err);
        top.node.cn_Scan += 8 + size;
        return PushGroup(p, head);
    }
    // Plain data chunks live in a FORM or a PROP; a LIST or CAT holds only groups.
    if (!inForm && top.node.cn_ID != LONG(ID_PROP)) return Fail(p, IFFERR_SYNTAX);
    top.node.cn_Scan += 8 + size;
    Context c;
    c.node.cn_ID = id;
    c.node.cn_Type = top.node.cn_Type;
    c.node.cn_Size = size;
    c.node.cn_Scan = 0;
    Push(p, c);
    return 0;
}

}  // namespace

IFFHandle* AllocIFF() {
    if (host::ShouldFail("AllocIFF")) return nullptr;
    auto* p = new (std::nothrow) Parser();
    if (!p) return nullptr;
    p->iff_Stream = 0;
    p->iff_Flags = 0;
    p->iff_Depth = 0;
    return p;
}

void InitIFFasDOS(IFFHandle* iff) {
    if (iff) iff->iff_Flags |= kDosStream;
}

LONG OpenIFF(IFFHandle* iff, LONG rwMode) {
    if (!iff) return IFFERR_NOMEM;
    Parser& p = *AsParser(iff);
    p.Reset();
    if (rwMode != IFFF_READ) return IFFERR_WRITE;  // this parser only reads
    if (!(p.iff_Flags & kDosStream) || p.iff_Stream == 0) return IFFERR_READ;
    // The first four bytes decide whether this is IFF at all; the size and type follow.
    LONG n = 0;
    while (n < 4) {
        LONG got = Read(static_cast<BPTR>(p.iff_Stream), p.head.data() + n, 4 - n);
        if (got < 0) return IFFERR_READ;
        if (got == 0) return IFFERR_NOTIFF;
        n += got;
    }
    LONG id = BigEndian(p.head.data());
    if (id != LONG(ID_FORM) && id != LONG(ID_LIST) && id != LONG(ID_CAT)) return IFFERR_NOTIFF;
    if (LONG err = ReadExactly(p, p.head.data() + 4, 8)) return err;
    p.open = true;
    return 0;
}

LONG ParseIFF(IFFHandle* iff, LONG control) {
    if (!iff) return IFFERR_NOSCOPE;
    Parser& p = *AsParser(iff);
    if (!p.open) return IFFERR_NOSCOPE;
    if (control != IFFPARSE_RAWSTEP) {
        // Only the raw walk is offered: STEP and SCAN return what RAWSTEP returns, minus
        // the ends of contexts for SCAN.
        for (;;) {
            LONG r = Step(p);
            if (control == IFFPARSE_SCAN && r == IFFERR_EOC) continue;
            return r;
        }
    }
    return Step(p);
}

ContextNode* CurrentChunk(const IFFHandle* iff) {
    if (!iff) return nullptr;
    const Parser& p = *AsParser(iff);
    if (p.stack.empty()) return nullptr;
    return const_cast<ContextNode*>(&p.stack.back().node);
}

ContextNode* ParentChunk(const ContextNode* contextNode) {
    return contextNode ? reinterpret_cast<ContextNode*>(contextNode->cn_Node.ln_Pred) : nullptr;
}

LONG ReadChunkBytes(IFFHandle* iff, APTR buf, LONG numBytes) {
    if (!iff) return IFFERR_NOSCOPE;
    Parser& p = *AsParser(iff);
    if (p.error) return p.error;
    if (p.stack.empty()) return IFFERR_NOSCOPE;
    Context& top = p.stack.back();
    if (top.group || top.ended || numBytes <= 0) return 0;
    LONG n = std::min(numBytes, top.node.cn_Size - top.node.cn_Scan);
    if (n <= 0) return 0;
    if (!buf) return IFFERR_NOSCOPE;
    if (LONG err = ReadExactly(p, buf, n)) return Fail(p, err);
    top.node.cn_Scan += n;
    return n;
}

void CloseIFF(IFFHandle* iff) {
    if (iff) AsParser(iff)->Reset();
}

void FreeIFF(IFFHandle* iff) { delete AsParser(iff); }
