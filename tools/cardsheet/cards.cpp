// The card designs: index corners, pip layouts, court figures, jokers and the back.
#include <cmath>
#include <cstring>

#include "draw.h"
#include "sheet.h"

namespace cards {

const uint8_t kPalette[kColours][3] = {
    {0x1F, 0x6B, 0x3A},  // felt: the table and every window's background
    {0x00, 0x00, 0x00},  // black
    {0xFF, 0xFF, 0xFF},  // white
    {0xD2, 0x1E, 0x28},  // red
    {0x1E, 0x3C, 0x9B},  // blue: the back, robes of the black suits
    {0xF0, 0xC0, 0x30},  // gold: crowns, trims
    {0xF6, 0xCF, 0xA6},  // skin
    {0x7C, 0xA6, 0xE8},  // sky: the back's lattice, highlights
};

namespace {

using Rows = std::vector<const char*>;

// Rank glyphs, 10 rows high; "10" is one glyph.
const Rows kRank[13] = {
    {"...#...", "..###..", "..###..", ".##.##.", ".##.##.", "##...##", "#######", "#######", "##...##", "##...##"},
    {".#####.", "#######", "##...##", ".....##", "....###", "..####.", ".###...", "###....", "#######", "#######"},
    {"######.", "#######", ".....##", ".....##", "..####.", "..####.", ".....##", ".....##", "#######", "######."},
    {"....##.", "...###.", "..####.", ".##.##.", "##..##.", "#######", "#######", "....##.", "....##.", "....##."},
    {"#######", "#######", "##.....", "######.", "#######", ".....##", ".....##", "##...##", "#######", ".#####."},
    {".#####.", "######.", "##.....", "######.", "#######", "##...##", "##...##", "##...##", "#######", ".#####."},
    {"#######", "#######", ".....##", "....##.", "...##..", "...##..", "..##...", "..##...", "..##...", "..##..."},
    {".#####.", "#######", "##...##", "##...##", ".#####.", "#######", "##...##", "##...##", "#######", ".#####."},
    {".#####.", "#######", "##...##", "##...##", "##...##", "#######", ".######", ".....##", ".######", ".#####."},
    {".##..#####.", "###.#######", ".##.##...##", ".##.##...##", ".##.##...##", ".##.##...##", ".##.##...##",
     ".##.##...##", ".##.#######", "####.#####."},
    {"..#####", "..#####", "....##.", "....##.", "....##.", "....##.", "....##.", "##..##.", "######.", ".####.."},
    {".#####.", "#######", "##...##", "##...##", "##...##", "##...##", "##.#.##", "##.###.", "#######", ".####.#"},
    {"##...##", "##..##.", "##.##..", "####...", "###....", "####...", "##.##..", "##..##.", "##...##", "##...##"},
};

// Small capitals for the jokers' corners, 7 rows high.
const Rows kJoker[5] = {
    {"..###", "...#.", "...#.", "...#.", "...#.", "#..#.", ".##.."},
    {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."},
    {"#...#", "#..#.", "#.#..", "##...", "#.#..", "#..#.", "#...#"},
    {"#####", "#....", "#....", "####.", "#....", "#....", "#####"},
    {"####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"},
};

bool (*const kSuitShape[4])(double, double) = {ClubAt, DiamondAt, HeartAt, SpadeAt};

uint8_t InkOf(int suit) { return suit == Diamonds || suit == Hearts ? Red : Black; }

// Continuous centre of the card; a half-turn maps (X, Y) to (71 - X, 96 - Y).
constexpr double kMidX = kCardW / 2.0;
constexpr double kMidY = kCardH / 2.0;

void SuitShape(Card& c, int suit, double cx, double cy, double hw, double hh, uint8_t colour, int outline = -1) {
    auto shape = kSuitShape[suit];
    c.Fill([=](double x, double y) { return shape((x - cx) / hw, (y - cy) / hh); }, cx - hw - 1, cy - hh - 1,
           cx + hw + 1, cy + hh + 1, colour, outline);
}

// A pip at (cx, cy); pips of the lower half stand upside down, as on printed cards.
void Pip(Card& c, int suit, double cx, double cy, double hw = 6.5, double hh = 7.5) {
    c.turned = cy > kMidY + 0.01;
    if (c.turned) {
        cx = kCardW - cx;
        cy = kCardH - cy;
    }
    SuitShape(c, suit, cx, cy, hw, hh, InkOf(suit));
    c.turned = false;
}

void Blank(Card& c) {
    c.px.fill(Felt);
    c.Fill(RoundRect(0, 0, kCardW, kCardH, 6), 0, 0, kCardW, kCardH, White, Black);
}

// Rank over suit in the top-left corner, and the same turned in the bottom-right.
void Index(Card& c, int suit, int value) {
    for (bool turned : {false, true}) {
        c.turned = turned;
        const Rows& glyph = kRank[value];
        int width = static_cast<int>(std::strlen(glyph[0]));
        c.Glyph(glyph, 7 - width / 2, 4, InkOf(suit));
        SuitShape(c, suit, 6.5, 20, 4.2, 4.8, InkOf(suit));
    }
    c.turned = false;
}

void PipCard(Card& c, int suit, int value) {
    const double left = kMidX - 14, right = kMidX + 14;
    const double top = 16, bottom = 80;
    const double q1 = top + (bottom - top) / 3, q2 = top + 2 * (bottom - top) / 3;
    auto columnPair = [&](double y) {
        Pip(c, suit, left, y);
        Pip(c, suit, right, y);
    };
    switch (value + 1) {
        case 1:
            // The ace of spades gets the largest pip, as is the custom.
            if (suit == Spades) SuitShape(c, suit, kMidX, kMidY, 18, 21, InkOf(suit));
            else SuitShape(c, suit, kMidX, kMidY, 15, 18, InkOf(suit));
            break;
        case 2: Pip(c, suit, kMidX, top); Pip(c, suit, kMidX, bottom); break;
        case 3: Pip(c, suit, kMidX, top); Pip(c, suit, kMidX, kMidY); Pip(c, suit, kMidX, bottom); break;
        case 4: columnPair(top); columnPair(bottom); break;
        case 5: columnPair(top); columnPair(bottom); Pip(c, suit, kMidX, kMidY); break;
        case 6: columnPair(top); columnPair(kMidY); columnPair(bottom); break;
        case 7: columnPair(top); columnPair(kMidY); columnPair(bottom); Pip(c, suit, kMidX, (top + kMidY) / 2); break;
        case 8:
            columnPair(top); columnPair(kMidY); columnPair(bottom);
            Pip(c, suit, kMidX, (top + kMidY) / 2);
            Pip(c, suit, kMidX, (bottom + kMidY) / 2);
            break;
        case 9: columnPair(top); columnPair(q1); columnPair(q2); columnPair(bottom); Pip(c, suit, kMidX, kMidY); break;
        case 10:
            columnPair(top); columnPair(q1); columnPair(q2); columnPair(bottom);
            Pip(c, suit, kMidX, (top + q1) / 2);
            Pip(c, suit, kMidX, (bottom + q2) / 2);
            break;
    }
}

// ---- court cards: a figure in the upper half, turned into the lower half ------

void Court(Card& c, int suit, int rank) {
    const double x = kMidX;
    const uint8_t robe = InkOf(suit) == Red ? Red : Blue;
    const uint8_t lining = robe == Red ? Blue : Red;

    // Frame, and the line where the two halves meet.
    c.Fill(Rect(13, 9, 58, 87), 13, 9, 58, 87, White, Black);
    for (int px = 13; px < 58; ++px) c.Set(px, 47, Black);

    // Shoulders and robe, with a trimmed front panel.
    c.Fill(Polygon({{14, 47}, {14, 40}, {22, 33}, {49, 33}, {57, 40}, {57, 47}}), 14, 32, 57, 47, robe, Black);
    c.Fill(Polygon({{29, 33}, {42, 33}, {40, 47}, {31, 47}}), 28, 32, 43, 47, Gold, Black);
    for (int py = 36; py < 47; py += 4) {
        c.Set(35, py, lining);
        c.Set(34, py + 1, lining);
        c.Set(36, py + 1, lining);
        c.Set(35, py + 2, lining);
    }
    // A band of the suit across the robe.
    for (double bx : {20.0, 51.0}) SuitShape(c, suit, bx, 42, 3.4, 3.8, robe == Red ? White : Gold);

    // Hair behind the head.
    if (rank == 11) c.Fill(Polygon({{x - 9, 15}, {x + 9, 15}, {x + 10, 36}, {x - 10, 36}}), x - 11, 14, x + 11, 37, Gold, Black);
    if (rank == 10) c.Fill(Ellipse(x, 21, 8, 7), x - 9, 13, x + 9, 29, Gold, Black);

    // Head and face.
    c.Fill(Ellipse(x, 24, 6, 7.5), x - 7, 16, x + 7, 32, Skin, Black);
    c.Set(33, 23, Black);
    c.Set(37, 23, Black);
    c.Set(35, 25, Black);
    if (rank == 12) {
        // A full white beard.
        c.Fill(Polygon({{x - 6, 25}, {x + 6, 25}, {x + 4, 33}, {x, 36}, {x - 4, 33}}), x - 7, 24, x + 7, 37, White, Black);
        c.Set(34, 27, Red);
        c.Set(35, 27, Red);
        c.Set(36, 27, Red);
    } else {
        c.Set(34, 28, Red);
        c.Set(35, 28, Red);
        c.Set(36, 28, Red);
    }
    if (rank == 11) {  // cheeks
        c.Set(32, 26, Red);
        c.Set(38, 26, Red);
    }

    // Headwear.
    if (rank == 12) {  // king: a tall crown with three points and a jewelled band
        c.Fill(Polygon({{x - 8, 19}, {x - 9, 8}, {x - 4.5, 13}, {x, 6}, {x + 4.5, 13}, {x + 9, 8}, {x + 8, 19}}), x - 10,
               5, x + 10, 20, Gold, Black);
        c.Fill(Rect(x - 8, 15, x + 8, 19), x - 9, 14, x + 9, 20, lining, Black);
        c.Fill(Ellipse(x, 11, 1.5, 1.5), x - 2, 9, x + 2, 13, Red);
    } else if (rank == 11) {  // queen: a low crown with pearls
        c.Fill(Polygon({{x - 7, 18}, {x - 7, 11}, {x - 3.5, 14}, {x, 10}, {x + 3.5, 14}, {x + 7, 11}, {x + 7, 18}}),
               x - 8, 9, x + 8, 19, Gold, Black);
        for (double bx : {x - 6.5, x + 0.0, x + 6.5})
            c.Fill(Ellipse(bx, 10.5, 1.7, 1.7), bx - 2, 8, bx + 2, 13, White, Black);
    } else {  // jack: a cap with a plume
        c.Fill(Polygon({{x - 9, 19}, {x - 7, 13}, {x, 11}, {x + 7, 13}, {x + 9, 19}}), x - 10, 10, x + 10, 20, lining,
               Black);
        c.Fill(Rect(x - 9, 17, x + 9, 19.5), x - 10, 16, x + 10, 20, Gold, Black);
        c.Fill(Polygon({{x + 4, 14}, {x + 12, 10}, {x + 15, 11}, {x + 8, 16}}), x + 3, 9, x + 16, 17, White, Black);
    }

    // What each holds: the king a sceptre, the queen a flower, the jack a halberd.
    if (rank == 12) {
        c.Fill(Segment(50, 14, 50, 40, 1.0), 48, 12, 52, 41, Gold, Black);
        c.Fill(Ellipse(50, 13, 3, 3), 46, 9, 54, 17, Gold, Black);
        c.Set(50, 13, Red);
    } else if (rank == 11) {
        c.Fill(Segment(21, 19, 23, 40, 0.8), 19, 17, 25, 41, Felt);
        for (int petal = 0; petal < 5; ++petal) {
            double a = petal * 2 * 3.14159265 / 5;
            double px = 21 + 3 * std::sin(a), py = 17 - 3 * std::cos(a);
            c.Fill(Ellipse(px, py, 2, 2), px - 3, py - 3, px + 3, py + 3, Red, Black);
        }
        c.Fill(Ellipse(21, 17, 1.6, 1.6), 19, 15, 23, 19, Gold);
    } else {
        c.Fill(Segment(20, 14, 20, 42, 0.8), 18, 12, 22, 43, Black);
        c.Fill(Polygon({{20, 10}, {24, 17}, {20, 20}, {16, 17}}), 15, 9, 25, 21, Sky, Black);
    }

    // The hand that holds it.
    const double handX = rank == 12 ? 50 : rank == 11 ? 22.5 : 20;
    c.Fill(Ellipse(handX, 37, 2.4, 2.2), handX - 3, 34, handX + 3, 40, Skin, Black);

    // The suit in the frame's corner, away from what the figure holds.
    SuitShape(c, suit, rank == 12 ? 18.5 : 52.5, 15, 4.2, 4.8, InkOf(suit));

    Index(c, suit, rank);
    c.MirrorHalf();
}

// ---- jokers --------------------------------------------------------------------

struct JokerLook {
    uint8_t hatA, hatB, ink;
    int points;  // tips of the hat
};

void Joker(Card& c, const JokerLook& look) {
    const double x = kMidX;
    // Corners: JOKER reading down.
    for (bool turned : {false, true}) {
        c.turned = turned;
        for (int i = 0; i < 5; ++i) c.Glyph(kJoker[i], 4, 5 + 8 * i, look.ink);
    }
    c.turned = false;

    // Harlequin body.
    auto body = Polygon({{x - 17, 90}, {x - 13, 64}, {x + 13, 64}, {x + 17, 90}});
    Mask torso = c.Sample(body, x - 18, 63, x + 18, 91);
    for (int py = 0; py < kCardH; ++py)
        for (int px = 0; px < kCardW; ++px)
            if (torso.At(px, py)) {
                int a = static_cast<int>(std::floor((px - x + py) / 7.0)), b = static_cast<int>(std::floor((px - x - py) / 7.0));
                c.Set(px, py, ((a + b) & 1) ? look.hatA : look.hatB);
            }
    c.Outline(torso, Black);

    // Ruff collar: scallops.
    for (int i = -3; i <= 3; ++i) c.Fill(Ellipse(x + i * 4.2, 62, 3, 3), x + i * 4.2 - 4, 58, x + i * 4.2 + 4, 66, White, Black);

    // Face.
    c.Fill(Ellipse(x, 49, 9, 10), x - 10, 38, x + 10, 60, Skin, Black);
    c.Fill(Ellipse(x - 3.5, 47, 1.2, 1.6), x - 5, 45, x - 2, 49, Black);
    c.Fill(Ellipse(x + 3.5, 47, 1.2, 1.6), x + 2, 45, x + 5, 49, Black);
    c.Fill(Ellipse(x, 51, 1.8, 1.8), x - 2, 49, x + 2, 53, Red);
    Mask smile = c.Sample(Ellipse(x, 53, 5.5, 3.5), x - 6, 49, x + 6, 57);
    smile -= c.Sample(Ellipse(x, 51.5, 5.5, 3.2), x - 6, 48, x + 6, 56);
    c.Paint(smile, Red);
    c.Set(static_cast<int>(x - 7), 51, Red);
    c.Set(static_cast<int>(x + 6), 51, Red);

    // The hat: a band and drooping tips with bells.
    std::vector<std::array<double, 2>> tips;
    if (look.points == 3) tips = {{x - 20, 30}, {x, 13}, {x + 20, 30}};
    else tips = {{x - 19, 22}, {x + 19, 22}};
    // Each lobe rises from a broad base; the middle one is drawn last, over the others.
    const std::vector<std::array<double, 2>> bases =
        tips.size() == 3 ? std::vector<std::array<double, 2>>{{x - 10, x + 1}, {x - 6, x + 6}, {x - 1, x + 10}}
                         : std::vector<std::array<double, 2>>{{x - 10, x + 1}, {x - 1, x + 10}};
    for (size_t k = 0; k < tips.size(); ++k) {
        size_t i = tips.size() == 3 ? (k == 2 ? 1 : k * 2) : k;
        auto [b0, b1] = bases[i];
        auto [tx, ty] = tips[i];
        c.Fill(Polygon({{b0, 41}, {b1, 41}, {tx, ty}}), std::min(b0, tx) - 1, ty - 1, std::max(b1, tx) + 1, 42,
               i % 2 ? look.hatB : look.hatA, Black);
    }
    c.Fill(RoundRect(x - 11, 38, x + 11, 42.5, 2), x - 12, 37, x + 12, 43, Gold, Black);
    for (auto [tx, ty] : tips) c.Fill(Ellipse(tx, ty, 2.6, 2.6), tx - 3, ty - 3, tx + 3, ty + 3, Gold, Black);
}

// ---- the back -------------------------------------------------------------------

void Back(Card& c) {
    Blank(c);
    Mask field = c.Sample(RoundRect(4, 4, kCardW - 4, kCardH - 4, 3), 3, 3, kCardW - 3, kCardH - 3);
    for (int py = 0; py < kCardH; ++py)
        for (int px = 0; px < kCardW; ++px) {
            if (!field.At(px, py)) continue;
            // A diagonal lattice, even about the centre so the back looks the same either way up.
            int s = px + py, d = px - py + 200;
            bool a = s % 6 == 0 || s % 6 == 3, b = d % 6 == 0 || d % 6 == 3;
            uint8_t colour = Blue;
            if (s % 6 == 0 && d % 6 == 3) colour = Gold;
            else if (s % 6 == 3 && d % 6 == 0) colour = Gold;
            else if ((a && s % 6 == 0) || (b && d % 6 == 0)) colour = Sky;
            c.Set(px, py, colour);
        }
    c.Outline(field, Black);
    Mask inner = c.Sample(RoundRect(8, 8, kCardW - 8, kCardH - 8, 2), 7, 7, kCardW - 7, kCardH - 7);
    c.Outline(inner, White);
    // A medallion in the middle.
    c.Fill(Ellipse(kMidX, kMidY, 14, 18), kMidX - 15, kMidY - 19, kMidX + 15, kMidY + 19, Blue, White);
    c.Fill(Ellipse(kMidX, kMidY, 11, 15), kMidX - 12, kMidY - 16, kMidX + 12, kMidY + 16, Gold, Black);
    c.Fill([](double px, double py) { return DiamondAt((px - kMidX) / 7, (py - kMidY) / 10); }, kMidX - 8, kMidY - 11,
           kMidX + 8, kMidY + 11, Red, Black);
    c.Fill(Ellipse(kMidX, kMidY, 2, 2), kMidX - 3, kMidY - 3, kMidX + 3, kMidY + 3, White);
}

void Place(std::vector<uint8_t>& sheet, const Card& c, int column, int row) {
    for (int y = 0; y < kCardH; ++y)
        for (int x = 0; x < kCardW; ++x)
            sheet[static_cast<size_t>(row * kCardH + y) * kSheetW + column * kCardW + x] = c.px[y * kCardW + x];
}

}  // namespace

std::vector<uint8_t> DrawSheet() {
    std::vector<uint8_t> sheet(static_cast<size_t>(kSheetW) * kSheetH, Felt);
    for (int suit = 0; suit < 4; ++suit)
        for (int value = 0; value < 13; ++value) {
            Card c;
            Blank(c);
            if (value >= 10) {
                Court(c, suit, value);
            } else {
                PipCard(c, suit, value);
                Index(c, suit, value);
            }
            Place(sheet, c, value, suit);
        }
    const JokerLook jokers[3] = {
        {Red, Gold, Red, 3},
        {Blue, Gold, Black, 3},
        {Felt, Red, Blue, 2},
    };
    for (int j = 0; j < 3; ++j) {
        Card c;
        Blank(c);
        Joker(c, jokers[j]);
        Place(sheet, c, j, 4);
    }
    Card back;
    Back(back);
    Place(sheet, back, 4, 4);
    return sheet;
}

}  // namespace cards
