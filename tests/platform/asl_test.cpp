// The file requester driven by the virtual display's user: listing, picking, drawers, cancelling.
#include <asl.h>
#include <dos.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "host/host.h"
#include "support/files.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kTitle = "Select Map File to Save As";
constexpr int kReturn = 13, kEscape = 27, kDown = 0x4D, kUp = 0x4C;
using Strings = std::vector<std::string>;
using Steps = std::vector<std::function<void()>>;

void Touch(const fs::path& p) { std::ofstream(p) << "x"; }

Window* Requester() {
    Window* w = host::FindWindow(kTitle);
    if (w == nullptr) throw std::runtime_error("no file requester on the screen");
    return w;
}

// The list's entries as shown, top to bottom (texts above the "Drawer" field).
Strings ShownEntries() {
    Window* w = Requester();
    const host::GadgetInfo* drawer = host::FindGadget(w, "Drawer");
    std::vector<host::TextInfo> rows;
    for (const host::TextInfo& t : host::Texts(w))
        if (drawer != nullptr && t.y < drawer->top && t.text != "Drawer") rows.push_back(t);
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.y < b.y; });
    Strings out;
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

void Keys(std::initializer_list<int> raw, int then = 0) {
    for (int code : raw) host::RawKey(code);
    if (then) host::Key(then);
}

void TypeReturn(const std::string& text) { host::Type(text + "\r"); }

class AslTest : public support::FileTest {
protected:
    void SetUp() override {
        for (const char* f : {"alpha.txt", "Beta", "game1", "game1.info", "zeta", ".hidden"}) Touch(dir / f);
        for (const char* d : {"sub", "Another"}) fs::create_directory(dir / d);
        Touch(dir / "sub" / "inner");
    }
    void TearDown() override { FreeAslRequest(request); }
    // A requester as the game makes it, on `drawer`, on a fresh display.
    FileRequester* Make(const std::string& drawer, const char* file = "") {
        host::UseVirtualDisplay();
        if (request) FreeAslRequest(request);
        drawerText = drawer;
        fileText = file;
        const TagItem tags[] = {
            {ASLFR_TitleText, reinterpret_cast<uintptr_t>(kTitle)}, {ASLFR_Window, 0},
            {ASLFR_PositiveText, reinterpret_cast<uintptr_t>("Save")}, {ASLFR_NegativeText, reinterpret_cast<uintptr_t>("Cancel")},
            {ASLFR_InitialPattern, reinterpret_cast<uintptr_t>("~(#?.info)")},
            {ASLFR_InitialFile, reinterpret_cast<uintptr_t>(fileText.c_str())},
            {ASLFR_InitialDrawer, reinterpret_cast<uintptr_t>(drawerText.c_str())}, {TAG_DONE, 0},
        };
        request = AllocAslRequest(ASL_FileRequest, tags);
        return static_cast<FileRequester*>(request);
    }
    // Runs the request with the user's steps; whether a file was chosen.
    bool Run(Steps steps, const TagItem* tags = nullptr) {
        host::SetSteps(std::move(steps));
        const bool chosen = AslRequest(request, tags);
        EXPECT_EQ(host::StepsLeft(), 0u);
        EXPECT_EQ(host::FindWindow(kTitle), nullptr);
        return chosen;
    }
    const Strings top = {"Another", "sub", "alpha.txt", "Beta", "game1", "zeta"};
    APTR request = nullptr;
    std::string drawerText, fileText;
};

// On its parent's screen over its window, it lists drawers first, then the files the pattern
// lets through, without hidden ones; the player's next key goes to the parent again.
TEST_F(AslTest, OpensOverItsParentListingDrawersFirstThenMatchingFilesWithoutHiddenOnes) {
    Make(dir.string());
    const TagItem wtags[] = {
        {WA_Title, reinterpret_cast<uintptr_t>("Main")}, {WA_Left, 10}, {WA_Top, 20}, {WA_Width, 600},
        {WA_Height, 250}, {WA_CustomScreen, reinterpret_cast<uintptr_t>(LockPubScreen(nullptr))},
        {WA_IDCMP, IDCMP_GADGETUP}, {TAG_DONE, 0}};
    Window* main = OpenWindowTagList(nullptr, wtags);
    ASSERT_NE(main, nullptr);
    const TagItem more[] = {{ASLFR_Window, reinterpret_cast<uintptr_t>(main)}, {TAG_DONE, 0}};
    Strings entries, labels;
    bool fileActive = false, over = false;
    std::string drawerField;
    EXPECT_FALSE(Run({[&] {
                         Window* w = Requester();
                         over = w->WScreen == main->WScreen && w->LeftEdge >= main->LeftEdge &&
                                w->LeftEdge + w->Width <= main->LeftEdge + main->Width;
                         entries = ShownEntries();
                         for (const auto& g : host::Gadgets(w)) labels.push_back(g.label);
                         const host::GadgetInfo* file = host::FindGadget(w, "File");
                         fileActive = file != nullptr && file->active;
                         drawerField = FieldOf("Drawer");
                         host::Key(kEscape);
                     }},
                     more));
    EXPECT_TRUE(over);
    EXPECT_EQ(host::ActiveWindow(), main);
    EXPECT_EQ(entries, top);
    EXPECT_EQ(labels, (Strings{"Drawer", "File", "Save", "Parent", "Cancel"}));
    EXPECT_TRUE(fileActive);
    EXPECT_EQ(drawerField, dir.string());
    CloseWindow(main);
}

// A file is picked by clicking, typing and keys; cancelling in any way leaves the old choice.
TEST_F(AslTest, PicksAFileByClickingTypingAndKeysAndCancellingLeavesTheChoiceAsItWas) {
    const std::tuple<const char*, Steps, const char*> cases[] = {  // the file chosen, or nullptr: cancelled
        {"click, then the positive button", {[] { ClickEntry("game1"); }, [] { host::ClickGadget(Requester(), "Save"); }},
         "game1"},
        {"click, then Return", {[] { ClickEntry("zeta"); }, [] { host::Key(kReturn); }}, "zeta"},
        {"double click", {[] { ClickEntry("alpha.txt", 2); }}, "alpha.txt"},
        {"typing a new name", {[] { TypeReturn("newgame"); }}, "newgame"},
        {"keys down five and up one, Return",
         {[] { Keys({kDown, kDown, kDown, kDown, kDown, kUp}); }, [] { host::Key(kReturn); }}, "Beta"},
        {"click a file, then type over it", {[] { ClickEntry("game1"); }, [] { host::Key(8); TypeReturn("2"); }}, "game2"},
        {"Escape", {[] { host::Key(kEscape); }}, nullptr},
        {"negative button", {[] { host::ClickGadget(Requester(), "Cancel"); }}, nullptr},
        {"close gadget", {[] { host::ClickClose(Requester()); }}, nullptr},
        {"Escape after picking", {[] { ClickEntry("game1"); host::Type("xyz"); host::Key(kEscape); }}, nullptr},
    };
    for (const auto& [how, steps, file] : cases) {
        SCOPED_TRACE(how);
        FileRequester* fr = Make(dir.string(), file ? "" : "old");
        ASSERT_NE(fr, nullptr);
        EXPECT_EQ(Run(steps), file != nullptr);
        EXPECT_STREQ(fr->fr_File, file ? file : "old");
        EXPECT_EQ(fr->fr_Drawer, dir.string());
    }
}

// A drawer that is not there lists only a note; one given relative to the current drawer stays
// so, also into a drawer entered from it (joined without a second '/').
TEST_F(AslTest, AMissingDrawerShowsANoteAndRelativeDrawersStayRelative) {
    fs::create_directories(dir / "save" / "deep");
    Touch(dir / "save" / "slot");
    Touch(dir / "save" / "deep" / "inner");
    const BPTR old = CurrentDir(Lock(dir.c_str(), SHARED_LOCK));
    struct Case { std::string drawer; Strings shown; Steps acts; const char* file; std::string chosenIn; };
    const Case cases[] = {
        {(dir / "nothing").string(), {"Drawer not found"}, {[] { host::RawKey(kDown); TypeReturn("a"); }}, "a",
         (dir / "nothing").string()},
        {"save/", {"deep", "slot"}, {[] { ClickEntry("slot", 2); }}, "slot", "save/"},
        {"save/", {"deep", "slot"}, {[] { ClickEntry("deep", 2); }, [] { ClickEntry("inner", 2); }}, "inner", "save/deep"}};
    for (const Case& c : cases) {
        FileRequester* fr = Make(c.drawer);
        Strings entries;
        Steps steps = c.acts;
        steps[0] = [&entries, first = c.acts[0]] { entries = ShownEntries(); first(); };
        EXPECT_TRUE(Run(steps));
        EXPECT_EQ(entries, c.shown);
        EXPECT_STREQ(fr->fr_File, c.file);
        EXPECT_EQ(fr->fr_Drawer, c.chosenIn);
    }
    UnLock(CurrentDir(old));
}

TEST_F(AslTest, NamesTheFontCannotShowAppearWithQuestionMarks) {
    for (const auto& e : fs::directory_iterator(dir)) fs::remove_all(e.path());
    Touch(dir / "caf\xc3\xa9");       // UTF-8 e acute: shown as ISO-8859-1
    Touch(dir / "\xe2\x82\xac" "5");  // the euro sign is beyond ISO-8859-1
    Touch(dir / "raw\xe9");           // not UTF-8 at all: taken as ISO-8859-1
    Touch(dir / "nel\xc2\x85");        // a control character of the upper half
    FileRequester* fr = Make(dir.string());
    Strings entries;
    ASSERT_TRUE(Run({[&] { entries = ShownEntries(), ClickEntry("?5", 2); }}));
    EXPECT_EQ(entries, (Strings{"?5", "caf\xe9", "nel?", "raw\xe9"}));
    // The choice names the file as the host does.
    EXPECT_STREQ(fr->fr_File, "\xe2\x82\xac" "5");
    EXPECT_TRUE(fs::exists(fs::path(fr->fr_Drawer) / fr->fr_File));
}

TEST_F(AslTest, ALongListScrollsWithTheSelection) {
    for (int i = 0; i < 40; ++i) Touch(dir / ("file" + std::string(i < 10 ? "0" : "") + std::to_string(i)));
    FileRequester* fr = Make(dir.string());
    Strings first, later;
    ASSERT_TRUE(Run({[&] {
                         first = ShownEntries();
                         for (int i = 0; i < 30; ++i) host::RawKey(kDown);
                     },
                     [&] { later = ShownEntries(), host::Key(kReturn); }}));
    ASSERT_FALSE(first.empty());
    EXPECT_LT(first.size(), 40u);
    EXPECT_EQ(first.front(), "Another");
    // The 30th entry (drawers, alpha.txt, Beta, then file00...) is the selection, in view.
    EXPECT_STREQ(fr->fr_File, "file25");
    EXPECT_NE(std::find(later.begin(), later.end(), "file25"), later.end());
    EXPECT_EQ(std::find(later.begin(), later.end(), "Another"), later.end());
}

}  // namespace
