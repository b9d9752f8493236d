// Radio groups.
#include "toolkit/radiogroup.h"

#include <cstring>
#include <new>

#include "toolkit/globals.h"

cRadioGadget::cRadioGadget(int32_t x, int32_t y, int32_t width, int32_t height, const char* text_,
                           int32_t value_, int32_t style_)
    : cPanel(x, y, width, height, style_),
      text(text_),
      length(text_ ? static_cast<int32_t>(std::strlen(text_)) : 0),
      value(value_)
{
}

void cRadioGadget::Draw(RastPort* rp)
{
    if (!rp) return;
    Update(rp);
    SetDrMd(rp, JAM1);
    SetAPen(rp, pens[1]);
    // Text vertically centred on the box; signed division so a box lower than the font
    // still rounds toward zero.
    const int32_t tx = position.x + size.x + 2;
    const int32_t ty = position.y + (size.y - static_cast<int32_t>(rp->TxHeight)) / 2
                       + static_cast<int32_t>(rp->TxBaseline);
    Move(rp, tx, ty);
    if (text) Text(rp, text, static_cast<UWORD>(length));
}

cRadioGroup::~cRadioGroup() { DeleteAll(); }

void cRadioGroup::Update()
{
    if (!window || !window->RPort) return;
    RastPort* rp = window->RPort;
    cPanel::Update(rp);
    if (TEXTFONT) SetFont(rp, TEXTFONT);
    for (cRadioGadget* g = first; g; g = g->next) g->Draw(rp);
}

void cRadioGroup::MakeSelected(cRadioGadget* g)
{
    RastPort* rp = window ? window->RPort : nullptr;
    if (selected) {
        selected->style = 1;
        selected->Draw(rp);
    }
    g->style = 2;
    selected = g;
    g->Draw(rp);
}

cRadioGadget* cRadioGroup::Add(const cRadioGadget& templ)
{
    cRadioGadget* g = new (std::nothrow) cRadioGadget;
    if (!g) return nullptr;
    g->position = templ.position;
    g->size = templ.size;
    g->text = templ.text;
    g->length = templ.length;
    g->value = templ.value;
    g->style = templ.style;
    g->next = first;
    first = g;
    MakeSelected(g);
    return g;
}

void cRadioGroup::Select(int i)
{
    if (i < 0) return;
    cRadioGadget* g = first;
    for (int k = 0; k < i && g; ++k) g = g->next;
    if (!g) return;
    MakeSelected(g);
}

int cRadioGroup::IDCMP(const IntuiMessage* msg)
{
    if (!msg || msg->Class != IDCMP_MOUSEBUTTONS || msg->Code != SELECTDOWN) return 0;
    const int32_t mx = msg->MouseX;
    const int32_t my = msg->MouseY;
    if (!Contains(mx, my)) return 0;
    // Only a gadget's own box counts, not the text beside it.
    cRadioGadget* hit = first;
    while (hit && !hit->Contains(mx, my)) hit = hit->next;
    if (hit) MakeSelected(hit);
    return 1;
}

void cRadioGroup::DeleteAll()
{
    while (first) {
        cRadioGadget* g = first;
        first = g->next;
        if (selected == g) selected = nullptr;
        delete g;
    }
}
