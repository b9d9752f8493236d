// The IFF parser's raw walk: entering and leaving chunks, reading within them, and refusing
// files whose sizes or structure do not hold together.
#include <dos.h>
#include <gtest/gtest.h>
#include <iffparse.h>

#include <string>
#include <vector>

#include "host/host.h"
#include "support/ilbm.h"

using namespace support::ilbm;

namespace {

std::string IdText(LONG id) {
    std::string s;
    for (int shift = 24; shift >= 0; shift -= 8) s += char((ULONG(id) >> shift) & 0xFF);
    return s;
}

class IffParse : public ::testing::Test {
protected:
    void SetUp() override { host::UseVirtualDisplay(); }
    void TearDown() override { Close(); }

    // Open a file holding `bytes`; the result of OpenIFF.
    LONG Open(const Bytes& bytes) {
        EXPECT_TRUE(Write(path, bytes));
        iff = AllocIFF();
        EXPECT_NE(iff, nullptr);
        file = ::Open(path.c_str(), MODE_OLDFILE);
        EXPECT_NE(file, 0);
        iff->iff_Stream = uintptr_t(file);
        InitIFFasDOS(iff);
        return OpenIFF(iff, IFFF_READ);
    }
    void Close() {
        if (iff) {
            CloseIFF(iff);
            FreeIFF(iff);
            iff = nullptr;
        }
        if (file) ::Close(file);
        file = 0;
    }
    // Steps until a result other than 0 or EOC; each step as "ID/TYPE", "EOC" or the final code.
    std::vector<std::string> Walk() {
        std::vector<std::string> steps;
        for (int guard = 0; guard < 1000; ++guard) {
            LONG r = ParseIFF(iff, IFFPARSE_RAWSTEP);
            if (r == 0) {
                ContextNode* cn = CurrentChunk(iff);
                steps.push_back(IdText(cn->cn_ID) + "/" + IdText(cn->cn_Type));
            } else if (r == IFFERR_EOC) {
                steps.push_back("EOC");
            } else {
                steps.push_back(std::to_string(r));
                break;
            }
        }
        return steps;
    }

    std::string path = ::testing::TempDir() + "iffparse_test.iff";
    IFFHandle* iff = nullptr;
    BPTR file = 0;
};

const std::string kEOF = std::to_string(IFFERR_EOF);

TEST_F(IffParse, RawStepEntersAndLeavesEveryChunkInFileOrder) {
    struct Case {
        const char* name;
        Bytes file;
        std::vector<std::string> steps;
    } cases[] = {
        {"flat FORM",
         Group("FORM", "ILBM", {Chunk("BMHD", Bytes(20)), Chunk("BODY", Bytes(6))}),
         {"FORM/ILBM", "BMHD/ILBM", "EOC", "BODY/ILBM", "EOC", "EOC", kEOF}},
        {"odd chunks are padded",
         Group("FORM", "TEST", {Chunk("ANNO", Bytes(3, 'x')), Chunk("AUTH", Bytes(1)), Chunk("NAME", Bytes(2))}),
         {"FORM/TEST", "ANNO/TEST", "EOC", "AUTH/TEST", "EOC", "NAME/TEST", "EOC", "EOC", kEOF}},
        {"nested FORM",
         Group("FORM", "OUTR", {Chunk("HEAD", Bytes(4)), Group("FORM", "INNR", {Chunk("DATA", Bytes(5))}),
                                Chunk("TAIL", Bytes(2))}),
         {"FORM/OUTR", "HEAD/OUTR", "EOC", "FORM/INNR", "DATA/INNR", "EOC", "EOC", "TAIL/OUTR", "EOC", "EOC", kEOF}},
        {"LIST with PROP",
         Group("LIST", "ILBM", {Group("PROP", "ILBM", {Chunk("CMAP", Bytes(6))}),
                                Group("FORM", "ILBM", {Chunk("BODY", Bytes(2))})}),
         {"LIST/ILBM", "PROP/ILBM", "CMAP/ILBM", "EOC", "EOC", "FORM/ILBM", "BODY/ILBM", "EOC", "EOC", "EOC", kEOF}},
        {"CAT of two FORMs",
         Group("CAT ", "    ", {Group("FORM", "AAAA", {}), Group("FORM", "BBBB", {Chunk("X123", Bytes(1))})}),
         {"CAT /    ", "FORM/AAAA", "EOC", "FORM/BBBB", "X123/BBBB", "EOC", "EOC", "EOC", kEOF}},
        {"empty chunk", Group("FORM", "ILBM", {Chunk("BODY", Bytes())}),
         {"FORM/ILBM", "BODY/ILBM", "EOC", "EOC", kEOF}},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Open(c.file), 0);
        EXPECT_EQ(Walk(), c.steps);
        EXPECT_EQ(ParseIFF(iff, IFFPARSE_RAWSTEP), IFFERR_EOF) << "the end stays the end";
        Close();
    }
}

TEST_F(IffParse, BrokenFilesGiveTheirError) {
    Bytes form = Group("FORM", "ILBM", {Chunk("BMHD", Bytes(20)), Chunk("BODY", Bytes(8))});
    Bytes badId = form;
    badId[12] = 0x01;  // the BMHD's ID
    Bytes truncated(form.begin(), form.end() - 3);
    struct Case {
        const char* name;
        Bytes file;
        std::string last;
    } cases[] = {
        {"chunk larger than its group", Group("FORM", "ILBM", {Chunk("BODY", Bytes(8), 9)}), "-8"},
        {"group larger than its parent", Group("LIST", "ILBM", {Chunk("FORM", Bytes{'I', 'L', 'B', 'M'}, 40)}), "-8"},
        {"group without a type", Group("FORM", "ILBM", {Chunk("FORM", Bytes{'I', 'L'})}), "-8"},
        {"plain chunk in a LIST", Group("LIST", "ILBM", {Chunk("BMHD", Bytes(20))}), "-9"},
        {"plain chunk in a CAT", Group("CAT ", "ILBM", {Chunk("BMHD", Bytes(20))}), "-9"},
        {"PROP in a FORM", Group("FORM", "ILBM", {Group("PROP", "ILBM", {})}), "-9"},
        {"unprintable ID", badId, "-9"},
        {"truncated", truncated, "-8"},
        {"header cut short", Group("FORM", "ILBM", {Bytes{'B', 'M', 'H', 'D', 0, 0}}), "-8"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Open(c.file), 0);
        auto steps = Walk();
        EXPECT_EQ(steps.back(), c.last);
        EXPECT_EQ(std::to_string(ParseIFF(iff, IFFPARSE_RAWSTEP)), c.last) << "errors stay";
        Close();
    }
}

TEST_F(IffParse, OpenRefusesWhatIsNotIff) {
    struct Case {
        const char* name;
        Bytes file;
        LONG want;
    } cases[] = {
        {"empty", Bytes{}, IFFERR_NOTIFF},
        {"three bytes", Bytes{'F', 'O', 'R'}, IFFERR_NOTIFF},
        {"PNG", Bytes{0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13}, IFFERR_NOTIFF},
        {"PROP at the top", Group("PROP", "ILBM", {}), IFFERR_NOTIFF},
        {"FORM without size", Bytes{'F', 'O', 'R', 'M', 0, 0}, IFFERR_MANGLED},
        {"FORM", Group("FORM", "ILBM", {}), 0},
        {"LIST", Group("LIST", "ILBM", {}), 0},
        {"CAT", Group("CAT ", "ILBM", {}), 0},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Open(c.file), c.want);
        Close();
    }
}

TEST_F(IffParse, ReadChunkBytesStopsAtTheChunksEnd) {
    Bytes data = {1, 2, 3, 4, 5, 6, 7};
    ASSERT_EQ(Open(Group("FORM", "TEST", {Chunk("DATA", data), Chunk("NEXT", Bytes{9, 8})})), 0);
    ASSERT_EQ(ParseIFF(iff, IFFPARSE_RAWSTEP), 0);
    UBYTE buf[16] = {};
    EXPECT_EQ(ReadChunkBytes(iff, buf, 16), 0) << "a group's own data is not read";
    ASSERT_EQ(ParseIFF(iff, IFFPARSE_RAWSTEP), 0);
    EXPECT_EQ(ReadChunkBytes(iff, buf, 3), 3);
    EXPECT_EQ(CurrentChunk(iff)->cn_Scan, 3);
    EXPECT_EQ(ReadChunkBytes(iff, buf + 3, 16), 4);
    EXPECT_EQ(ReadChunkBytes(iff, buf + 7, 16), 0);
    EXPECT_EQ(Bytes(buf, buf + 7), data);
    // A chunk read partly is skipped to its end (and its pad byte) when leaving.
    ASSERT_EQ(ParseIFF(iff, IFFPARSE_RAWSTEP), IFFERR_EOC);
    ASSERT_EQ(ParseIFF(iff, IFFPARSE_RAWSTEP), 0);
    EXPECT_EQ(IdText(CurrentChunk(iff)->cn_ID), "NEXT");
    EXPECT_EQ(ReadChunkBytes(iff, buf, 1), 1);
    EXPECT_EQ(buf[0], 9);
    ASSERT_EQ(ParseIFF(iff, IFFPARSE_RAWSTEP), IFFERR_EOC);
    ASSERT_EQ(ParseIFF(iff, IFFPARSE_RAWSTEP), IFFERR_EOC);
    EXPECT_EQ(ParseIFF(iff, IFFPARSE_RAWSTEP), IFFERR_EOF);
}

TEST_F(IffParse, ParentChunkLeadsToTheEnclosingGroups) {
    ASSERT_EQ(Open(Group("LIST", "ILBM", {Group("FORM", "ILBM", {Chunk("BODY", Bytes(2))})})), 0);
    for (int i = 0; i < 3; ++i) ASSERT_EQ(ParseIFF(iff, IFFPARSE_RAWSTEP), 0);
    ContextNode* body = CurrentChunk(iff);
    ContextNode* form = ParentChunk(body);
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(IdText(form->cn_ID), "FORM");
    ContextNode* list = ParentChunk(form);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(IdText(list->cn_ID), "LIST");
    EXPECT_EQ(ParentChunk(list), nullptr);
    EXPECT_EQ(iff->iff_Depth, 3);
}

TEST_F(IffParse, AllocIFFCanBeMadeToFail) {
    host::FailOnce("AllocIFF");
    EXPECT_EQ(AllocIFF(), nullptr);
    IFFHandle* again = AllocIFF();
    EXPECT_NE(again, nullptr);
    FreeIFF(again);
}

TEST_F(IffParse, ReadErrorsAreReported) {
    Bytes form = Group("FORM", "ILBM", {Chunk("BODY", Bytes(100))});
    ASSERT_EQ(Open(form), 0);
    ASSERT_EQ(ParseIFF(iff, IFFPARSE_RAWSTEP), 0);
    ASSERT_EQ(ParseIFF(iff, IFFPARSE_RAWSTEP), 0);
    host::FailOnce("Read");
    UBYTE buf[100];
    EXPECT_EQ(ReadChunkBytes(iff, buf, 100), IFFERR_READ);
    EXPECT_EQ(ParseIFF(iff, IFFPARSE_RAWSTEP), IFFERR_READ);
}

}  // namespace
