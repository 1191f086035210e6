#include "script/Messanger.h"

#include <algorithm>

TMessanger *Messanger = nullptr;

namespace {

constexpr std::size_t MaxText = 255;

} // namespace

TMessanger::TMessanger(int screenHeight)
    : Capacity(std::max(1, (screenHeight - 64) / 16))
{
    Items.resize(std::size_t(Capacity));
}

void TMessanger::Add(std::string_view text, bool centred, float red, float green, float blue, int time)
{
    text = text.substr(0, MaxText);
    if (centred) {
        const TPoint size = Measure ? Measure(CentreFont, text) : TPoint{};
        CentreText = std::string(text);
        CentreX = -float(size.x / 2) * PixelSizeX;
        CentreY = float(size.y + 128) * PixelSizeY;
        CentreTime = time;
        CentreColour[0] = red;
        CentreColour[1] = green;
        CentreColour[2] = blue;
        CentreColour[3] = 1;
    } else {
        if (ItemCount == Capacity) {
            std::move(Items.begin() + 1, Items.begin() + ItemCount, Items.begin());
            --ItemCount;
        }
        TMessageItem &item = Items[std::size_t(ItemCount++)];
        item.Text = std::string(text);
        item.TimeLeft = time;
        item.Colour[0] = red;
        item.Colour[1] = green;
        item.Colour[2] = blue;
        item.Colour[3] = 1;
    }
    if (OnAdd)
        OnAdd(std::string(text), centred);
}

void TMessanger::Clear() { ItemCount = 0; }

void TMessanger::Update(int dt)
{
    int kept = 0;
    for (int i = 0; i < ItemCount; ++i) {
        TMessageItem &item = Items[std::size_t(i)];
        item.TimeLeft -= dt;
        if (item.TimeLeft <= 0)
            continue;
        if (item.TimeLeft < 1000)
            item.Colour[3] = float(item.TimeLeft) / 1000;
        if (kept != i)
            Items[std::size_t(kept)] = std::move(item);
        ++kept;
    }
    ItemCount = kept;
    if (CentreTime > 0)
        CentreTime -= dt;
}
