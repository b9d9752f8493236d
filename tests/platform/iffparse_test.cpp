// The IFF parser: every kind of broken file gives its error.
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

TEST_F(IffParse, BrokenFilesGiveTheirError) {
    Bytes form = Group("FORM", "ILBM", {Chunk("BMHD", Bytes(20)), Chunk("BODY", Bytes(8))});
    Bytes badId = form;
    badId[12] = 0x01;  // the BMHD's ID
    Bytes highId = form;
    highId[15] = 0x80;
    // open: OpenIFF's result; last: the walk's final code, once open.
    const struct { const char* name; Bytes file; LONG open; const char* last; } cases[] = {
        {"empty", Bytes{}, IFFERR_NOTIFF, ""}, {"three bytes", Bytes{'F', 'O', 'R'}, IFFERR_NOTIFF, ""},
        {"PNG", Bytes{0x89, 'P', 'N', 'G', 13, 10, 26, 10, 0, 0, 0, 13}, IFFERR_NOTIFF, ""},
        {"PROP at the top", Group("PROP", "ILBM", {}), IFFERR_NOTIFF, ""},
        {"FORM without size", Bytes{'F', 'O', 'R', 'M', 0, 0}, IFFERR_MANGLED, ""},
        {"chunk larger than its group", Group("FORM", "ILBM", {Chunk("BODY", Bytes(8), 9)}), 0, "MANGLED"},
        {"group larger than its parent", Group("LIST", "ILBM", {Chunk("FORM", Bytes{'I', 'L', 'B', 'M'}, 40)}), 0, "MANGLED"},
        {"group without a type", Group("FORM", "ILBM", {Chunk("FORM", Bytes{'I', 'L'})}), 0, "MANGLED"},
        {"plain chunk in a LIST", Group("LIST", "ILBM", {Chunk("BMHD", Bytes(20))}), 0, "SYNTAX"},
        {"plain chunk in a CAT", Group("CAT ", "ILBM", {Chunk("BMHD", Bytes(20))}), 0, "SYNTAX"},
        {"PROP in a FORM", Group("FORM", "ILBM", {Group("PROP", "ILBM", {})}), 0, "SYNTAX"},
        {"unprintable ID", badId, 0, "SYNTAX"}, {"ID beyond ASCII", highId, 0, "SYNTAX"},
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

}  // namespace
