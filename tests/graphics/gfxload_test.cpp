// The ILBM loader: chunk walk, header, colour table, BODY decoding and every failure sum.
#include <gtest/gtest.h>
#include <iffparse.h>
#include <intuition.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "graphics/gfxload.h"
#include "host/host.h"
#include "support/ilbm.h"

using namespace support::ilbm;

namespace {

constexpr int kNoHeader = 1000, kNoBody = 100, kFailed = 10;

class GfxLoad : public ::testing::Test {
protected:
    void SetUp() override { host::UseVirtualDisplay(); }
    void TearDown() override { FreeBlocks(bitmap); }

    // Loads into a fresh record and a colour table filled with 0xEE.
    int Load(const Bytes& file) {
        EXPECT_TRUE(Write(path, file));
        return LoadPath(path);
    }
    int LoadPath(const std::string& p) {
        FreeBlocks(bitmap);
        bitmap = BitMap{};
        std::memset(colours, 0xEE, sizeof colours);
        return LoadBlocks(bitmap, colours, reinterpret_cast<unsigned char*>(const_cast<char*>(p.c_str())));
    }
    bool RowIs(int p, int y, const Bytes& want) const {
        return std::memcmp(bitmap.Planes[p] + y * bitmap.BytesPerRow, want.data(), want.size()) == 0;
    }
    // The record holds exactly the picture: its geometry and every plane row.
    void ExpectPicture(const Picture& pic) {
        ASSERT_EQ(bitmap.BytesPerRow, pic.RowBytes());
        ASSERT_EQ(bitmap.Rows, pic.height);
        ASSERT_EQ(bitmap.Depth, pic.depth);
        for (int p = 0; p < 8; ++p) {
            ASSERT_EQ(bitmap.Planes[p] != nullptr, p < pic.depth) << "plane " << p;
            for (int y = 0; p < pic.depth && y < pic.height; ++y)
                ASSERT_TRUE(RowIs(p, y, pic.PlaneRow(y, p))) << "plane " << p << " row " << y;
        }
    }
    int PlaneCount() const {
        int n = 0;
        for (PLANEPTR p : bitmap.Planes) n += p != nullptr;
        return n;
    }

    std::string path = ::testing::TempDir() + "gfxload_test.lbm";
    BitMap bitmap{};
    unsigned char colours[768 + 16];
};

// Widths past 1008 pixels give 128 or more bytes a row: the per-row count must not wrap.
TEST_F(GfxLoad, UncompressedAndByteRun1GiveTheSamePlanes) {
    const int sizes[][3] = {{1, 1, 1}, {17, 5, 3}, {71, 96, 3}, {1008, 3, 4}, {1009, 3, 2}, {2050, 2, 8}, {40, 6, 8}};
    for (auto [w, h, depth] : sizes)
        for (BodyOptions opt : {BodyOptions{false, false}, BodyOptions{true, false}, BodyOptions{true, true}}) {
            SCOPED_TRACE(testing::Message() << w << "x" << h << "x" << depth << " compress " << opt.compress
                                            << " no-ops " << opt.noOps);
            ASSERT_EQ(Load(File(Pattern(w, h, depth), opt)), 0);
            ExpectPicture(Pattern(w, h, depth));
        }
    FreeBlocks(bitmap);
    EXPECT_EQ(PlaneCount(), 0);
    FreeBlocks(bitmap);  // a second release finds nothing to free
}

// The colour table takes the CMAP, whichever side of the header, up to 768 bytes.
// Colours the CMAP does not give (a short one, or none) are black, never what the table
// held before; nothing is written past its 768 bytes.
TEST_F(GfxLoad, ChunkOrderDoesNotMatterAroundTheHeader) {
    Picture pic = Pattern(40, 7, 3);
    Bytes big(900), bmhd = Bmhd(40, 7, 3, 1), body = Chunk("BODY", BodyData(pic));
    for (size_t i = 0; i < big.size(); ++i) big[i] = uint8_t(i * 7);
    for (const Bytes& cmap : {Bytes{}, CmapData(8), big})
        for (bool first : {true, false}) {
            SCOPED_TRACE(testing::Message() << cmap.size() << " bytes of CMAP " << (first ? "first" : "last"));
            const Bytes chunk = Chunk("CMAP", cmap);
            const Bytes file = cmap.empty() ? Group("FORM", "ILBM", {bmhd, body})
                               : first      ? Group("FORM", "ILBM", {chunk, bmhd, body})
                                            : Group("FORM", "ILBM", {bmhd, body, chunk});
            ASSERT_EQ(Load(file), 0);
            ExpectPicture(pic);
            const size_t n = std::min<size_t>(cmap.size(), 768);
            EXPECT_TRUE(n == 0 || std::memcmp(colours, cmap.data(), n) == 0);
            for (size_t i = n; i < 768 + 16; ++i) EXPECT_EQ(colours[i], i < 768 ? 0 : 0xEE) << "byte " << i;
        }
}

// Failures add up: base + 1000 without a header + 100 without a body.
TEST_F(GfxLoad, FailuresAddUpTheirParts) {
    Bytes body = Chunk("BODY", BodyData(Pattern(24, 4, 2))), cmap = Chunk("CMAP", CmapData(4));
    Bytes bmhd = Bmhd(24, 4, 2, 1);
    struct Case { const char* name; Bytes file; int want; } cases[] = {
        {"body before header", Group("FORM", "ILBM", {body, bmhd}), kFailed + kNoHeader + kNoBody},
        {"not IFF", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0}, IFFERR_NOTIFF + kNoHeader + kNoBody},
        {"empty file", Bytes{}, IFFERR_NOTIFF + kNoHeader + kNoBody},
        {"FORM of another type", Group("FORM", "8SVX", {bmhd, body}), kNoHeader + kNoBody},
        {"only a colour map", Group("FORM", "ILBM", {cmap}), kNoHeader + kNoBody},
        {"header without body", Group("FORM", "ILBM", {bmhd, cmap}), kNoBody},
        {"nine planes", Group("FORM", "ILBM", {Bmhd(24, 4, 9, 1), body}), kFailed + kNoBody},
        {"nine planes, no body", Group("FORM", "ILBM", {Bmhd(24, 4, 9, 1)}), kFailed + kNoBody},
        {"zero width", Group("FORM", "ILBM", {Bmhd(0, 4, 2, 1), body}), kFailed + kNoBody},
        {"zero height", Group("FORM", "ILBM", {Bmhd(24, 0, 2, 1), body}), kFailed + kNoBody},
        {"header of four bytes: no planes", Group("FORM", "ILBM", {Chunk("BMHD", Bytes{0, 24, 0, 4})}), kFailed + kNoBody},
        {"no planes", Group("FORM", "ILBM", {Bmhd(24, 4, 0, 1), body}), kFailed + kNoBody},
        {"header too big to hold", Group("FORM", "ILBM", {Bmhd(65535, 65535, 8, 1), body}), kFailed + kNoBody},
        {"one plane of 65520 x 8000", Group("FORM", "ILBM", {Bmhd(65520, 8000, 1, 1), body}), kFailed + kNoBody},
        {"2049 x 1024: past the bound once rows are padded", Group("FORM", "ILBM", {Bmhd(2049, 1024, 1, 1), body}),
         kFailed + kNoBody},
        {"2048 x 1024 loads", Group("FORM", "ILBM", {Bmhd(2048, 1024, 8, 1), body}), 0},
        {"chunk larger than its FORM", Group("FORM", "ILBM", {bmhd, Chunk("BODY", Bytes(10), 100000)}),
         IFFERR_MANGLED + kNoBody},
        {"plain chunk directly in a LIST", Group("LIST", "ILBM", {bmhd}), IFFERR_SYNTAX + kNoHeader + kNoBody},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Load(c.file), c.want);
        EXPECT_EQ(c.want >= kFailed + kNoBody ? PlaneCount() : 0, 0) << "no header, nothing allocated";
    }
    EXPECT_EQ(LoadPath(::testing::TempDir() + "no-such-sheet.lbm"), kFailed + kNoHeader + kNoBody);
}

TEST_F(GfxLoad, PlatformFailuresGiveTheirSums) {
    const Bytes file = File(Pattern(24, 4, 3));
    // planesLeft: allocated before the failure, kept for FreeBlocks.
    struct Case { const char* op; int nth, want, planesLeft; } cases[] = {
        {"AllocIFF", 1, kFailed + kNoHeader + kNoBody, 0}, {"Open", 1, kFailed + kNoHeader + kNoBody, 0},
        {"AllocRaster", 1, kFailed + kNoBody, 0},          {"AllocRaster", 3, kFailed + kNoBody, 2},
        {"AllocMem", 1, kNoBody, 3},                       {"Read", 1, IFFERR_READ + kNoHeader + kNoBody, 0},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(std::string(c.op) + " #" + std::to_string(c.nth));
        ASSERT_TRUE(Write(path, file));
        host::FailFrom(c.op, c.nth);
        EXPECT_EQ(LoadPath(path), c.want);
        host::ClearFaults();
        EXPECT_EQ(PlaneCount(), c.planesLeft);
    }
}

TEST_F(GfxLoad, PictureInsideListOrCatOrWithAShortHeaderLoads) {
    Picture pic = Pattern(33, 9, 3);
    Bytes form = File(pic), body = Chunk("BODY", BodyData(pic));
    Bytes other = Group("FORM", "8SVX", {Chunk("VHDR", Bytes(20, 1))});
    struct Case { const char* name; Bytes file; } cases[] = {
        {"CAT", Group("CAT ", "ILBM", {other, form})}, {"LIST", Group("LIST", "ILBM", {form})},
        {"LIST with PROP header", Group("LIST", "ILBM", {Group("PROP", "ILBM", {Bmhd(33, 9, 3, 1)}),
                                                         Group("FORM", "ILBM", {body})})},
        {"CAT in a CAT", Group("CAT ", "    ", {Group("CAT ", "ILBM", {form}), other})},
        {"odd chunk before", Group("FORM", "ILBM", {Chunk("ANNO", Bytes{'o', 'd', 'd'}), Bmhd(33, 9, 3, 1), body})},
        {"second header replaces the first",
         Group("FORM", "ILBM", {Bmhd(16, 2, 8, 1), Chunk("BODY", BodyData(Pattern(16, 2, 8))), Bmhd(33, 9, 3, 1), body})},
        // A header shorter than 20 bytes is read as far as it goes; the fields it does not reach
        // are zero (here: no compression).
        {"header of 9 bytes", Group("FORM", "ILBM", {Chunk("BMHD", Bytes{0, 33, 0, 9, 0, 0, 0, 0, 3}),
                                                     Chunk("BODY", BodyData(pic, {.compress = false}))})},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Load(c.file), 0);
        ExpectPicture(pic);
    }
}

// Hand-made BODY data for one plane, and the plane it must give.
TEST_F(GfxLoad, BodyDecodingOfOddRuns) {
    const auto minus = [](int n) { return uint8_t(int8_t(n)); };
    const struct { const char* name; int width, rows, compression; Bytes body, plane; } cases[] = {
        {"-128 produces and consumes nothing, even at a row's end", 32, 2, 1,
         {0x80, 0x01, 0xC3, 0x18, 0x80, minus(-1), 0x5A, 0x80, 0x80, 0x03, 0xC3, 0x18, 0x5A, 0x5A},
         {0xC3, 0x18, 0x5A, 0x5A, 0xC3, 0x18, 0x5A, 0x5A}},
        {"a repeat of 5 and a literal of 3 are cut at the row's end", 16, 3, 1,
         {minus(-4), 0xAA, 0x02, 0x11, 0x22, 0x33, 0x01, 0x44, 0x55}, {0xAA, 0xAA, 0x11, 0x22, 0x44, 0x55}},
        {"unknown compression loads undecoded", 16, 2, 2, {0x03, 0xFF, 0xFF, 0xFF, 0xFF}, {0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Load(Group("FORM", "ILBM", {Bmhd(c.width, c.rows, 1, c.compression), Chunk("BODY", c.body)})), 0);
        ASSERT_EQ(bitmap.Depth, 1);
        EXPECT_TRUE(RowIs(0, 0, c.plane));
    }
}

TEST_F(GfxLoad, ShortBodyLeavesTheRestAsAllocated) {
    const int rows = 10;
    Picture pic = Pattern(48, rows, 2);
    // The first k rows' data, and optionally one byte into the next row (inside a run).
    for (bool compress : {false, true})
        for (int k : {0, 1, 4, 9})
            for (int extra : {0, 1}) {
                SCOPED_TRACE(testing::Message() << "compress " << compress << " rows " << k << " + " << extra);
                Bytes body = BodyData(Pattern(48, k, 2), {compress, false}), full = BodyData(pic, {compress, false});
                body.insert(body.end(), full.begin() + long(body.size()), full.begin() + long(body.size()) + extra);
                if (body.empty()) continue;  // no BODY data at all is another case
                ASSERT_EQ(Load(Group("FORM", "ILBM", {Bmhd(48, rows, 2, compress), Chunk("BODY", body)})), 0);
                for (int y = 0; y < rows; ++y)
                    for (int p = 0; p < 2 && !(y == k && extra); ++p)
                        ASSERT_TRUE(RowIs(p, y, y < k ? pic.PlaneRow(y, p) : Bytes(6, 0))) << y << "," << p;
            }
}

TEST_F(GfxLoad, TruncatedFileNeverLoadsWhole) {
    Bytes file = Group("LIST", "ILBM", {Group("PROP", "ILBM", {Chunk("CMAP", CmapData(8))}), File(Pattern(50, 6, 3))});
    ASSERT_EQ(Load(file), 0);
    for (size_t len = 0; len < file.size(); ++len)
        EXPECT_NE(Load(Bytes(file.begin(), file.begin() + long(len))), 0) << "length " << len;
}

}  // namespace
