// Exec: memory, libraries and interfaces, tag lists, and injected faults.
#include <gtest/gtest.h>

#include <exec.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/host.h"

namespace {

struct ExecTest : testing::Test {
    void SetUp() override { host::ClearFaults(); }
    void TearDown() override { host::ClearFaults(); }
};

// ---- fault injection ------------------------------------------------------------------

TEST_F(ExecTest, FailOnceFailsTheNextCallOnly) {
    host::FailOnce("Widget");
    std::vector<bool> got;
    for (int i = 0; i < 4; ++i) got.push_back(host::ShouldFail("Widget"));
    EXPECT_EQ(got, (std::vector<bool>{true, false, false, false}));
}

TEST_F(ExecTest, FailFromFailsTheNthCallAndEveryLaterOne) {
    struct Case {
        int n;
        std::vector<bool> calls;
    };
    const Case cases[] = {
        {1, {true, true, true, true}},
        {2, {false, true, true, true}},
        {4, {false, false, false, true, true}},
        {0, {true, true}},  // already due
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.n);
        host::ClearFaults();
        host::FailFrom("Widget", c.n);
        std::vector<bool> got;
        for (size_t i = 0; i < c.calls.size(); ++i) got.push_back(host::ShouldFail("Widget"));
        EXPECT_EQ(got, c.calls);
    }
}

TEST_F(ExecTest, FaultsAreByNameAndClearFaultsEndsThem) {
    host::FailFrom("Alpha", 1);
    EXPECT_FALSE(host::ShouldFail("Beta"));
    EXPECT_FALSE(host::ShouldFail(nullptr));
    EXPECT_TRUE(host::ShouldFail("Alpha"));
    host::ClearFaults();
    EXPECT_FALSE(host::ShouldFail("Alpha"));
}

TEST_F(ExecTest, EveryFallibleExecAndGraphicsCallObeysItsFault) {
    struct Case {
        const char* op;
        bool (*fails)();
    };
    const Case cases[] = {
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
        {"OpenFont", [] {
             TextAttr ta{"topaz.font", 8, 0, 0};
             TextFont* f = OpenFont(&ta);
             CloseFont(f);
             return f == nullptr;
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.op);
        EXPECT_FALSE(c.fails());
        host::FailOnce(c.op);
        EXPECT_TRUE(c.fails());
        EXPECT_FALSE(c.fails());
        host::FailFrom(c.op, 2);
        EXPECT_FALSE(c.fails());
        EXPECT_TRUE(c.fails());
        EXPECT_TRUE(c.fails());
        host::ClearFaults();
    }
}

// ---- memory -----------------------------------------------------------------------------

TEST_F(ExecTest, MemfClearGivesZeroedMemory) {
    for (ULONG size : {1u, 7u, 64u, 4096u}) {
        auto* m = static_cast<unsigned char*>(AllocMem(size, MEMF_ANY | MEMF_CLEAR));
        auto* v = static_cast<unsigned char*>(AllocVec(size, MEMF_CLEAR));
        ASSERT_NE(m, nullptr);
        ASSERT_NE(v, nullptr);
        for (ULONG i = 0; i < size; ++i) {
            ASSERT_EQ(m[i], 0);
            ASSERT_EQ(v[i], 0);
        }
        std::memset(m, 0xFF, size);  // the whole block is ours
        std::memset(v, 0xFF, size);
        FreeMem(m, size);
        FreeVec(v);
    }
}

TEST_F(ExecTest, ZeroBytesAndForeignOrRepeatedFreesAreHarmless) {
    EXPECT_EQ(AllocMem(0, MEMF_ANY), nullptr);
    EXPECT_EQ(AllocVec(0, MEMF_ANY), nullptr);
    FreeVec(nullptr);
    FreeMem(nullptr, 10);
    int local = 0;
    FreeMem(&local, sizeof local);  // never handed out: ignored
    APTR v = AllocVec(8, MEMF_ANY);
    FreeVec(v);
    FreeVec(v);  // twice: ignored
    APTR m = AllocMem(8, MEMF_ANY);
    FreeMem(m, 8);
    FreeMem(m, 8);
}

TEST_F(ExecTest, AllocVecBlocksAreAlignedForAnyType) {
    for (ULONG size : {1u, 3u, 17u, 100u}) {
        APTR v = AllocVec(size, MEMF_ANY);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(v) % alignof(std::max_align_t), 0u);
        FreeVec(v);
    }
}

TEST_F(ExecTest, CopyMemCopiesAndHandlesOverlap) {
    char buf[] = "abcdefghij";
    CopyMem(buf, buf + 2, 5);
    EXPECT_STREQ(buf, "ababcdehij");
    char dst[4] = {'x', 'x', 'x', 0};
    CopyMem("yz", dst, 2);
    EXPECT_STREQ(dst, "yzx");
    CopyMem(nullptr, dst, 2);
    CopyMem("q", nullptr, 1);
    EXPECT_STREQ(dst, "yzx");
}

// ---- libraries --------------------------------------------------------------------------

TEST_F(ExecTest, KnownLibrariesOpenAndOthersDoNot) {
    struct Case {
        const char* name;
        ULONG version;
        bool opens;
    };
    const Case cases[] = {
        {"exec.library", 0, true},      {"dos.library", 36, true},     {"graphics.library", 39, true},
        {"intuition.library", 0, true}, {"gadtools.library", 0, true}, {"icon.library", 0, true},
        {"iffparse.library", 0, true},  {"asl.library", 0, true},      {"gadtools.library", 999, false},
        {"mathieee.library", 0, false}, {"", 0, false},                {"GadTools.library", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Library* lib = OpenLibrary(c.name, c.version);
        EXPECT_EQ(lib != nullptr, c.opens);
        if (lib != nullptr) {
            EXPECT_STREQ(lib->lib_Node.ln_Name, c.name);
            EXPECT_GE(lib->lib_Version, c.version);
        }
        CloseLibrary(lib);
    }
    EXPECT_EQ(OpenLibrary(nullptr, 0), nullptr);
    CloseLibrary(nullptr);
}

TEST_F(ExecTest, OpenCountsFollowOpensAndCloses) {
    Library* a = OpenLibrary("icon.library", 0);
    ASSERT_NE(a, nullptr);
    const UWORD base = a->lib_OpenCnt;
    Library* b = OpenLibrary("icon.library", 0);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a->lib_OpenCnt, base + 1);
    CloseLibrary(b);
    CloseLibrary(a);
    EXPECT_EQ(a->lib_OpenCnt, base - 1);
}

TEST_F(ExecTest, OnlyTheMainInterfaceOfAnOpenLibraryIsGiven) {
    Library* lib = OpenLibrary("gadtools.library", 0);
    ASSERT_NE(lib, nullptr);
    Interface* main = GetInterface(lib, "main", 1, nullptr);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->Data, lib);
    EXPECT_STREQ(main->Name, "main");
    EXPECT_EQ(GetInterface(lib, "private", 1, nullptr), nullptr);
    EXPECT_EQ(GetInterface(lib, "main", 2, nullptr), nullptr);
    EXPECT_EQ(GetInterface(nullptr, "main", 1, nullptr), nullptr);
    DropInterface(main);
    DropInterface(nullptr);
    CloseLibrary(lib);
}

// ---- tag lists --------------------------------------------------------------------------

TEST_F(ExecTest, TagListsAreWalkedThroughIgnoreSkipAndMore) {
    const TagItem tail[] = {{TAG_USER + 3, 33}, {TAG_USER + 1, 111}, {TAG_DONE, 0}};
    const TagItem list[] = {
        {TAG_USER + 1, 11},
        {TAG_IGNORE, 0},
        {TAG_SKIP, 1},
        {TAG_USER + 2, 22},  // skipped
        {TAG_USER + 4, 44},
        {TAG_MORE, reinterpret_cast<uintptr_t>(tail)},
        {TAG_USER + 5, 55},  // after TAG_MORE: never reached
    };
    struct Case {
        Tag tag;
        uintptr_t want;
    };
    const Case cases[] = {{TAG_USER + 1, 11}, {TAG_USER + 2, 999}, {TAG_USER + 3, 33},
                          {TAG_USER + 4, 44}, {TAG_USER + 5, 999}, {TAG_USER + 6, 999}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tag - TAG_USER);
        EXPECT_EQ(GetTagData(c.tag, 999, list), c.want);
        const TagItem* item = FindTagItem(c.tag, list);
        EXPECT_EQ(item != nullptr, c.want != 999);
        if (item != nullptr) {
            EXPECT_EQ(item->ti_Data, c.want);
        }
    }
    EXPECT_EQ(GetTagData(TAG_USER + 1, 7, nullptr), 7u);
    const TagItem empty[] = {{TAG_DONE, 0}};
    EXPECT_EQ(FindTagItem(TAG_USER + 1, empty), nullptr);
}

// ---- bitmaps ------------------------------------------------------------------------------

TEST_F(ExecTest, BitmapsGetWholeWordsARowAndClearedPlanes) {
    struct Case {
        UWORD width, height;
        UWORD bytesPerRow;
    };
    const Case cases[] = {{1, 1, 2}, {16, 3, 2}, {17, 2, 4}, {71, 96, 10}, {923, 480, 116}, {928, 480, 116}, {0, 4, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        BitMap bm;
        std::memset(&bm, 0, sizeof bm);
        int sentinel = 0;
        bm.Planes[0] = reinterpret_cast<PLANEPTR>(&sentinel);
        InitBitMap(&bm, 3, c.width, c.height);
        EXPECT_EQ(bm.BytesPerRow, c.bytesPerRow);
        EXPECT_EQ(bm.Rows, c.height);
        EXPECT_EQ(bm.Depth, 3);
        EXPECT_EQ(bm.Planes[0], reinterpret_cast<PLANEPTR>(&sentinel));  // untouched
        PLANEPTR plane = AllocRaster(c.width, c.height);
        const size_t size = size_t(c.bytesPerRow) * c.height;
        if (size == 0) {
            EXPECT_EQ(plane, nullptr);
            continue;
        }
        ASSERT_NE(plane, nullptr);
        for (size_t i = 0; i < size; ++i) ASSERT_EQ(plane[i], 0);
        std::memset(plane, 0xFF, size);
        FreeRaster(plane, c.width, c.height);
        BitMap* alloc = AllocBitMap(c.width, c.height, 5, 0, nullptr);
        ASSERT_NE(alloc, nullptr);
        EXPECT_EQ(alloc->BytesPerRow, c.bytesPerRow);
        EXPECT_EQ(alloc->Depth, 5);
        for (int p = 0; p < 5; ++p) {
            ASSERT_NE(alloc->Planes[p], nullptr);
            for (size_t i = 0; i < size; ++i) ASSERT_EQ(alloc->Planes[p][i], 0);
        }
        for (int p = 5; p < 8; ++p) EXPECT_EQ(alloc->Planes[p], nullptr);
        FreeBitMap(alloc);
    }
    FreeBitMap(nullptr);
    FreeRaster(nullptr, 1, 1);
    EXPECT_EQ(AllocBitMap(16, 16, 9, 0, nullptr), nullptr);  // more planes than a bitmap holds
}

TEST_F(ExecTest, BltClearZeroesBytesOrRowsTimesBytes) {
    std::vector<UBYTE> block(64, 0xFF);
    BltClear(block.data(), 10, 0);
    for (size_t i = 0; i < block.size(); ++i) EXPECT_EQ(block[i], i < 10 ? 0 : 0xFF) << i;
    std::fill(block.begin(), block.end(), 0xFF);
    BltClear(block.data(), (3u << 16) | 4u, 2);  // 3 rows of 4 bytes
    for (size_t i = 0; i < block.size(); ++i) EXPECT_EQ(block[i], i < 12 ? 0 : 0xFF) << i;
    BltClear(nullptr, 10, 0);
    WaitBlit();
}

}  // namespace
