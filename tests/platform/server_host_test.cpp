// What a test's user does when what it acts on is not on the screen: it says so, so that a
// scripted session never passes by doing nothing.
#include "server_testing.h"

using wtest::Open;
using ServerHost = wtest::VirtualDisplay;

namespace {

TEST_F(ServerHost, ActingOnWhatIsNotThereSaysSo) {
    Window* w = Open({});
    EXPECT_THROW(host::ClickGadget(w, "Nothing"), std::runtime_error);
    EXPECT_THROW(host::ClickGadget(w, 12345), std::runtime_error);
    EXPECT_THROW(host::PickMenu(w, 0, 0), std::runtime_error);
    EXPECT_THROW(host::ClickClose(Open({.close = false})), std::runtime_error);
    EXPECT_EQ(host::FindWindow("Three"), nullptr);
}

}  // namespace
