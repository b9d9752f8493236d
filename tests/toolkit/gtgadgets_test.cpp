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
    int IDCMP(const IntuiMessage* msg) override {
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
    void TearDown() override { Stop(), list.reset(); }

    // A fresh window with a new, begun list.
    RecordingGadgets& NewList() {
        Stop();
        list.reset();
        Restart();
        list.emplace();
        list->Begin(window);
        return *list;
    }

    std::optional<RecordingGadgets> list;
};

const cButton Buttons[] = {
    {100, 10, 150, 80, 20, "_Shuffle"}, {101, 500 - 90, 150, 80, 20, "_Draw"}, {102, 10, 125, 80, 20, "_Bet Prefs"},
    {103, 0, 0, 1, 1, "OK"}, {0, 0, 0, 0, 0, nullptr}, {104, 200, 10, 80, 20, "After the end"},
};

TEST_F(GadgetListTest, ClickingAButtonReportsItsIdentifier) {
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
