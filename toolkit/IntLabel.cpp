// Number labels.
#include "toolkit/IntLabel.h"

#include <cstdio>

#include "toolkit/globals.h"

void TIntLabel::Update(RastPort* rp)
{
    if (!rp) return;
    cPanel::Update(rp);
    char buffer[16];  // "%ld" of any 32-bit value is at most 11 characters
    int n = std::snprintf(buffer, sizeof buffer, "%ld", static_cast<long>(value));
    if (n < 0) n = 0;
    // Fixed text height of 8: the number sits in the middle whatever font the port has.
    Move(rp, position.x + 8, position.y + (size.y - 8) / 2 + static_cast<int32_t>(rp->TxBaseline));
    SetBPen(rp, pens[0]);
    SetAPen(rp, pens[1]);
    SetDrMd(rp, JAM1);
    Text(rp, buffer, static_cast<ULONG>(n));
}
