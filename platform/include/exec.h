// Exec: basic types, tag lists, message ports, memory and libraries.
#pragma once
#include <cstddef>
#include <cstdint>

typedef int8_t BYTE;
typedef uint8_t UBYTE;
typedef int16_t WORD;
typedef uint16_t UWORD;
typedef int32_t LONG;
typedef uint32_t ULONG;
typedef int16_t BOOL;
typedef void* APTR;
typedef char* STRPTR;
typedef const char* CONST_STRPTR;
typedef intptr_t BPTR;  // DOS handles and locks; 0 is "none"

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// ---- tag lists -------------------------------------------------------------
typedef uintptr_t Tag;
struct TagItem {
    Tag ti_Tag;
    uintptr_t ti_Data;
};
#define TAG_DONE 0UL
#define TAG_END 0UL
#define TAG_IGNORE 1UL
#define TAG_MORE 2UL
#define TAG_SKIP 3UL
#define TAG_USER 0x80000000UL

// The next ordinary item of a tag list, following TAG_IGNORE, TAG_MORE and TAG_SKIP, and
// advances *tagListPtr past it; nullptr at TAG_DONE.
const TagItem* NextTagItem(const TagItem** tagListPtr);
// Value of the first tag `tag` in `list` (TAG_MORE and TAG_SKIP followed), or `def`.
uintptr_t GetTagData(Tag tag, uintptr_t def, const TagItem* list);
// First item with `tag`, or nullptr.
const TagItem* FindTagItem(Tag tag, const TagItem* list);

// ---- lists and messages ----------------------------------------------------
struct Node {
    Node* ln_Succ;
    Node* ln_Pred;
    UBYTE ln_Type;
    BYTE ln_Pri;
    const char* ln_Name;
};

struct List {
    Node* lh_Head;  // first node or nullptr
    Node* lh_Tail;  // last node or nullptr
};

struct MsgPort;

struct Message {
    Node mn_Node;
    MsgPort* mn_ReplyPort;
    UWORD mn_Length;
};

struct MsgPort {
    Node mp_Node;
    UBYTE mp_Flags;
    List mp_MsgList;  // queued messages, oldest first
};

// A fresh, empty port (nullptr when memory is short); DeleteMsgPort frees it.
MsgPort* CreateMsgPort();
void DeleteMsgPort(MsgPort* port);
// Queue a message at a port (the sender keeps ownership until it is replied).
void PutMsg(MsgPort* port, Message* msg);
// Next message at the port, or nullptr; never blocks.
Message* GetMsg(MsgPort* port);
// Return a message to its sender. Every message is replied exactly once.
void ReplyMsg(Message* msg);
// Block until the port holds a message; returns the first one without removing it.
// While it waits, the window server shows the screen and handles host input.
Message* WaitPort(MsgPort* port);

// ---- memory ----------------------------------------------------------------
#define MEMF_ANY 0UL
#define MEMF_PUBLIC (1UL << 0)
#define MEMF_CHIP (1UL << 1)
#define MEMF_CLEAR (1UL << 16)

APTR AllocMem(ULONG byteSize, ULONG attributes);
void FreeMem(APTR memoryBlock, ULONG byteSize);
APTR AllocVec(ULONG byteSize, ULONG attributes);  // remembers its size
void FreeVec(APTR memoryBlock);                   // nullptr is ignored
void CopyMem(const void* source, APTR dest, ULONG size);

// ---- libraries and interfaces ----------------------------------------------
struct Library {
    Node lib_Node;  // ln_Name is the library's name
    UWORD lib_Version;
    UWORD lib_OpenCnt;
};

struct Interface {
    Library* Data;  // the library the interface belongs to
    const char* Name;
    ULONG Version;
};

// Known libraries: "exec.library", "dos.library", "graphics.library", "intuition.library",
// "gadtools.library", "icon.library", "iffparse.library", "asl.library".
Library* OpenLibrary(CONST_STRPTR name, ULONG version);
void CloseLibrary(Library* library);
// The interface "main" of an open library; nullptr for a null library or an unknown name.
Interface* GetInterface(Library* library, CONST_STRPTR name, ULONG version, const TagItem* tags);
void DropInterface(Interface* iface);
