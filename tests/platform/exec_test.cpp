// Exec: injected faults, memory, libraries and interfaces, tag lists, bitmaps.
#include <gtest/gtest.h>

#include <exec.h>

#include <cstring>
#include <vector>

#include "host/host.h"

namespace {

struct ExecTest : testing::Test {
    void SetUp() override { host::ClearFaults(); }
    void TearDown() override { host::ClearFaults(); }
};

TEST_F(ExecTest, EveryFallibleExecAndGraphicsCallObeysItsFault) {
    const std::pair<const char*, bool (*)()> cases[] = {
        {"AllocMem", [] { APTR p = AllocMem(16, MEMF_ANY); FreeMem(p, 16); return p == nullptr; }},
        {"AllocVec", [] { APTR p = AllocVec(16, MEMF_ANY); FreeVec(p); return p == nullptr; }},
        {"OpenLibrary", [] { Library* l = OpenLibrary("gadtools.library", 0); CloseLibrary(l); return l == nullptr; }},
        {"GetInterface", [] {
             Library* l = OpenLibrary("gadtools.library", 0);
             Interface* i = GetInterface(l, "main", 1, nullptr);
             DropInterface(i);
             CloseLibrary(l);
             return i == nullptr;
         }},
        {"AllocRaster", [] { PLANEPTR p = AllocRaster(32, 4); FreeRaster(p, 32, 4); return p == nullptr; }},
        {"AllocBitMap", [] { BitMap* b = AllocBitMap(32, 4, 2, 0, nullptr); FreeBitMap(b); return b == nullptr; }},
        {"OpenFont", [] { TextAttr ta{"topaz.font", 8, 0, 0}; TextFont* f = OpenFont(&ta); CloseFont(f); return !f; }},
    };
    for (const auto& [op, fails] : cases) {
        SCOPED_TRACE(op);
        host::FailOnce(op);
        host::FailOnce("Other");  // faults go by name
        EXPECT_EQ(std::vector<bool>({fails(), fails()}), std::vector<bool>({true, false}));
        host::FailFrom(op, 2);
        EXPECT_EQ(std::vector<bool>({fails(), fails(), fails()}), std::vector<bool>({false, true, true}));
        host::ClearFaults();
        EXPECT_FALSE(fails());
    }
}

TEST_F(ExecTest, MemoryIsClearedWholeAndBadFreesAreHarmless) {
    for (ULONG size : {1u, 17u, 4096u}) {
        auto* m = static_cast<unsigned char*>(AllocMem(size, MEMF_ANY | MEMF_CLEAR));
        auto* v = static_cast<unsigned char*>(AllocVec(size, MEMF_CLEAR));
        ASSERT_TRUE(m && v);
        for (ULONG i = 0; i < size; ++i) ASSERT_EQ(m[i] | v[i], 0) << size;
        std::memset(m, 0xFF, size);  // the whole block is ours
        std::memset(v, 0xFF, size);
        FreeMem(m, size);
        FreeVec(v);
        FreeVec(v);  // twice: ignored
    }
    EXPECT_EQ(AllocVec(0, MEMF_ANY), nullptr);
    int local = 0;
    FreeMem(&local, sizeof local);  // never handed out: ignored
}

TEST_F(ExecTest, CopyMemCopiesEveryByteEvenOverlapping) {
    char buf[] = "abcdefghij";
    CopyMem(buf, buf + 2, 5);
    EXPECT_STREQ(buf, "ababcdehij");
}

TEST_F(ExecTest, KnownLibrariesOpenWithTheirMainInterfaceOnly) {
    const std::tuple<const char*, ULONG, bool> cases[] = {
        {"gadtools.library", 0, true},   {"dos.library", 36, true}, {"intuition.library", 0, true},
        {"gadtools.library", 999, false}, {"mathieee.library", 0, false}, {"GadTools.library", 0, false},
    };
    for (const auto& [name, version, opens] : cases) {
        Library* lib = OpenLibrary(name, version);
        EXPECT_EQ(lib != nullptr, opens) << name << " " << version;
        CloseLibrary(lib);
    }
    Library* lib = OpenLibrary("gadtools.library", 0);
    Interface* main = GetInterface(lib, "main", 1, nullptr);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->Data, lib);
    EXPECT_EQ(GetInterface(lib, "private", 1, nullptr), nullptr);
    EXPECT_EQ(GetInterface(lib, "main", 2, nullptr), nullptr);
    EXPECT_EQ(GetInterface(nullptr, "main", 1, nullptr), nullptr);
    DropInterface(main);
    CloseLibrary(lib);
}

}  // namespace
