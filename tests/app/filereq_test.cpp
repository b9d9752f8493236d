// The file requester wrapper: joining drawer and file, cancelling, failing, remembering.
#include "app/filereq.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "host/host.h"

namespace {

constexpr const char* kTitle = "Select Map File to Load From";

// One request for a saved game, on a fresh virtual display, the user doing `steps`; `failing`
// names an operation made to fail.
const char* Request(cFileReq& req, std::vector<std::function<void()>> steps, const char* failing = nullptr) {
    host::UseVirtualDisplay();
    if (failing) host::FailOnce(failing);
    host::SetSteps(std::move(steps));
    const char* path = req.AskForGame(kTitle, "Open");
    host::ClearFaults();
    EXPECT_EQ(host::StepsLeft(), 0u);
    return path;
}

std::function<void()> TypeAndConfirm(std::string typed) { return [typed] { host::Type(typed + "\r"); }; }

// The file, drawer and path the requester remembers.
std::tuple<std::string, std::string, std::string> Held(const cFileReq& r) {
    auto text = [](const cstring& s) { return std::string(s.text ? s.text : "(none)"); };
    return {text(r.file), text(r.drawer), text(r.path)};
}

TEST(FileReqTest, JoinsDrawerAndFileWithASlashOnlyWhereNeeded) {
    struct Case { const char* drawer; const char* typed; const char* path; };
    const Case cases[] = {{"Work:", "a", "Work:a"}, {"save", "a", "save/a"}, {"save/", "a", "save/a"},
                          {"", "a", "a"},           {"save/", "", "save/"},  {"/tmp", "game", "/tmp/game"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.drawer) + " + " + c.typed);
        cFileReq req("", c.drawer, nullptr);
        const char* path = Request(req, {TypeAndConfirm(c.typed)});
        ASSERT_NE(path, nullptr);
        EXPECT_EQ(path, req.path.text);
        EXPECT_EQ(Held(req), std::tuple(c.typed, c.drawer, c.path));
    }
}

TEST(FileReqTest, CancellingOrARequesterThatCannotBeMadeGivesNullAndChangesNothing) {
    struct Case { const char* how; std::vector<std::function<void()>> steps; };
    const Case cases[] = {
        {"Escape", {[] { host::Key(27); }}},
        {"Cancel", {[] { host::ClickGadget(host::FindWindow(kTitle), "Cancel"); }}},
        {"typed, then Escape", {[] { host::Type("other\x1b"); }}},
        {"no requester", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        cFileReq req("old", "save/", nullptr);
        req.path = "save/old";
        EXPECT_EQ(Request(req, c.steps, c.steps.empty() ? "AllocAslRequest" : nullptr), nullptr);
        EXPECT_EQ(Held(req), std::tuple("old", "save/", "save/old"));
    }
}

TEST(FileReqTest, StartsInTheSaveDrawerAndOpensTheNextRequestAtTheConfirmedChoice) {
    const cFileReq fresh;
    EXPECT_EQ(Held(fresh), std::tuple("", "save/", ""));
    EXPECT_EQ(fresh.window, nullptr);

    cFileReq req("", "Work:", nullptr);
    ASSERT_NE(Request(req, {TypeAndConfirm("slot1")}), nullptr);
    std::string file, drawer;
    const char* path = Request(req, {[&] {
                                   Window* w = host::FindWindow(kTitle);
                                   ASSERT_NE(w, nullptr);
                                   for (auto [label, out] : {std::pair{"File", &file}, std::pair{"Drawer", &drawer}})
                                       if (const host::GadgetInfo* g = host::FindGadget(w, label)) *out = g->contents;
                                   host::Key(13);
                               }});
    EXPECT_EQ(file, "slot1");
    EXPECT_EQ(drawer, "Work:");
    EXPECT_STREQ(path, "Work:slot1");
}

}  // namespace
