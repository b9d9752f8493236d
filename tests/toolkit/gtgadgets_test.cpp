// Gadget lists built from tables.
#include "toolkit/gtgadgets.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "host/host.h"
#include "support/screen.h"

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

class GadgetListTest : public support::DialogTable {
protected:
    GadgetListTest()
        : DialogTable({.left = 30, .top = 40, .width = 500, .height = 250, .idcmp = IDCMP_GADGETUP | IDCMP_CLOSEWINDOW,
                       .title = "Gadgets"}) {}

    // The window closes before its gadget list is freed.
    void TearDown() override
    {
        Stop();
        list.reset();
    }

    // A fresh window with a new, begun list.
    RecordingGadgets& NewList()
    {
        Stop();
        list.reset();
        Restart();
        list.emplace();
        list->Begin(window);
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

    std::optional<RecordingGadgets> list;
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

TEST_F(GadgetListTest, ButtonsAndFieldsStandInsideTheBorderWithTheirLabelsAndShortcutMarker)
{
    RecordingGadgets& list = NewList();
    list.AddButtons(Buttons);
    list.AddStringGadgets(Fields);
    list.Attach();
    const std::vector<host::GadgetInfo> shown = Shown();
    ASSERT_EQ(shown.size(), 7u);  // each walk stops at its table's id-0 record
    const std::vector<const char*> labels = {"Shuffle", "Draw", "Bet Prefs", "OK", "Changes", "Jokers", "Name"};
    for (size_t i = 0; i < shown.size(); ++i) {
        const host::GadgetInfo& g = shown[i];
        const bool field = i >= 4;
        const cButton& b = Buttons[field ? 0 : i];
        const cStringGadget& f = Fields[field ? i - 4 : 0];
        SCOPED_TRACE(labels[i]);
        EXPECT_EQ(std::vector<int>({g.id, g.left - window->BorderLeft, g.top - window->BorderTop, g.width, g.height}),
                  field ? std::vector<int>({f.id, f.left, f.top, f.width, f.height})
                        : std::vector<int>({b.id, b.left, b.top, b.width, b.height}));
        EXPECT_EQ(g.label, labels[i]);
        EXPECT_EQ(g.isString, field);
        EXPECT_EQ(g.gadget->Underscore, '_');
        EXPECT_NE(g.gadget->TextPlace & NG_HIGHLABEL, 0u);
        // A button's label sits inside it; a field's takes the field's default place.
        EXPECT_EQ((g.gadget->TextPlace & PLACETEXT_IN) != 0, !field);
        if (!field) continue;
        EXPECT_EQ(g.contents, f.initial);
        const StringInfo* si = static_cast<const StringInfo*>(g.gadget->SpecialInfo);
        ASSERT_NE(si, nullptr);
        EXPECT_EQ(si->MaxChars, f.maxChars);
    }
    EXPECT_EQ(list.lastGadget, shown.back().gadget);
}

TEST_F(GadgetListTest, ClickingAButtonReportsItsIdentifier)
{
    for (const cButton* b = Buttons; b->id != 103; ++b) {
        SCOPED_TRACE(b->label);
        RecordingGadgets& list = NewList();
        list.AddButtons(Buttons);
        list.Attach();
        host::SetSteps({[&] { host::ClickGadget(window, b->id); }});
        ModalLoop(window, list);
        EXPECT_EQ(list.ids, std::vector<int>{b->id});
    }
}

}  // namespace
