// Gadget lists built from tables.
#include "toolkit/gtgadgets.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "host/host.h"

namespace {

// A list that records the gadget messages it is offered and ends on the first one.
class RecordingGadgets : public cGTGadgets {
public:
    std::vector<int> ids;
    int IDCMP(const IntuiMessage* msg) override
    {
        if (msg->Class != IDCMP_GADGETUP) return 0;
        ids.push_back(static_cast<const Gadget*>(msg->IAddress)->GadgetID);
        return -1;
    }
};

class GadgetListTest : public ::testing::Test {
protected:
    Screen* screen = nullptr;
    Window* window = nullptr;

    void SetUp() override
    {
        host::UseVirtualDisplay();
        screen = LockPubScreen(nullptr);
        ASSERT_NE(screen, nullptr);
        const TagItem tags[] = {
            {WA_Title, reinterpret_cast<uintptr_t>("Gadgets")},
            {WA_Left, 30},
            {WA_Top, 40},
            {WA_Width, 500},
            {WA_Height, 250},
            {WA_CustomScreen, reinterpret_cast<uintptr_t>(screen)},
            {WA_CloseGadget, TRUE},
            {WA_Activate, TRUE},
            {WA_IDCMP, IDCMP_GADGETUP | IDCMP_CLOSEWINDOW},
            {TAG_DONE, 0},
        };
        window = OpenWindowTagList(nullptr, tags);
        ASSERT_NE(window, nullptr);
    }

    void TearDown() override
    {
        host::ClearFaults();
        // The window closes before its gadget list is freed.
        if (window) CloseWindow(window);
        window = nullptr;
        list.reset();
        if (screen) UnlockPubScreen(nullptr, screen);
        screen = nullptr;
    }

    std::optional<RecordingGadgets> list;
    RecordingGadgets& NewList()
    {
        list.emplace();
        return *list;
    }

    // Gadgets the window shows, without the list's invisible head.
    std::vector<host::GadgetInfo> Shown()
    {
        std::vector<host::GadgetInfo> v;
        for (const host::GadgetInfo& g : host::Gadgets(window))
            if (g.id != 0) v.push_back(g);
        return v;
    }
};

const cButton Buttons[] = {
    {100, 10, 150, 80, 20, "_Shuffle"},
    {101, 500 - 90, 150, 80, 20, "_Draw"},
    {102, 10, 125, 80, 20, "_Bet Prefs"},
    {103, 0, 0, 1, 1, "OK"},
    {0, 0, 0, 0, 0, nullptr},
    {104, 200, 10, 80, 20, "After the end"},
};

const cStringGadget Fields[] = {
    {201, 120, 20, 60, 14, 3, "_Changes", "1"},
    {202, 120, 40, 60, 14, 1, "_Jokers", "3"},
    {203, 120, 60, 200, 14, 30, "_Name", ""},
    {0, 0, 0, 0, 0, 0, nullptr, nullptr},
};

std::string WithoutMarker(const char* label)
{
    std::string s;
    for (const char* p = label; *p; ++p)
        if (*p != '_') s += *p;
    return s;
}

TEST_F(GadgetListTest, BeginMakesTheHeadAndTheVisualInfo)
{
    RecordingGadgets& list = NewList();
    EXPECT_FALSE(list.Active());
    list.Begin(window);
    EXPECT_EQ(list.window, window);
    ASSERT_NE(list.gadgetList, nullptr);
    EXPECT_EQ(list.lastGadget, list.gadgetList);
    EXPECT_NE(list.visualInfo, nullptr);
}

TEST_F(GadgetListTest, TheLabelFontIsTopazEight)
{
    EXPECT_STREQ(cGTGadgets::textattr.ta_Name, "topaz.font");
    EXPECT_EQ(cGTGadgets::textattr.ta_YSize, 8);
    EXPECT_EQ(cGTGadgets::textattr.ta_Style, 0);
    EXPECT_EQ(cGTGadgets::textattr.ta_Flags, 0);
}

TEST_F(GadgetListTest, ButtonsStandInsideTheBorderWithTheirLabelsAndShortcutMarker)
{
    RecordingGadgets& list = NewList();
    list.Begin(window);
    list.AddButtons(Buttons);
    list.Attach();
    const std::vector<host::GadgetInfo> shown = Shown();
    ASSERT_EQ(shown.size(), 4u);  // the walk stops at the id-0 record
    for (size_t i = 0; i < shown.size(); ++i) {
        const cButton& b = Buttons[i];
        SCOPED_TRACE(b.label);
        const host::GadgetInfo& g = shown[i];
        EXPECT_EQ(g.id, b.id);
        EXPECT_EQ(g.left, b.left + window->BorderLeft);
        EXPECT_EQ(g.top, b.top + window->BorderTop);
        EXPECT_EQ(g.width, b.width);
        EXPECT_EQ(g.height, b.height);
        EXPECT_EQ(g.label, WithoutMarker(b.label));
        EXPECT_FALSE(g.isString);
        EXPECT_EQ(g.gadget->Underscore, '_');
        EXPECT_EQ(g.gadget->TextPlace & (PLACETEXT_IN | NG_HIGHLABEL), ULONG(PLACETEXT_IN | NG_HIGHLABEL));
    }
    EXPECT_EQ(list.lastGadget, shown.back().gadget);
}

TEST_F(GadgetListTest, TextFieldsStartWithTheirContentsAndLimit)
{
    RecordingGadgets& list = NewList();
    list.Begin(window);
    list.AddStringGadgets(Fields);
    list.Attach();
    const std::vector<host::GadgetInfo> shown = Shown();
    ASSERT_EQ(shown.size(), 3u);
    for (size_t i = 0; i < shown.size(); ++i) {
        const cStringGadget& f = Fields[i];
        SCOPED_TRACE(f.label);
        const host::GadgetInfo& g = shown[i];
        EXPECT_EQ(g.id, f.id);
        EXPECT_EQ(g.left, f.left + window->BorderLeft);
        EXPECT_EQ(g.top, f.top + window->BorderTop);
        EXPECT_EQ(g.width, f.width);
        EXPECT_EQ(g.height, f.height);
        EXPECT_EQ(g.label, WithoutMarker(f.label));
        EXPECT_TRUE(g.isString);
        EXPECT_EQ(g.contents, f.initial);
        const StringInfo* si = static_cast<const StringInfo*>(g.gadget->SpecialInfo);
        ASSERT_NE(si, nullptr);
        EXPECT_EQ(si->MaxChars, f.maxChars);
        EXPECT_EQ(g.gadget->Underscore, '_');
        // The label takes the field's default place: no PLACETEXT_IN.
        EXPECT_EQ(g.gadget->TextPlace & PLACETEXT_IN, 0u);
        EXPECT_NE(g.gadget->TextPlace & NG_HIGHLABEL, 0u);
    }
}

TEST_F(GadgetListTest, ATableThatStartsWithTheEndRecordMakesNothing)
{
    const cButton emptyButtons[] = {{0, 10, 10, 80, 20, "never"}, {100, 10, 10, 80, 20, "never"}};
    const cStringGadget emptyFields[] = {{0, 10, 10, 80, 20, 5, "never", ""}, {201, 10, 40, 80, 14, 5, "x", ""}};
    RecordingGadgets& list = NewList();
    list.Begin(window);
    Gadget* head = list.lastGadget;
    list.AddButtons(emptyButtons);
    list.AddStringGadgets(emptyFields);
    list.AddButtons(nullptr);
    list.AddStringGadgets(nullptr);
    list.Attach();
    EXPECT_EQ(list.lastGadget, head);
    EXPECT_TRUE(Shown().empty());
}

TEST_F(GadgetListTest, AFailedCreationStopsTheWalkAndKeepsWhatWasMade)
{
    struct Case {
        const char* name;
        int failFrom;  // the n-th CreateGadget fails
        bool fields;
        size_t made;
    };
    const std::vector<Case> cases = {
        {"buttons, second fails", 2, false, 1},
        {"buttons, first fails", 1, false, 0},
        {"buttons, fourth fails", 4, false, 3},
        {"fields, third fails", 3, true, 2},
        {"fields, first fails", 1, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        RecordingGadgets& list = NewList();
        list.Begin(window);
        host::FailFrom("CreateGadget", c.failFrom);
        if (c.fields)
            list.AddStringGadgets(Fields);
        else
            list.AddButtons(Buttons);
        host::ClearFaults();
        list.Attach();
        EXPECT_EQ(list.lastGadget, nullptr);
        const std::vector<host::GadgetInfo> shown = Shown();
        ASSERT_EQ(shown.size(), c.made);
        for (size_t i = 0; i < shown.size(); ++i)
            EXPECT_EQ(shown[i].id, c.fields ? Fields[i].id : Buttons[i].id);
        // A later add has nothing to chain behind and makes nothing either.
        EXPECT_EQ(list.AddButton(Buttons[0]), nullptr);
    }
}

TEST_F(GadgetListTest, ClickingAButtonReportsItsIdentifier)
{
    for (const cButton* b = Buttons; b->id != 103; ++b) {
        SCOPED_TRACE(b->label);
        TearDown();
        SetUp();
        RecordingGadgets& list = NewList();
        list.Begin(window);
        list.AddButtons(Buttons);
        list.Attach();
        host::SetSteps({[&] { host::ClickGadget(window, b->id); }});
        ModalLoop(window, list);
        EXPECT_EQ(list.ids, std::vector<int>{b->id});
    }
}

TEST_F(GadgetListTest, WithoutVisualInfoTheListStillBuildsAndFrees)
{
    host::FailOnce("GetVisualInfo");
    RecordingGadgets& list = NewList();
    list.Begin(window);
    EXPECT_EQ(list.visualInfo, nullptr);
    list.AddButtons(Buttons);
    list.Attach();
}

}  // namespace
