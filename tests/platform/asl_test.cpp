// The file requester, driven through the virtual display's user: listing a drawer, picking
// a file by clicking, typing and keys, moving between drawers, cancelling, and what it
// remembers.
#include <asl.h>
#include <dos.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "host/host.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kTitle = "Select Map File to Save As";

void Touch(const fs::path& p) { std::ofstream(p) << "x"; }

Window* Requester() {
    Window* w = host::FindWindow(kTitle);
    if (w == nullptr) throw std::runtime_error("no file requester on the screen");
    return w;
}

// The list's entries as shown, top to bottom (texts left of the "Drawer" column).
std::vector<std::string> ShownEntries(Window* w) {
    const host::GadgetInfo* drawer = host::FindGadget(w, "Drawer");
    std::vector<host::TextInfo> rows;
    for (const host::TextInfo& t : host::Texts(w))
        if (drawer != nullptr && t.y < drawer->top && t.text != "Drawer") rows.push_back(t);
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.y < b.y; });
    std::vector<std::string> out;
    for (const auto& t : rows) out.push_back(t.text);
    return out;
}

// Click the row that shows `text`; twice for a double click.
void ClickEntry(const std::string& text, int times = 1) {
    Window* w = Requester();
    for (const host::TextInfo& t : host::Texts(w)) {
        if (t.text != text) continue;
        for (int i = 0; i < times; ++i) host::Click(w->LeftEdge + t.x + 4, w->TopEdge + t.y - 3);
        return;
    }
    throw std::runtime_error("no entry \"" + text + "\" in the list");
}

std::string FieldOf(const char* label) {
    const host::GadgetInfo* g = host::FindGadget(Requester(), label);
    return g != nullptr ? g->contents : "(no field)";
}

// Empty a text field and type into it, ending with Return.
void TypeInto(const char* label, const std::string& text) {
    Window* w = Requester();
    host::ClickGadget(w, label);
    for (size_t i = 0; i < 300; ++i) host::Key(8);
    for (size_t i = 0; i < 300; ++i) host::Key(127);
    host::Type(text);
    host::Key(13);
}

class AslTest : public ::testing::Test {
protected:
    void SetUp() override {
        host::UseVirtualDisplay();
        host::ClearFaults();
        char tmpl[] = "/tmp/asl_test_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir = fs::canonical(tmpl);
        for (const char* f : {"alpha.txt", "Beta", "game1", "game1.info", "zeta", ".hidden"}) Touch(dir / f);
        fs::create_directory(dir / "sub");
        fs::create_directory(dir / "Another");
        Touch(dir / "sub" / "inner");
    }
    void TearDown() override {
        if (request) FreeAslRequest(request);
        host::ClearFaults();
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    // A requester as the game makes it, on `drawer`.
    FileRequester* Make(const std::string& drawer, const char* file = "") {
        drawerText = drawer;
        fileText = file;
        const TagItem tags[] = {
            {ASLFR_TitleText, reinterpret_cast<uintptr_t>(kTitle)},
            {ASLFR_Window, 0},
            {ASLFR_PositiveText, reinterpret_cast<uintptr_t>("Save")},
            {ASLFR_NegativeText, reinterpret_cast<uintptr_t>("Cancel")},
            {ASLFR_InitialPattern, reinterpret_cast<uintptr_t>("~(#?.info)")},
            {ASLFR_InitialFile, reinterpret_cast<uintptr_t>(fileText.c_str())},
            {ASLFR_InitialDrawer, reinterpret_cast<uintptr_t>(drawerText.c_str())},
            {TAG_DONE, 0},
        };
        request = AllocAslRequest(ASL_FileRequest, tags);
        return static_cast<FileRequester*>(request);
    }
    fs::path dir;
    APTR request = nullptr;
    std::string drawerText, fileText;
};

TEST_F(AslTest, ListsDrawersFirstThenMatchingFilesWithoutHiddenOnes) {
    FileRequester* fr = Make(dir.string());
    ASSERT_NE(fr, nullptr);
    std::vector<std::string> entries;
    std::vector<std::string> labels;
    bool fileActive = false;
    std::string drawerField;
    host::SetSteps({[&] {
        Window* w = Requester();
        entries = ShownEntries(w);
        for (const auto& g : host::Gadgets(w)) labels.push_back(g.label);
        const host::GadgetInfo* file = host::FindGadget(w, "File");
        fileActive = file != nullptr && file->active;
        drawerField = FieldOf("Drawer");
        EXPECT_TRUE(host::ShowsText(w, "Drawer"));
        EXPECT_TRUE(host::SavePNG(POKER_BINARY_DIR "/filerequester.png"));
        host::Key(27);
    }});
    EXPECT_FALSE(AslRequest(request, nullptr));
    EXPECT_EQ(entries, (std::vector<std::string>{"Another", "sub", "alpha.txt", "Beta", "game1", "zeta"}));
    EXPECT_EQ(labels, (std::vector<std::string>{"Drawer", "File", "Save", "Parent", "Cancel"}));
    EXPECT_TRUE(fileActive);
    EXPECT_EQ(drawerField, dir.string());
    EXPECT_EQ(host::FindWindow(kTitle), nullptr);
}

struct PickCase {
    const char* how;
    std::vector<std::function<void()>> steps;
    const char* file;
};

TEST_F(AslTest, PicksAFileByClickingTypingAndKeys) {
    const PickCase cases[] = {
        {"click, then the positive button",
         {[] { ClickEntry("game1"); }, [] { host::ClickGadget(Requester(), "Save"); }}, "game1"},
        {"click, then Return", {[] { ClickEntry("zeta"); }, [] { host::Key(13); }}, "zeta"},
        {"double click", {[] { ClickEntry("alpha.txt", 2); }}, "alpha.txt"},
        {"typing a new name", {[] {
             host::Type("newgame");
             host::Key(13);
         }},
         "newgame"},
        {"keys down to the fourth entry, Return",
         {[] {
             for (int i = 0; i < 4; ++i) host::RawKey(0x4D);
         },
          [] { host::Key(13); }},
         "Beta"},
        {"keys past the end stop at the last entry",
         {[] {
             for (int i = 0; i < 20; ++i) host::RawKey(0x4D);
             host::RawKey(0x4C);
             host::RawKey(0x4D);
         },
          [] { host::Key(13); }},
         "zeta"},
        {"click a file, then type over it",
         {[] { ClickEntry("game1"); }, [] {
              host::Key(8);
              host::Type("2");
              host::Key(13);
          }},
         "game2"},
    };
    for (const PickCase& c : cases) {
        SCOPED_TRACE(c.how);
        host::UseVirtualDisplay();
        if (request) FreeAslRequest(request);
        FileRequester* fr = Make(dir.string());
        ASSERT_NE(fr, nullptr);
        host::SetSteps(c.steps);
        ASSERT_TRUE(AslRequest(request, nullptr));
        EXPECT_EQ(host::StepsLeft(), 0u);
        EXPECT_STREQ(fr->fr_File, c.file);
        EXPECT_EQ(fr->fr_Drawer, dir.string());
        EXPECT_EQ(host::FindWindow(kTitle), nullptr);
    }
}

TEST_F(AslTest, GoesIntoADrawerAndBackToTheParent) {
    FileRequester* fr = Make(dir.string());
    std::vector<std::string> inside, back, byKeys;
    std::string drawerInside;
    host::SetSteps({
        [] { ClickEntry("sub", 2); },
        [&] {
            inside = ShownEntries(Requester());
            drawerInside = FieldOf("Drawer");
            host::ClickGadget(Requester(), "Parent");
        },
        [&] {
            back = ShownEntries(Requester());
            // Down to the second entry, the drawer "sub", and Return goes into it.
            host::RawKey(0x4D);
            host::RawKey(0x4D);
            host::Key(13);
        },
        [&] {
            byKeys = ShownEntries(Requester());
            ClickEntry("inner");
        },
        [] { host::Key(13); },
    });
    ASSERT_TRUE(AslRequest(request, nullptr));
    EXPECT_EQ(inside, std::vector<std::string>{"inner"});
    EXPECT_EQ(drawerInside, (dir / "sub").string());
    EXPECT_EQ(back, (std::vector<std::string>{"Another", "sub", "alpha.txt", "Beta", "game1", "zeta"}));
    EXPECT_EQ(byKeys, std::vector<std::string>{"inner"});
    EXPECT_STREQ(fr->fr_File, "inner");
    EXPECT_EQ(fr->fr_Drawer, (dir / "sub").string());
}

TEST_F(AslTest, ATypedDrawerIsRead) {
    FileRequester* fr = Make(dir.string());
    std::vector<std::string> listed;
    host::SetSteps({
        [&] { TypeInto("Drawer", (dir / "sub").string()); },
        [&] {
            listed = ShownEntries(Requester());
            host::Type("picked");
            host::Key(13);
        },
    });
    ASSERT_TRUE(AslRequest(request, nullptr));
    EXPECT_EQ(listed, std::vector<std::string>{"inner"});
    EXPECT_STREQ(fr->fr_File, "picked");
    EXPECT_EQ(fr->fr_Drawer, (dir / "sub").string());
}

TEST_F(AslTest, CancellingLeavesTheChoiceAsItWas) {
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"Escape", [] { host::Key(27); }},
        {"negative button", [] { host::ClickGadget(Requester(), "Cancel"); }},
        {"close gadget", [] { host::ClickClose(Requester()); }},
        {"Escape after picking", [] {
             ClickEntry("game1");
             host::Type("xyz");
             host::Key(27);
         }},
    };
    for (const auto& [how, act] : cases) {
        SCOPED_TRACE(how);
        host::UseVirtualDisplay();
        if (request) FreeAslRequest(request);
        FileRequester* fr = Make(dir.string(), "old");
        host::SetSteps({act});
        EXPECT_FALSE(AslRequest(request, nullptr));
        EXPECT_STREQ(fr->fr_File, "old");
        EXPECT_EQ(fr->fr_Drawer, dir.string());
        EXPECT_EQ(host::FindWindow(kTitle), nullptr);
    }
}

TEST_F(AslTest, AMissingDrawerShowsAnEmptyListWithANote) {
    const std::string missing = (dir / "nothing").string();
    FileRequester* fr = Make(missing);
    bool noted = false;
    std::vector<std::string> entries;
    host::SetSteps({[&] {
        noted = host::ShowsText(Requester(), "Drawer not found");
        entries = ShownEntries(Requester());
        host::RawKey(0x4D);  // nothing to move to
        host::Type("a");
        host::Key(13);
    }});
    ASSERT_TRUE(AslRequest(request, nullptr));
    EXPECT_TRUE(noted);
    EXPECT_EQ(entries, std::vector<std::string>{"Drawer not found"});
    EXPECT_STREQ(fr->fr_File, "a");
    EXPECT_EQ(fr->fr_Drawer, missing);
}

TEST_F(AslTest, RemembersTheConfirmedChoiceForTheNextRequest) {
    FileRequester* fr = Make(dir.string());
    host::SetSteps({[] { ClickEntry("sub", 2); }, [] {
                        host::Type("saved");
                        host::Key(13);
                    }});
    ASSERT_TRUE(AslRequest(request, nullptr));
    std::string file, drawer;
    host::SetSteps({[&] {
        file = FieldOf("File");
        drawer = FieldOf("Drawer");
        host::Key(27);
    }});
    EXPECT_FALSE(AslRequest(request, nullptr));
    EXPECT_EQ(file, "saved");
    EXPECT_EQ(drawer, (dir / "sub").string());
    EXPECT_STREQ(fr->fr_File, "saved");
}

TEST_F(AslTest, RelativeDrawersStayRelative) {
    fs::create_directory(dir / "save");
    Touch(dir / "save" / "slot");
    BPTR here = Lock(dir.c_str(), SHARED_LOCK);
    BPTR old = CurrentDir(here);
    FileRequester* fr = Make("save/");
    std::vector<std::string> entries;
    host::SetSteps({[&] {
        entries = ShownEntries(Requester());
        ClickEntry("slot", 2);
    }});
    const BOOL chosen = AslRequest(request, nullptr);
    CurrentDir(old);
    UnLock(here);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(entries, std::vector<std::string>{"slot"});
    EXPECT_STREQ(fr->fr_Drawer, "save/");
    EXPECT_STREQ(fr->fr_File, "slot");
}

TEST_F(AslTest, NamesTheFontCannotShowAppearWithQuestionMarks) {
    for (const auto& e : fs::directory_iterator(dir)) fs::remove_all(e.path());
    Touch(dir / "caf\xc3\xa9");       // UTF-8 e acute: shown as ISO-8859-1
    Touch(dir / "\xe2\x82\xac" "5");  // the euro sign is beyond ISO-8859-1
    Touch(dir / "raw\xe9");           // not UTF-8 at all: taken as ISO-8859-1
    FileRequester* fr = Make(dir.string());
    std::vector<std::string> entries;
    host::SetSteps({[&] {
        entries = ShownEntries(Requester());
        ClickEntry("?5", 2);
    }});
    ASSERT_TRUE(AslRequest(request, nullptr));
    EXPECT_EQ(entries, (std::vector<std::string>{"?5", "caf\xe9", "raw\xe9"}));
    // The choice names the file as the host does.
    EXPECT_STREQ(fr->fr_File, "\xe2\x82\xac" "5");
    EXPECT_TRUE(fs::exists(fs::path(fr->fr_Drawer) / fr->fr_File));
}

TEST_F(AslTest, ALongListScrollsWithTheSelection) {
    for (int i = 0; i < 40; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "file%02d", i);
        Touch(dir / name);
    }
    FileRequester* fr = Make(dir.string());
    std::vector<std::string> first, later;
    host::SetSteps({
        [&] {
            first = ShownEntries(Requester());
            for (int i = 0; i < 30; ++i) host::RawKey(0x4D);
        },
        [&] {
            later = ShownEntries(Requester());
            EXPECT_TRUE(host::SavePNG(POKER_BINARY_DIR "/filerequester_scrolled.png"));
            host::Key(13);
        },
    });
    ASSERT_TRUE(AslRequest(request, nullptr));
    ASSERT_FALSE(first.empty());
    EXPECT_LT(first.size(), 40u);
    EXPECT_EQ(first.front(), "Another");
    // The 30th entry (drawers, alpha.txt, Beta, then file00...) is the selection, in view.
    EXPECT_STREQ(fr->fr_File, "file25");
    EXPECT_NE(std::find(later.begin(), later.end(), "file25"), later.end());
    EXPECT_EQ(std::find(later.begin(), later.end(), "Another"), later.end());
}

TEST_F(AslTest, OpensOnTheParentsScreenOverItsWindow) {
    const TagItem wtags[] = {
        {WA_Title, reinterpret_cast<uintptr_t>("Main")}, {WA_Left, 10}, {WA_Top, 20}, {WA_Width, 600},
        {WA_Height, 250}, {WA_CustomScreen, reinterpret_cast<uintptr_t>(LockPubScreen(nullptr))},
        {WA_IDCMP, IDCMP_GADGETUP}, {TAG_DONE, 0},
    };
    Window* main = OpenWindowTagList(nullptr, wtags);
    ASSERT_NE(main, nullptr);
    Make(dir.string());
    const TagItem more[] = {{ASLFR_Window, reinterpret_cast<uintptr_t>(main)}, {TAG_DONE, 0}};
    bool over = false;
    host::SetSteps({[&] {
        Window* w = Requester();
        over = w->WScreen == main->WScreen && w->LeftEdge >= main->LeftEdge &&
               w->LeftEdge + w->Width <= main->LeftEdge + main->Width;
        host::Key(27);
    }});
    EXPECT_FALSE(AslRequest(request, more));
    EXPECT_TRUE(over);
    CloseWindow(main);
}

TEST(AslAllocTest, OnlyFileRequestersAndFaultsFail) {
    host::UseVirtualDisplay();
    host::ClearFaults();
    EXPECT_EQ(AllocAslRequest(1, nullptr), nullptr);
    host::FailOnce("AllocAslRequest");
    EXPECT_EQ(AllocAslRequest(ASL_FileRequest, nullptr), nullptr);
    APTR plain = AllocAslRequest(ASL_FileRequest, nullptr);
    ASSERT_NE(plain, nullptr);
    const auto* fr = static_cast<FileRequester*>(plain);
    EXPECT_STREQ(fr->fr_File, "");
    EXPECT_STREQ(fr->fr_Drawer, "");
    FreeAslRequest(plain);
    APTR tagged = AllocAslRequestTags(ASL_FileRequest, ASLFR_InitialFile, "f", ASLFR_InitialDrawer, "d", TAG_DONE);
    ASSERT_NE(tagged, nullptr);
    EXPECT_STREQ(static_cast<FileRequester*>(tagged)->fr_File, "f");
    EXPECT_STREQ(static_cast<FileRequester*>(tagged)->fr_Drawer, "d");
    FreeAslRequest(tagged);
    FreeAslRequest(nullptr);
    int notARequester = 0;
    EXPECT_FALSE(AslRequest(&notARequester, nullptr));
}

TEST(AslAllocTest, WithoutADisplayTheRequestFailsQuietly) {
    host::ScreenConfig none;
    none.display = false;
    host::UseVirtualDisplay(none);
    APTR r = AllocAslRequest(ASL_FileRequest, nullptr);
    ASSERT_NE(r, nullptr);
    EXPECT_FALSE(AslRequest(r, nullptr));
    FreeAslRequest(r);
    host::UseVirtualDisplay();
}

}  // namespace
