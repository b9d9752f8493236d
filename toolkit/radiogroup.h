// Radio groups: a framed set of small square buttons, exactly one selected, each with its
// text to the right.
#pragma once
#include "toolkit/IDCMP.h"

// One option of a group: style 1 while not selected, 2 while selected.
class cRadioGadget final : public cPanel {
public:
    cRadioGadget* next = nullptr;
    const char* text = nullptr;  // not owned
    int32_t length = 0;          // characters of text, counted once here
    int32_t value = 0;           // what the option stands for

    cRadioGadget() = default;
    cRadioGadget(int32_t x, int32_t y, int32_t width, int32_t height, const char* text_, int32_t value_,
                 int32_t style_ = 1);
    using cPanel::operator=;

    // Box and text into rp.
    void Draw(RastPort* rp);
};

class cRadioGroup : public cPanel {
public:
    cRadioGadget* selected = nullptr;  // null only while the group is empty
    cRadioGadget* first = nullptr;     // the most recently added comes first
    Window* window = nullptr;          // drawn into through its raster port

    cRadioGroup() = default;
    cRadioGroup(int32_t x, int32_t y, int32_t width, int32_t height, int32_t style_, Window* window_)
        : cPanel(x, y, width, height, style_), window(window_) {}
    // The group owns its gadgets: never copied.
    cRadioGroup(const cRadioGroup&) = delete;
    cRadioGroup& operator=(const cRadioGroup&) = delete;
    using cPanel::operator=;
    ~cRadioGroup();

    // The frame and every gadget with its text.
    void Update();
    // A copy of the template goes in front of the list and becomes the selected gadget.
    // Returns the copy, or nullptr when it could not be allocated (nothing changes then).
    cRadioGadget* Add(const cRadioGadget& templ);
    // Selects the gadget i steps from first; an index outside the list does nothing.
    void Select(int i);
    // Takes left-button presses inside the group's rectangle.
    int IDCMP(const IntuiMessage* msg) override;
    // Frees every gadget.
    void DeleteAll();

private:
    void MakeSelected(cRadioGadget* g);
};
