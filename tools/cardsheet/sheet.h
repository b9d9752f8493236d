// The whole card sheet: 13 x 4 faces, three jokers and the back in 71 x 96 blocks.
#pragma once
#include <cstdint>
#include <vector>

namespace cards {

constexpr int kSheetW = 928;  // 58 bytes a plane row; the blocks need 923
constexpr int kSheetH = 480;
constexpr int kColours = 8;
extern const uint8_t kPalette[kColours][3];

// Suits by sheet row.
enum Suit { Clubs = 0, Diamonds, Hearts, Spades };

// kSheetW x kSheetH colour indexes, row after row.
std::vector<uint8_t> DrawSheet();

}  // namespace cards
