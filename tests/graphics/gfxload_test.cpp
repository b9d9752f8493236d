// The ILBM loader: chunk walk, header, colour table, BODY decoding and every failure sum.
#include <gtest/gtest.h>
#include <iffparse.h>
#include <intuition.h>

#include <cstring>
#include <string>

#include "graphics/gfxload.h"
#include "host/host.h"
#include "support/ilbm.h"
#include "support/screen.h"

using namespace support::ilbm;

namespace {

constexpr int kNoHeader = 1000;
constexpr int kNoBody = 100;
constexpr int kFailed = 10;

class GfxLoad : public ::testing::Test {
protected:
    void SetUp() override {
        host::UseVirtualDisplay();
        std::memset(colours, 0xEE, sizeof colours);
    }
    void TearDown() override { FreeBlocks(bitmap); }

    int Load(const Bytes& file) {
        EXPECT_TRUE(Write(path, file));
        return LoadPath(path);
    }
    int LoadPath(const std::string& p) {
        return LoadBlocks(bitmap, colours, reinterpret_cast<unsigned char*>(const_cast<char*>(p.c_str())));
    }
    // The record holds exactly the picture: its geometry and every plane row.
    void ExpectPicture(const Picture& pic) {
        ASSERT_EQ(bitmap.BytesPerRow, pic.RowBytes());
        ASSERT_EQ(bitmap.Rows, pic.height);
        ASSERT_EQ(bitmap.Depth, pic.depth);
        for (int p = 0; p < pic.depth; ++p) {
            ASSERT_NE(bitmap.Planes[p], nullptr) << "plane " << p;
            for (int y = 0; y < pic.height; ++y) {
                Bytes want = pic.PlaneRow(y, p);
                ASSERT_EQ(0, std::memcmp(bitmap.Planes[p] + y * bitmap.BytesPerRow, want.data(), want.size()))
                    << "plane " << p << " row " << y;
            }
        }
        for (int p = pic.depth; p < 8; ++p) EXPECT_EQ(bitmap.Planes[p], nullptr);
    }
    bool PlanesAllZero() const {
        for (int p = 0; p < bitmap.Depth; ++p)
            for (int i = 0; i < bitmap.BytesPerRow * bitmap.Rows; ++i)
                if (bitmap.Planes[p][i]) return false;
        return true;
    }

    std::string path = ::testing::TempDir() + "gfxload_test.lbm";
    BitMap bitmap{};
    unsigned char colours[768 + 16];
};

struct SizeCase {
    int width, height, depth;
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.width << "x" << c.height << "x" << c.depth; }

class GfxLoadSizes : public GfxLoad, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(GfxLoadSizes, UncompressedAndByteRun1GiveTheSamePlanes) {
    auto [w, h, depth] = GetParam();
    Picture pic = Pattern(w, h, depth);
    for (BodyOptions opt : {BodyOptions{false, false}, BodyOptions{true, false}, BodyOptions{true, true}}) {
        FreeBlocks(bitmap);
        bitmap = BitMap{};
        ASSERT_EQ(Load(File(pic, opt)), 0) << "compress " << opt.compress << " no-ops " << opt.noOps;
        ExpectPicture(pic);
    }
}

// Widths past 1008 pixels give 128 or more bytes a row: the per-row count must not wrap.
INSTANTIATE_TEST_SUITE_P(Pictures, GfxLoadSizes,
                         ::testing::Values(SizeCase{1, 1, 1}, SizeCase{16, 3, 2}, SizeCase{17, 5, 3},
                                           SizeCase{71, 96, 3}, SizeCase{923, 4, 3}, SizeCase{1008, 3, 4},
                                           SizeCase{1009, 3, 2}, SizeCase{1100, 4, 3}, SizeCase{2050, 2, 8},
                                           SizeCase{40, 6, 8}));

TEST_F(GfxLoad, ControlByteMinus128ProducesNothingAndConsumesNothing) {
    // Row of 4 bytes: -128, literal 2 bytes, -128, repeat 2 x 0x5A, -128 at the very end of
    // the row's data does not start the next row early.
    Picture pic{32, 2, 1, [](int x, int y) {
                    static const uint8_t row[4] = {0xC3, 0x18, 0x5A, 0x5A};
                    (void)y;
                    return row[x / 8] >> (7 - x % 8) & 1;
                }};
    Bytes body = {0x80, 0x01, 0xC3, 0x18, 0x80, 0xFF, 0x5A,  // row 0
                  0x80, 0x80, 0x03, 0xC3, 0x18, 0x5A, 0x5A};  // row 1
    ASSERT_EQ(Load(Group("FORM", "ILBM", {Bmhd(32, 2, 1, 1), Chunk("BODY", body)})), 0);
    ExpectPicture(pic);
}

TEST_F(GfxLoad, ChunkOrderDoesNotMatterAroundTheHeader) {
    Picture pic = Pattern(40, 7, 3);
    Bytes cmap = Chunk("CMAP", CmapData(8));
    Bytes bmhd = Bmhd(40, 7, 3, 1);
    Bytes body = Chunk("BODY", BodyData(pic));
    struct Order {
        const char* name;
        Bytes file;
    } orders[] = {
        {"CMAP BMHD BODY", Group("FORM", "ILBM", {cmap, bmhd, body})},
        {"BMHD BODY CMAP", Group("FORM", "ILBM", {bmhd, body, cmap})},
        {"BMHD CMAP BODY", Group("FORM", "ILBM", {bmhd, cmap, body})},
    };
    Bytes want = CmapData(8);
    for (auto& o : orders) {
        SCOPED_TRACE(o.name);
        FreeBlocks(bitmap);
        bitmap = BitMap{};
        std::memset(colours, 0xEE, sizeof colours);
        ASSERT_EQ(Load(o.file), 0);
        ExpectPicture(pic);
        EXPECT_EQ(0, std::memcmp(colours, want.data(), want.size()));
        EXPECT_EQ(colours[want.size()], 0xEE) << "entries past the CMAP stay as they were";
    }
}

TEST_F(GfxLoad, ColourTableTakesAtMost768Bytes) {
    Bytes big(900);
    for (size_t i = 0; i < big.size(); ++i) big[i] = uint8_t(i * 7);
    Picture pic = Pattern(16, 2, 1);
    ASSERT_EQ(Load(Group("FORM", "ILBM", {Bmhd(16, 2, 1, 1), Chunk("CMAP", big), Chunk("BODY", BodyData(pic))})), 0);
    EXPECT_EQ(0, std::memcmp(colours, big.data(), 768));
    for (int i = 768; i < 768 + 16; ++i) EXPECT_EQ(colours[i], 0xEE) << "byte " << i;
}

// Failures and what they add up to: base + 1000 without a header + 100 without a body.
TEST_F(GfxLoad, FailuresAddUpTheirParts) {
    Picture pic = Pattern(24, 4, 2);
    Bytes body = Chunk("BODY", BodyData(pic));
    Bytes cmap = Chunk("CMAP", CmapData(4));
    struct Case {
        const char* name;
        Bytes file;
        int want;
    } cases[] = {
        {"body before header", Group("FORM", "ILBM", {body, Bmhd(24, 4, 2, 1)}), kFailed + kNoHeader + kNoBody},
        {"not IFF", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0, 0, 0}, IFFERR_NOTIFF + kNoHeader + kNoBody},
        {"empty file", Bytes{}, IFFERR_NOTIFF + kNoHeader + kNoBody},
        {"FORM of another type", Group("FORM", "8SVX", {Bmhd(24, 4, 2, 1), body}), kNoHeader + kNoBody},
        {"only a colour map", Group("FORM", "ILBM", {cmap}), kNoHeader + kNoBody},
        {"header without body", Group("FORM", "ILBM", {Bmhd(24, 4, 2, 1), cmap}), kNoBody},
        {"nine planes", Group("FORM", "ILBM", {Bmhd(24, 4, 9, 1), body}), kFailed + kNoBody},
        {"zero width", Group("FORM", "ILBM", {Bmhd(0, 4, 2, 1), body}), kFailed + kNoBody},
        {"zero height", Group("FORM", "ILBM", {Bmhd(24, 0, 2, 1), body}), kFailed + kNoBody},
        {"short header", Group("FORM", "ILBM", {Chunk("BMHD", Bytes{0, 24, 0, 4, 0, 0, 0, 0, 2}), body}),
         kFailed + kNoBody},
        {"header too big to hold", Group("FORM", "ILBM", {Bmhd(65535, 65535, 8, 1), body}), kFailed + kNoBody},
        {"chunk larger than its FORM",
         Group("FORM", "ILBM", {Bmhd(24, 4, 2, 1), Chunk("BODY", BodyData(pic), 100000)}), IFFERR_MANGLED + kNoBody},
        {"plain chunk directly in a LIST", Group("LIST", "ILBM", {Bmhd(24, 4, 2, 1)}),
         IFFERR_SYNTAX + kNoHeader + kNoBody},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        FreeBlocks(bitmap);
        bitmap = BitMap{};
        EXPECT_EQ(Load(c.file), c.want);
    }
}

TEST_F(GfxLoad, NinePlanesAllocateNothing) {
    ASSERT_EQ(Load(Group("FORM", "ILBM", {Bmhd(24, 4, 9, 1)})), kFailed + kNoBody);
    for (PLANEPTR p : bitmap.Planes) EXPECT_EQ(p, nullptr);
}

TEST_F(GfxLoad, MissingFileIs1110) {
    EXPECT_EQ(LoadPath(::testing::TempDir() + "no-such-sheet.lbm"), kFailed + kNoHeader + kNoBody);
}

TEST_F(GfxLoad, PlatformFailuresGiveTheirSums) {
    Picture pic = Pattern(24, 4, 3);
    Bytes file = File(pic);
    struct Case {
        const char* op;
        int nth;
        int want;
        int planesLeft;  // allocated before the failure, kept for FreeBlocks
    } cases[] = {
        {"AllocIFF", 1, kFailed + kNoHeader + kNoBody, 0},
        {"Open", 1, kFailed + kNoHeader + kNoBody, 0},
        {"AllocRaster", 1, kFailed + kNoBody, 0},
        {"AllocRaster", 3, kFailed + kNoBody, 2},
        {"AllocMem", 1, kNoBody, 3},
        {"Read", 1, IFFERR_READ + kNoHeader + kNoBody, 0},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(std::string(c.op) + " #" + std::to_string(c.nth));
        FreeBlocks(bitmap);
        bitmap = BitMap{};
        ASSERT_TRUE(Write(path, file));
        host::ClearFaults();
        host::FailFrom(c.op, c.nth);
        EXPECT_EQ(LoadPath(path), c.want);
        host::ClearFaults();
        int planes = 0;
        for (PLANEPTR p : bitmap.Planes) planes += p != nullptr;
        EXPECT_EQ(planes, c.planesLeft);
    }
}

TEST_F(GfxLoad, PictureInsideListOrCatLoads) {
    Picture pic = Pattern(33, 9, 3);
    Bytes form = File(pic);
    Bytes other = Group("FORM", "8SVX", {Chunk("VHDR", Bytes(20, 1))});
    struct Case {
        const char* name;
        Bytes file;
    } cases[] = {
        {"CAT", Group("CAT ", "ILBM", {other, form})},
        {"LIST", Group("LIST", "ILBM", {form})},
        {"LIST with PROP header",
         Group("LIST", "ILBM",
               {Group("PROP", "ILBM", {Bmhd(33, 9, 3, 1), Chunk("CMAP", CmapData(8))}),
                Group("FORM", "ILBM", {Chunk("BODY", BodyData(pic))})})},
        {"CAT in a CAT", Group("CAT ", "    ", {Group("CAT ", "ILBM", {form}), other})},
        {"odd chunk before", Group("FORM", "ILBM",
                                   {Chunk("ANNO", Bytes{'o', 'd', 'd'}), Bmhd(33, 9, 3, 1),
                                    Chunk("BODY", BodyData(pic))})},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        FreeBlocks(bitmap);
        bitmap = BitMap{};
        ASSERT_EQ(Load(c.file), 0);
        ExpectPicture(pic);
    }
}

TEST_F(GfxLoad, UnknownCompressionLoadsWithUndecodedPlanes) {
    Picture pic = Pattern(30, 5, 2);
    ASSERT_EQ(Load(Group("FORM", "ILBM", {Bmhd(30, 5, 2, 2), Chunk("BODY", BodyData(pic))})), 0);
    EXPECT_EQ(bitmap.Depth, 2);
    EXPECT_TRUE(PlanesAllZero());
}

TEST_F(GfxLoad, RunCrossingTheRowEndIsCutThere) {
    // Two bytes a row, one plane: a repeat of 5 and a literal of 3 both overshoot.
    Bytes body = {uint8_t(int8_t(-4)), 0xAA, 0x02, 0x11, 0x22, 0x33, 0x01, 0x44, 0x55};
    ASSERT_EQ(Load(Group("FORM", "ILBM", {Bmhd(16, 3, 1, 1), Chunk("BODY", body)})), 0);
    const uint8_t want[6] = {0xAA, 0xAA, 0x11, 0x22, 0x44, 0x55};
    EXPECT_EQ(0, std::memcmp(bitmap.Planes[0], want, 6));
}

TEST_F(GfxLoad, ShortBodyLeavesTheRestAsAllocated) {
    const int rows = 10;
    Picture pic = Pattern(48, rows, 2);
    for (bool compress : {false, true}) {
        // The data of the first k rows is a prefix of the whole body; cut there, and one
        // byte into the next row (inside a run).
        for (int k : {0, 1, 4, 9}) {
            for (int extra : {0, 1}) {
                SCOPED_TRACE(std::string(compress ? "ByteRun1" : "uncompressed") + " rows " + std::to_string(k) +
                             " + " + std::to_string(extra));
                FreeBlocks(bitmap);
                bitmap = BitMap{};
                Bytes body = BodyData(Pattern(48, k, 2), {compress, false});
                Bytes full = BodyData(pic, {compress, false});
                body.insert(body.end(), full.begin() + long(body.size()), full.begin() + long(body.size()) + extra);
                if (body.empty()) continue;  // no BODY data at all is another case
                ASSERT_EQ(Load(Group("FORM", "ILBM", {Bmhd(48, rows, 2, compress), Chunk("BODY", body)})), 0);
                for (int y = 0; y < rows; ++y) {
                    if (y == k && extra) continue;  // partly decoded
                    for (int p = 0; p < 2; ++p) {
                        Bytes want = y < k ? pic.PlaneRow(y, p) : Bytes(pic.RowBytes(), 0);
                        ASSERT_EQ(0, std::memcmp(bitmap.Planes[p] + y * bitmap.BytesPerRow, want.data(), want.size()))
                            << "row " << y << " plane " << p;
                    }
                }
            }
        }
    }
}

TEST_F(GfxLoad, SecondHeaderReplacesTheFirst) {
    Picture small = Pattern(16, 2, 3), pic = Pattern(40, 6, 2);
    Bytes file = Group("FORM", "ILBM",
                       {Bmhd(16, 2, 3, 1), Chunk("BODY", BodyData(small)), Bmhd(40, 6, 2, 1),
                        Chunk("BODY", BodyData(pic))});
    ASSERT_EQ(Load(file), 0);
    ExpectPicture(pic);
}

TEST_F(GfxLoad, TruncatedFileNeverLoadsWhole) {
    Picture pic = Pattern(50, 6, 3);
    Bytes file = Group("LIST", "ILBM", {Group("PROP", "ILBM", {Chunk("CMAP", CmapData(8))}), File(pic)});
    ASSERT_EQ(Load(file), 0);
    for (size_t len = 0; len < file.size(); ++len) {
        FreeBlocks(bitmap);
        bitmap = BitMap{};
        int r = Load(Bytes(file.begin(), file.begin() + long(len)));
        EXPECT_NE(r, 0) << "length " << len;
    }
}

TEST_F(GfxLoad, PictureSmallerThanTheBlocksLoads) {
    Picture pic = Pattern(100, 50, 3);
    ASSERT_EQ(Load(File(pic)), 0);
    ExpectPicture(pic);
}

TEST_F(GfxLoad, BlocksOfASmallPictureDrawOnlyWhatItHolds) {
    Picture pic = Pattern(100, 50, 3);
    ASSERT_EQ(Load(File(pic)), 0);
    Window* window = support::OpenTestWindow();
    ASSERT_NE(window, nullptr);
    RastPort* rp = window->RPort;
    SetAPen(rp, 200);
    RectFill(rp, 10, 20, 200, 200);
    // The back's block lies wholly outside the picture: nothing is copied.
    BltBitMapRastPort(&bitmap, 284, 384, rp, 10, 20, 71, 96, 0xC0);
    // The first block is cut at the picture's last row.
    BltBitMapRastPort(&bitmap, 0, 0, rp, 100, 20, 71, 96, 0xC0);
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 71; ++x) {
            ASSERT_EQ(support::Pixel(window, 10 + x, 20 + y), 200) << x << "," << y;
            ASSERT_EQ(support::Pixel(window, 100 + x, 20 + y), y < 50 ? pic.pixel(x, y) : 200) << x << "," << y;
        }
    CloseWindow(window);
}

TEST_F(GfxLoad, FreeBlocksEmptiesEverySlot) {
    ASSERT_EQ(Load(File(Pattern(20, 3, 5))), 0);
    FreeBlocks(bitmap);
    for (PLANEPTR p : bitmap.Planes) EXPECT_EQ(p, nullptr);
    FreeBlocks(bitmap);  // a second release finds nothing to free
}

}  // namespace
