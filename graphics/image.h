// An image: a rectangle of a window showing a same-sized block of a source bitmap.
#pragma once
#include <graphics.h>
#include <intuition.h>

#include "toolkit/IDCMP.h"

class cImage : public cMsgRectangle {
public:
    Window* window = nullptr;  // drawn into through its raster port
    BitMap* bitMap = nullptr;  // the source
    cPoint source;             // top-left corner of the block; the block has the image's size
    int visible = 0;           // nonzero while shown

    // Created invisible; nothing is drawn until Show().
    cImage() = default;
    cImage(Window* window_, BitMap* bitMap_, const cRectangle& rect, const cPoint& source_);
    cImage(const cImage&) = default;
    using cMsgRectangle::operator=;

    virtual void Draw() const;
    virtual void Show();
    virtual void Hide();
    virtual void MoveTo(const cPoint& p);
    bool Active() const override;
    virtual void Clicked();
    // Claims left-button and other button messages inside a visible image; a press calls
    // Clicked().
    int IDCMP(const IntuiMessage* m) override;
};
