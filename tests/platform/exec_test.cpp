// Exec: injected faults, memory, libraries and interfaces, tag lists, bitmaps.
#include <gtest/gtest.h>

#include <exec.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "host/host.h"

namespace {

struct ExecTest : testing::Test {
    void SetUp() override { host::ClearFaults(); }
    void TearDown() override { host::ClearFaults(); }
};

TEST_F(ExecTest, FailOnceAndFailFromTable) {
    struct Case {
        int from;  // 0 or more: FailFrom(from); -1: FailOnce
        std::vector<bool> calls;
    };
    const Case cases[] = {
        {-1, {true, false, false, false}}, {1, {true, true, true, true}},
        {2, {false, true, true, true}},    {4, {false, false, false, true, true}},
        {0, {true, true}},  // already due
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.from);
        host::ClearFaults();
        if (c.from < 0) host::FailOnce("Widget");
        else host::FailFrom("Widget", c.from);
        std::vector<bool> got;
        for (size_t i = 0; i < c.calls.size(); ++i) got.push_back(host::ShouldFail("Widget"));
        EXPECT_EQ(got, c.calls);
    }
    // Faults go by name, and ClearFaults ends them.
    host::FailFrom("Alpha", 1);
    EXPECT_FALSE(host::ShouldFail("Beta"));
    EXPECT_FALSE(host::ShouldFail(nullptr));
    EXPECT_TRUE(host::ShouldFail("Alpha"));
    host::ClearFaults();
    EXPECT_FALSE(host::ShouldFail("Alpha"));
}

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
        EXPECT_FALSE(fails());
        host::FailOnce(op);
        EXPECT_TRUE(fails());
        EXPECT_FALSE(fails());
        host::FailFrom(op, 2);
        EXPECT_FALSE(fails());
        EXPECT_TRUE(fails());
        EXPECT_TRUE(fails());
        host::ClearFaults();
    }
}

TEST_F(ExecTest, MemoryIsClearedAlignedWholeAndBadFreesAreHarmless) {
    for (ULONG size : {1u, 7u, 17u, 4096u}) {
        SCOPED_TRACE(size);
        auto* m = static_cast<unsigned char*>(AllocMem(size, MEMF_ANY | MEMF_CLEAR));
        auto* v = static_cast<unsigned char*>(AllocVec(size, MEMF_CLEAR));
        ASSERT_NE(m, nullptr);
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(v) % alignof(std::max_align_t), 0u);
        for (ULONG i = 0; i < size; ++i) ASSERT_EQ(m[i] | v[i], 0);
        std::memset(m, 0xFF, size);  // the whole block is ours
        std::memset(v, 0xFF, size);
        FreeMem(m, size);
        FreeVec(v);
        FreeMem(m, size);  // twice: ignored
        FreeVec(v);
    }
    EXPECT_EQ(AllocMem(0, MEMF_ANY), nullptr);
    EXPECT_EQ(AllocVec(0, MEMF_ANY), nullptr);
    FreeVec(nullptr);
    FreeMem(nullptr, 10);
    int local = 0;
    FreeMem(&local, sizeof local);  // never handed out: ignored
}

TEST_F(ExecTest, CopyMemCopiesAndHandlesOverlap) {
    char buf[] = "abcdefghij";
    CopyMem(buf, buf + 2, 5);
    EXPECT_STREQ(buf, "ababcdehij");
    char dst[4] = {'x', 'x', 'x', 0};
    CopyMem("yz", dst, 2);
    CopyMem(nullptr, dst, 2);
    CopyMem("q", nullptr, 1);
    EXPECT_STREQ(dst, "yzx");
}

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

TEST_F(ExecTest, OpenCountsFollowAndOnlyTheMainInterfaceIsGiven) {
    Library* a = OpenLibrary("gadtools.library", 0);
    ASSERT_NE(a, nullptr);
    const UWORD base = a->lib_OpenCnt;
    Library* b = OpenLibrary("gadtools.library", 0);
    EXPECT_EQ(a, b);
    EXPECT_EQ(a->lib_OpenCnt, base + 1);
    CloseLibrary(b);
    Interface* main = GetInterface(a, "main", 1, nullptr);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->Data, a);
    EXPECT_STREQ(main->Name, "main");
    EXPECT_EQ(GetInterface(a, "private", 1, nullptr), nullptr);
    EXPECT_EQ(GetInterface(a, "main", 2, nullptr), nullptr);
    EXPECT_EQ(GetInterface(nullptr, "main", 1, nullptr), nullptr);
    DropInterface(main);
    DropInterface(nullptr);
    CloseLibrary(a);
    EXPECT_EQ(a->lib_OpenCnt, base - 1);
}

TEST_F(ExecTest, TagListsAreWalkedThroughIgnoreSkipAndMore) {
    const TagItem tail[] = {{TAG_USER + 3, 33}, {TAG_USER + 1, 111}, {TAG_DONE, 0}};
    const TagItem list[] = {
        {TAG_USER + 1, 11}, {TAG_IGNORE, 0},
        {TAG_SKIP, 1},      {TAG_USER + 2, 22},  // skipped
        {TAG_USER + 4, 44}, {TAG_MORE, reinterpret_cast<uintptr_t>(tail)},
        {TAG_USER + 5, 55},  // after TAG_MORE: never reached
    };
    const std::pair<Tag, uintptr_t> cases[] = {{TAG_USER + 1, 11},  {TAG_USER + 2, 999}, {TAG_USER + 3, 33},
                                               {TAG_USER + 4, 44},  {TAG_USER + 5, 999}, {TAG_USER + 6, 999}};
    for (const auto& [tag, want] : cases) {
        SCOPED_TRACE(tag - TAG_USER);
        EXPECT_EQ(GetTagData(tag, 999, list), want);
        const TagItem* item = FindTagItem(tag, list);
        EXPECT_EQ(item != nullptr ? item->ti_Data : 999, want);
    }
    EXPECT_EQ(GetTagData(TAG_USER + 1, 7, nullptr), 7u);
    const TagItem empty[] = {{TAG_DONE, 0}};
    EXPECT_EQ(FindTagItem(TAG_USER + 1, empty), nullptr);
}

TEST_F(ExecTest, BitmapsGetWholeWordsARowAndClearedPlanes) {
    const std::pair<UWORD, UWORD> cases[] = {{1, 2}, {16, 2}, {17, 4}, {923, 116}, {928, 116}, {0, 0}};
    const UWORD height = 3;
    for (const auto& [width, bytesPerRow] : cases) {
        SCOPED_TRACE(width);
        BitMap bm;
        std::memset(&bm, 0, sizeof bm);
        int sentinel = 0;
        bm.Planes[0] = reinterpret_cast<PLANEPTR>(&sentinel);
        InitBitMap(&bm, 3, width, height);
        EXPECT_EQ(bm.BytesPerRow, bytesPerRow);
        EXPECT_EQ(bm.Rows, height);
        EXPECT_EQ(bm.Depth, 3);
        EXPECT_EQ(bm.Planes[0], reinterpret_cast<PLANEPTR>(&sentinel));  // untouched
        PLANEPTR plane = AllocRaster(width, height);
        const size_t size = size_t(bytesPerRow) * height;
        if (size == 0) {
            EXPECT_EQ(plane, nullptr);
            continue;
        }
        ASSERT_NE(plane, nullptr);
        for (size_t i = 0; i < size; ++i) ASSERT_EQ(plane[i], 0);
        std::memset(plane, 0xFF, size);
        FreeRaster(plane, width, height);
        BitMap* alloc = AllocBitMap(width, height, 5, 0, nullptr);
        ASSERT_NE(alloc, nullptr);
        EXPECT_EQ(alloc->BytesPerRow, bytesPerRow);
        EXPECT_EQ(alloc->Depth, 5);
        for (int p = 0; p < 8; ++p) {
            ASSERT_EQ(alloc->Planes[p] != nullptr, p < 5) << p;
            for (size_t i = 0; p < 5 && i < size; ++i) ASSERT_EQ(alloc->Planes[p][i], 0);
        }
        FreeBitMap(alloc);
    }
    FreeBitMap(nullptr);
    FreeRaster(nullptr, 1, 1);
    EXPECT_EQ(AllocBitMap(16, 16, 9, 0, nullptr), nullptr);  // more planes than a bitmap holds
}

TEST_F(ExecTest, BltClearZeroesBytesOrRowsTimesBytes) {
    for (const auto& [size, flags, cleared] : {std::tuple{10u, 0u, 10u}, std::tuple{(3u << 16) | 4u, 2u, 12u}}) {
        std::vector<UBYTE> block(64, 0xFF);
        BltClear(block.data(), size, flags);
        for (size_t i = 0; i < block.size(); ++i) EXPECT_EQ(block[i], i < cleared ? 0 : 0xFF) << i;
    }
    BltClear(nullptr, 10, 0);
    WaitBlit();
}

}  // namespace
