// The IFF parser's raw walk: entering and leaving chunks, reading in them, refusing broken files.
#include <dos.h>
#include <gtest/gtest.h>
#include <iffparse.h>

#include <string>
#include <utility>

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

    // Opens a file holding `bytes`; the result of OpenIFF.
    LONG Open(const Bytes& bytes) {
        EXPECT_TRUE(Write(path, bytes));
        iff = AllocIFF();
        file = ::Open(path.c_str(), MODE_OLDFILE);
        EXPECT_TRUE(iff != nullptr && file != 0);
        iff->iff_Stream = uintptr_t(file);
        InitIFFasDOS(iff);
        return OpenIFF(iff, IFFF_READ);
    }
    void Close() {
        if (iff) CloseIFF(iff), FreeIFF(iff);
        if (file) ::Close(file);
        iff = nullptr, file = 0;
    }
    // Steps until a result other than 0 or EOC: "ID/TYPE" for each chunk entered, then the codes.
    std::string Walk() {
        std::string steps;
        for (LONG r = 0; steps.size() < 10000 && (r == 0 || r == IFFERR_EOC);) {
            r = Step();
            ContextNode* cn = CurrentChunk(iff);
            steps += (steps.empty() ? "" : " ") + (r == 0 ? IdText(cn->cn_ID) + "/" + IdText(cn->cn_Type) : Code(r));
        }
        return steps;
    }
    static std::string Code(LONG r) {
        const std::pair<LONG, const char*> names[] = {
            {IFFERR_EOC, "EOC"}, {IFFERR_EOF, "EOF"}, {IFFERR_MANGLED, "MANGLED"}, {IFFERR_SYNTAX, "SYNTAX"}};
        for (auto [code, name] : names)
            if (r == code) return name;
        return std::to_string(r);
    }
    LONG Step() { return ParseIFF(iff, IFFPARSE_RAWSTEP); }

    std::string path = ::testing::TempDir() + "iffparse_test.iff";
    IFFHandle* iff = nullptr;
    BPTR file = 0;
};

TEST_F(IffParse, RawStepEntersAndLeavesEveryChunkInFileOrder) {
    const struct { const char* name; Bytes file; const char* steps; } cases[] = {
        {"flat FORM", Group("FORM", "ILBM", {Chunk("BMHD", Bytes(20)), Chunk("BODY", Bytes(6))}),
         "FORM/ILBM BMHD/ILBM EOC BODY/ILBM EOC EOC EOF"},
        {"odd chunks are padded",
         Group("FORM", "TEST", {Chunk("ANNO", Bytes(3, 'x')), Chunk("AUTH", Bytes(1)), Chunk("NAME", Bytes(2))}),
         "FORM/TEST ANNO/TEST EOC AUTH/TEST EOC NAME/TEST EOC EOC EOF"},
        {"nested FORM",
         Group("FORM", "OUTR",
               {Chunk("HEAD", Bytes(4)), Group("FORM", "INNR", {Chunk("DATA", Bytes(5))}), Chunk("TAIL", Bytes(2))}),
         "FORM/OUTR HEAD/OUTR EOC FORM/INNR DATA/INNR EOC EOC TAIL/OUTR EOC EOC EOF"},
        {"LIST with PROP",
         Group("LIST", "ILBM",
               {Group("PROP", "ILBM", {Chunk("CMAP", Bytes(6))}), Group("FORM", "ILBM", {Chunk("BODY", Bytes(2))})}),
         "LIST/ILBM PROP/ILBM CMAP/ILBM EOC EOC FORM/ILBM BODY/ILBM EOC EOC EOC EOF"},
        {"CAT of two FORMs",
         Group("CAT ", "    ", {Group("FORM", "AAAA", {}), Group("FORM", "BBBB", {Chunk("X123", Bytes(1))})}),
         "CAT /     FORM/AAAA EOC FORM/BBBB X123/BBBB EOC EOC EOC EOF"},
        {"empty chunk", Group("FORM", "ILBM", {Chunk("BODY", Bytes())}), "FORM/ILBM BODY/ILBM EOC EOC EOF"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Open(c.file), 0);
        EXPECT_EQ(Walk(), c.steps);
        EXPECT_EQ(Step(), IFFERR_EOF) << "the end stays the end";
        Close();
    }
}

TEST_F(IffParse, BrokenFilesGiveTheirError) {
    Bytes form = Group("FORM", "ILBM", {Chunk("BMHD", Bytes(20)), Chunk("BODY", Bytes(8))});
    Bytes badId = form;
    badId[12] = 0x01;  // the BMHD's ID
    Bytes highId = form;
    highId[15] = 0x80;
    const struct {
        const char* name;
        Bytes file;
        LONG open;         // OpenIFF's result
        const char* last;  // the walk's final code, once open
    } cases[] = {
        {"empty", Bytes{}, IFFERR_NOTIFF, ""},
        {"three bytes", Bytes{'F', 'O', 'R'}, IFFERR_NOTIFF, ""},
        {"PNG", Bytes{0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13}, IFFERR_NOTIFF, ""},
        {"PROP at the top", Group("PROP", "ILBM", {}), IFFERR_NOTIFF, ""},
        {"FORM without size", Bytes{'F', 'O', 'R', 'M', 0, 0}, IFFERR_MANGLED, ""},
        {"chunk larger than its group", Group("FORM", "ILBM", {Chunk("BODY", Bytes(8), 9)}), 0, "MANGLED"},
        {"group larger than its parent", Group("LIST", "ILBM", {Chunk("FORM", Bytes{'I', 'L', 'B', 'M'}, 40)}), 0,
         "MANGLED"},
        {"group without a type", Group("FORM", "ILBM", {Chunk("FORM", Bytes{'I', 'L'})}), 0, "MANGLED"},
        {"plain chunk in a LIST", Group("LIST", "ILBM", {Chunk("BMHD", Bytes(20))}), 0, "SYNTAX"},
        {"plain chunk in a CAT", Group("CAT ", "ILBM", {Chunk("BMHD", Bytes(20))}), 0, "SYNTAX"},
        {"PROP in a FORM", Group("FORM", "ILBM", {Group("PROP", "ILBM", {})}), 0, "SYNTAX"},
        {"unprintable ID", badId, 0, "SYNTAX"},
        {"ID beyond ASCII", highId, 0, "SYNTAX"},
        {"truncated", Bytes(form.begin(), form.end() - 3), 0, "MANGLED"},
        {"header cut short", Group("FORM", "ILBM", {Bytes{'B', 'M', 'H', 'D', 0, 0}}), 0, "MANGLED"},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(Open(c.file), c.open);
        if (c.open == 0) {
            const std::string steps = Walk();
            EXPECT_EQ(steps.substr(steps.rfind(' ') + 1), c.last) << steps;
            EXPECT_EQ(Code(Step()), c.last) << "errors stay";
        }
        Close();
    }
}

TEST_F(IffParse, ReadChunkBytesStopsAtTheChunksEndAndParentsLeadOutward) {
    Bytes data = {1, 2, 3, 4, 5, 6, 7};
    ASSERT_EQ(Open(Group("LIST", "TEST", {Group("FORM", "TEST", {Chunk("DATA", data), Chunk("NEXT", Bytes{9, 8})})})), 0);
    ASSERT_EQ(Step(), 0);
    ASSERT_EQ(Step(), 0);
    UBYTE buf[16] = {};
    EXPECT_EQ(ReadChunkBytes(iff, buf, 16), 0) << "a group's own data is not read";
    ASSERT_EQ(Step(), 0);
    std::string chain;
    for (ContextNode* cn = CurrentChunk(iff); cn != nullptr; cn = ParentChunk(cn)) chain += IdText(cn->cn_ID);
    EXPECT_EQ(chain, "DATAFORMLIST");
    EXPECT_EQ(iff->iff_Depth, 3);
    EXPECT_EQ(ReadChunkBytes(iff, buf, 3), 3);
    EXPECT_EQ(CurrentChunk(iff)->cn_Scan, 3);
    EXPECT_EQ(ReadChunkBytes(iff, buf + 3, 16), 4);
    EXPECT_EQ(ReadChunkBytes(iff, buf + 7, 16), 0);
    EXPECT_EQ(Bytes(buf, buf + 7), data);
    // A chunk read partly is skipped to its end (and its pad byte) when leaving.
    ASSERT_EQ(Step(), IFFERR_EOC);
    ASSERT_EQ(Step(), 0);
    EXPECT_EQ(IdText(CurrentChunk(iff)->cn_ID), "NEXT");
    EXPECT_EQ(ReadChunkBytes(iff, buf, 1), 1);
    EXPECT_EQ(buf[0], 9);
    EXPECT_EQ(Walk(), "EOC EOC EOC EOF");
}

TEST_F(IffParse, AllocAndReadFailuresAreReported) {
    host::FailOnce("AllocIFF");
    EXPECT_EQ(AllocIFF(), nullptr);
    ASSERT_EQ(Open(Group("FORM", "ILBM", {Chunk("BODY", Bytes(100))})), 0);
    ASSERT_EQ(Step(), 0);
    ASSERT_EQ(Step(), 0);
    host::FailOnce("Read");
    UBYTE buf[100];
    EXPECT_EQ(ReadChunkBytes(iff, buf, 100), IFFERR_READ);
    EXPECT_EQ(Step(), IFFERR_READ);
}

}  // namespace
