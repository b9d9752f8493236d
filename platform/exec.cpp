// Exec: memory, libraries and interfaces, tag lists. (Message ports live in messages.cpp.)
#include "exec.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "host/host.h"

// ---- tag lists -------------------------------------------------------------

const TagItem* NextTagItem(const TagItem** tagListPtr) {
    // A bound on the steps, so that a list chained into a loop ends.
    for (int guard = 0; tagListPtr && *tagListPtr && guard < 10000; ++guard) {
        const TagItem* item = *tagListPtr;
        switch (item->ti_Tag) {
        case TAG_DONE:
            *tagListPtr = nullptr;
            return nullptr;
        case TAG_IGNORE:
            *tagListPtr = item + 1;
            break;
        case TAG_MORE:
            *tagListPtr = reinterpret_cast<const TagItem*>(item->ti_Data);
            break;
        case TAG_SKIP:
            *tagListPtr = item + 1 + item->ti_Data;
            break;
        default:
            *tagListPtr = item + 1;
            return item;
        }
    }
    return nullptr;
}

const TagItem* FindTagItem(Tag tag, const TagItem* list) {
    while (const TagItem* item = NextTagItem(&list))
        if (item->ti_Tag == tag) return item;
    return nullptr;
}

uintptr_t GetTagData(Tag tag, uintptr_t def, const TagItem* list) {
    const TagItem* item = FindTagItem(tag, list);
    return item != nullptr ? item->ti_Data : def;
}

// ---- memory ----------------------------------------------------------------
// Live AllocMem and AllocVec blocks by address: a block freed twice, or an address never handed out,
// is ignored instead of corrupting the heap.

namespace {

std::unordered_map<void*, ULONG>& MemBlocks() {
    static std::unordered_map<void*, ULONG> blocks;
    return blocks;
}

std::unordered_map<void*, ULONG>& VecBlocks() {
    static std::unordered_map<void*, ULONG> blocks;
    return blocks;
}

void* RawAlloc(size_t size, ULONG attributes) {
    return (attributes & MEMF_CLEAR) ? std::calloc(1, size) : std::malloc(size);
}

// AllocVec keeps the size in front of the block; 16 bytes keep the block aligned.
constexpr size_t kVecHeader = 16;

}  // namespace

APTR AllocMem(ULONG byteSize, ULONG attributes) {
    if (host::ShouldFail("AllocMem") || byteSize == 0) return nullptr;
    void* p = RawAlloc(byteSize, attributes);
    if (p != nullptr) MemBlocks()[p] = byteSize;
    return p;
}

void FreeMem(APTR memoryBlock, ULONG /*byteSize*/) {
    if (memoryBlock == nullptr) return;
    if (MemBlocks().erase(memoryBlock) == 0) return;
    std::free(memoryBlock);
}

APTR AllocVec(ULONG byteSize, ULONG attributes) {
    if (host::ShouldFail("AllocVec") || byteSize == 0) return nullptr;
    auto* p = static_cast<unsigned char*>(RawAlloc(kVecHeader + size_t{byteSize}, attributes));
    if (p == nullptr) return nullptr;
    std::memcpy(p, &byteSize, sizeof byteSize);
    VecBlocks()[p + kVecHeader] = byteSize;
    return p + kVecHeader;
}

void FreeVec(APTR memoryBlock) {
    if (memoryBlock == nullptr) return;
    if (VecBlocks().erase(memoryBlock) == 0) return;
    std::free(static_cast<unsigned char*>(memoryBlock) - kVecHeader);
}

void CopyMem(const void* source, APTR dest, ULONG size) {
    if (source == nullptr || dest == nullptr || size == 0) return;
    std::memmove(dest, source, size);
}

// ---- libraries and interfaces ----------------------------------------------

namespace {

constexpr UWORD kLibraryVersion = 54;

struct LibraryTable {
    std::vector<std::unique_ptr<Library>> libraries;
    std::vector<std::string> names;
    LibraryTable() {
        for (const char* name : {"exec.library", "dos.library", "graphics.library", "intuition.library",
                                 "gadtools.library", "icon.library", "iffparse.library", "asl.library"}) {
            names.emplace_back(name);
            auto lib = std::make_unique<Library>();
            std::memset(lib.get(), 0, sizeof(Library));
            lib->lib_Version = kLibraryVersion;
            libraries.push_back(std::move(lib));
        }
        for (size_t i = 0; i < libraries.size(); ++i) libraries[i]->lib_Node.ln_Name = names[i].c_str();
    }
};

LibraryTable& Libraries() {
    static LibraryTable table;
    return table;
}

bool IsLibrary(const Library* library) {
    for (auto& lib : Libraries().libraries)
        if (lib.get() == library) return true;
    return false;
}

}  // namespace

Library* OpenLibrary(CONST_STRPTR name, ULONG version) {
    if (host::ShouldFail("OpenLibrary") || name == nullptr) return nullptr;
    auto& table = Libraries();
    for (size_t i = 0; i < table.names.size(); ++i) {
        if (table.names[i] != name) continue;
        Library* lib = table.libraries[i].get();
        if (version > lib->lib_Version) return nullptr;
        ++lib->lib_OpenCnt;
        return lib;
    }
    return nullptr;
}

void CloseLibrary(Library* library) {
    if (library == nullptr || !IsLibrary(library)) return;
    if (library->lib_OpenCnt > 0) --library->lib_OpenCnt;
}

Interface* GetInterface(Library* library, CONST_STRPTR name, ULONG version, const TagItem* /*tags*/) {
    if (host::ShouldFail("GetInterface")) return nullptr;
    if (library == nullptr || name == nullptr || !IsLibrary(library) || library->lib_OpenCnt == 0) return nullptr;
    if (std::strcmp(name, "main") != 0 || version > 1) return nullptr;
    return new Interface{library, "main", 1};
}

void DropInterface(Interface* iface) { delete iface; }
