// Drawing one card into a 71 x 96 block of indexed pixels: shapes sampled at 4 x 4 points a
// pixel, pixel-art glyphs, and a half-turn so that a card's lower half mirrors its upper half.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

namespace cards {

constexpr int kCardW = 71;
constexpr int kCardH = 96;

// The sheet's eight colours.
enum Colour : uint8_t { Felt = 0, Black, White, Red, Blue, Gold, Skin, Sky };

// Which pixels of a card a shape covers.
struct Mask {
    std::array<bool, kCardW * kCardH> bits{};
    bool At(int x, int y) const { return x >= 0 && y >= 0 && x < kCardW && y < kCardH && bits[y * kCardW + x]; }
    Mask& operator|=(const Mask& o);
    Mask& operator-=(const Mask& o);
};

// A shape in card coordinates (pixel (x, y) spans x..x+1, y..y+1).
using Inside = std::function<bool(double x, double y)>;

struct Card {
    std::array<uint8_t, kCardW * kCardH> px{};
    bool turned = false;  // draw through a half-turn: (x, y) lands on (70 - x, 95 - y)

    void Set(int x, int y, uint8_t c);
    uint8_t Get(int x, int y) const;
    // Pixels of the box (x0, y0)-(x1, y1) covered by at least half of their samples.
    Mask Sample(const Inside& shape, double x0, double y0, double x1, double y1) const;
    void Paint(const Mask& m, uint8_t c);
    // The mask's pixels that touch a pixel outside it (4-neighbours).
    void Outline(const Mask& m, uint8_t c);
    void Fill(const Inside& shape, double x0, double y0, double x1, double y1, uint8_t c, int outline = -1);
    // A glyph of rows of '#' and '.', top-left at (x, y).
    void Glyph(const std::vector<const char*>& rows, int x, int y, uint8_t c);
    // Copy the upper half, turned, over the lower half.
    void MirrorHalf();
};

// Suit shapes with u, v in -1..1 (v down).
bool ClubAt(double u, double v);
bool DiamondAt(double u, double v);
bool HeartAt(double u, double v);
bool SpadeAt(double u, double v);

// Basic shapes in card coordinates.
Inside Ellipse(double cx, double cy, double rx, double ry);
Inside Rect(double x0, double y0, double x1, double y1);
Inside Polygon(std::vector<std::array<double, 2>> points);
Inside Segment(double x0, double y0, double x1, double y1, double halfWidth);
Inside RoundRect(double x0, double y0, double x1, double y1, double radius);

}  // namespace cards
