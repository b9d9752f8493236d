#include "draw.h"

#include <algorithm>
#include <cmath>

namespace cards {

Mask& Mask::operator|=(const Mask& o) {
    for (size_t i = 0; i < bits.size(); ++i) bits[i] = bits[i] || o.bits[i];
    return *this;
}

Mask& Mask::operator-=(const Mask& o) {
    for (size_t i = 0; i < bits.size(); ++i) bits[i] = bits[i] && !o.bits[i];
    return *this;
}

void Card::Set(int x, int y, uint8_t c) {
    if (turned) {
        x = kCardW - 1 - x;
        y = kCardH - 1 - y;
    }
    if (x >= 0 && y >= 0 && x < kCardW && y < kCardH) px[y * kCardW + x] = c;
}

uint8_t Card::Get(int x, int y) const {
    if (turned) {
        x = kCardW - 1 - x;
        y = kCardH - 1 - y;
    }
    if (x < 0 || y < 0 || x >= kCardW || y >= kCardH) return Felt;
    return px[y * kCardW + x];
}

Mask Card::Sample(const Inside& shape, double x0, double y0, double x1, double y1) const {
    Mask m;
    int left = std::max(0, static_cast<int>(std::floor(x0)));
    int top = std::max(0, static_cast<int>(std::floor(y0)));
    int right = std::min(kCardW - 1, static_cast<int>(std::ceil(x1)));
    int bottom = std::min(kCardH - 1, static_cast<int>(std::ceil(y1)));
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) {
            int hits = 0;
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) hits += shape(x + (sx + 0.5) / 4.0, y + (sy + 0.5) / 4.0);
            m.bits[y * kCardW + x] = hits >= 8;
        }
    return m;
}

void Card::Paint(const Mask& m, uint8_t c) {
    for (int y = 0; y < kCardH; ++y)
        for (int x = 0; x < kCardW; ++x)
            if (m.At(x, y)) Set(x, y, c);
}

void Card::Outline(const Mask& m, uint8_t c) {
    for (int y = 0; y < kCardH; ++y)
        for (int x = 0; x < kCardW; ++x)
            if (m.At(x, y) && (!m.At(x - 1, y) || !m.At(x + 1, y) || !m.At(x, y - 1) || !m.At(x, y + 1))) Set(x, y, c);
}

void Card::Fill(const Inside& shape, double x0, double y0, double x1, double y1, uint8_t c, int outline) {
    Mask m = Sample(shape, x0, y0, x1, y1);
    Paint(m, c);
    if (outline >= 0) Outline(m, static_cast<uint8_t>(outline));
}

void Card::Glyph(const std::vector<const char*>& rows, int x, int y, uint8_t c) {
    for (size_t r = 0; r < rows.size(); ++r)
        for (int i = 0; rows[r][i]; ++i)
            if (rows[r][i] == '#') Set(x + i, y + static_cast<int>(r), c);
}

void Card::MirrorHalf() {
    for (int y = kCardH / 2; y < kCardH; ++y)
        for (int x = 0; x < kCardW; ++x) px[y * kCardW + x] = px[(kCardH - 1 - y) * kCardW + (kCardW - 1 - x)];
}

// ---- suits -------------------------------------------------------------------

bool HeartAt(double u, double v) {
    const double r = 0.52, cy = -0.44;
    if ((u - 0.47) * (u - 0.47) + (v - cy) * (v - cy) <= r * r) return true;
    if ((u + 0.47) * (u + 0.47) + (v - cy) * (v - cy) <= r * r) return true;
    if (v < cy || v > 1.0) return false;
    double t = (v - cy) / (1.0 - cy);
    double half = 0.99 * (1.0 - t) * (1.0 + 0.35 * t);
    return std::abs(u) <= half;
}

bool DiamondAt(double u, double v) { return std::abs(u) / 0.82 + std::abs(v) <= 1.0; }

namespace {
// The stem of a spade or club: narrow under the body, flaring to a foot.
bool StemAt(double u, double v) {
    if (v < 0.2 || v > 1.0) return false;
    double t = (v - 0.2) / 0.8;
    return std::abs(u) <= 0.12 + 0.42 * t * t;
}
}  // namespace

bool SpadeAt(double u, double v) {
    // An upside-down heart, its point at the top and its lobes ending at v = 0.45, over the stem.
    double hv = -(1.352 * v + 0.352);
    return HeartAt(u, hv) || StemAt(u, v);
}

bool ClubAt(double u, double v) {
    const double r = 0.35;
    auto in = [&](double cx, double cy) { return (u - cx) * (u - cx) + (v - cy) * (v - cy) <= r * r; };
    if (in(0, -0.58) || in(-0.55, 0.04) || in(0.55, 0.04)) return true;
    if (std::abs(u) <= 0.22 && v >= -0.5 && v <= 0.2) return true;
    return StemAt(u, v);
}

// ---- shapes ------------------------------------------------------------------

Inside Ellipse(double cx, double cy, double rx, double ry) {
    return [=](double x, double y) {
        double u = (x - cx) / rx, v = (y - cy) / ry;
        return u * u + v * v <= 1.0;
    };
}

Inside Rect(double x0, double y0, double x1, double y1) {
    return [=](double x, double y) { return x >= x0 && x <= x1 && y >= y0 && y <= y1; };
}

Inside Polygon(std::vector<std::array<double, 2>> points) {
    return [points = std::move(points)](double x, double y) {
        bool in = false;
        for (size_t i = 0, j = points.size() - 1; i < points.size(); j = i++) {
            auto [xi, yi] = points[i];
            auto [xj, yj] = points[j];
            if ((yi > y) != (yj > y) && x < (xj - xi) * (y - yi) / (yj - yi) + xi) in = !in;
        }
        return in;
    };
}

Inside Segment(double x0, double y0, double x1, double y1, double halfWidth) {
    return [=](double x, double y) {
        double dx = x1 - x0, dy = y1 - y0;
        double len2 = dx * dx + dy * dy;
        double t = len2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.0, 1.0) : 0.0;
        double ex = x0 + t * dx - x, ey = y0 + t * dy - y;
        return ex * ex + ey * ey <= halfWidth * halfWidth;
    };
}

Inside RoundRect(double x0, double y0, double x1, double y1, double radius) {
    return [=](double x, double y) {
        if (x < x0 || x > x1 || y < y0 || y > y1) return false;
        double cx = std::clamp(x, x0 + radius, x1 - radius);
        double cy = std::clamp(y, y0 + radius, y1 - radius);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
    };
}

}  // namespace cards
