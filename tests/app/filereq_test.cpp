// The file requester wrapper: joining drawer and file, cancelling, failing, remembering.
#include "app/filereq.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>

#include "host/host.h"

namespace {

constexpr const char* kTitle = "Select Map File to Load From";

// The tags the game passes, with the wrapper's remembered file and drawer.
struct GameTags {
    explicit GameTags(cFileReq& req)
        : tags{
              {ASLFR_TitleText, reinterpret_cast<uintptr_t>(kTitle)},
              {ASLFR_Window, reinterpret_cast<uintptr_t>(req.window)},
              {ASLFR_PositiveText, reinterpret_cast<uintptr_t>("Open")},
              {ASLFR_NegativeText, reinterpret_cast<uintptr_t>("Cancel")},
              {ASLFR_InitialPattern, reinterpret_cast<uintptr_t>("~(#?.info)")},
              {ASLFR_InitialFile, reinterpret_cast<uintptr_t>(req.file.text)},
              {ASLFR_InitialDrawer, reinterpret_cast<uintptr_t>(req.drawer.text)},
              {TAG_DONE, 0},
          } {}
    TagItem tags[8];
};

Window* Requester() {
    Window* w = host::FindWindow(kTitle);
    if (w == nullptr) throw std::runtime_error("no file requester on the screen");
    return w;
}

std::string Field(const char* label) {
    const host::GadgetInfo* g = host::FindGadget(Requester(), label);
    return g != nullptr ? g->contents : "(no field)";
}

struct JoinCase {
    const char* drawer;
    const char* typed;
    const char* path;
};

TEST(FileReqTest, JoinsDrawerAndFileWithASlashOnlyWhereNeeded) {
    const JoinCase cases[] = {
        {"Work:", "a", "Work:a"}, {"save", "a", "save/a"}, {"save/", "a", "save/a"},
        {"", "a", "a"},           {"save/", "", "save/"},  {"/tmp", "game", "/tmp/game"},
    };
    for (const JoinCase& c : cases) {
        SCOPED_TRACE(std::string(c.drawer) + " + " + c.typed);
        host::UseVirtualDisplay();
        cFileReq req("", c.drawer, nullptr);
        host::SetSteps({[&] {
            host::Type(c.typed);
            host::Key(13);
        }});
        GameTags t(req);
        const char* path = req.DoAslRequest(t.tags);
        ASSERT_NE(path, nullptr);
        EXPECT_STREQ(path, c.path);
        EXPECT_EQ(path, req.path.text);
        EXPECT_STREQ(req.drawer.text, c.drawer);
        EXPECT_STREQ(req.file.text, c.typed);
    }
}

TEST(FileReqTest, StartsWithAnEmptyFileInTheSaveDrawer) {
    cFileReq req;
    EXPECT_STREQ(req.file.text, "");
    EXPECT_STREQ(req.drawer.text, "save/");
    EXPECT_STREQ(req.path.text, "");
    EXPECT_EQ(req.window, nullptr);
}

TEST(FileReqTest, CancellingReturnsNullAndChangesNothing) {
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"Escape", [] { host::Key(27); }},
        {"Cancel", [] { host::ClickGadget(Requester(), "Cancel"); }},
        {"typed, then Escape", [] {
             host::Type("other");
             host::Key(27);
         }},
    };
    for (const auto& [how, act] : cases) {
        SCOPED_TRACE(how);
        host::UseVirtualDisplay();
        cFileReq req("old", "save/", nullptr);
        req.path = "save/old";
        host::SetSteps({act});
        GameTags t(req);
        EXPECT_EQ(req.DoAslRequest(t.tags), nullptr);
        EXPECT_STREQ(req.file.text, "old");
        EXPECT_STREQ(req.drawer.text, "save/");
        EXPECT_STREQ(req.path.text, "save/old");
        EXPECT_EQ(host::StepsLeft(), 0u);
    }
}

TEST(FileReqTest, ARequesterThatCannotBeMadeGivesNull) {
    host::UseVirtualDisplay();
    cFileReq req("old", "save/", nullptr);
    req.path = "save/old";
    host::FailOnce("AllocAslRequest");
    host::SetSteps({});  // nothing may be shown
    GameTags t(req);
    EXPECT_EQ(req.DoAslRequest(t.tags), nullptr);
    EXPECT_STREQ(req.file.text, "old");
    EXPECT_STREQ(req.drawer.text, "save/");
    EXPECT_STREQ(req.path.text, "save/old");
    host::ClearFaults();
}

TEST(FileReqTest, TheConfirmedChoiceOpensTheNextRequest) {
    host::UseVirtualDisplay();
    cFileReq req("", "Work:", nullptr);
    host::SetSteps({[] {
        host::Type("slot1");
        host::Key(13);
    }});
    {
        GameTags t(req);
        ASSERT_NE(req.DoAslRequest(t.tags), nullptr);
    }
    std::string file, drawer;
    host::SetSteps({[&] {
        file = Field("File");
        drawer = Field("Drawer");
        host::Key(13);
    }});
    GameTags t(req);
    const char* path = req.DoAslRequest(t.tags);
    EXPECT_EQ(file, "slot1");
    EXPECT_EQ(drawer, "Work:");
    EXPECT_STREQ(path, "Work:slot1");
}

}  // namespace
