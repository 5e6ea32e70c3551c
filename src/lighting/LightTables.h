#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "lighting/LightTypes.h"

// The constant data of the keyboard lighting effects. Every accessor takes indexes
// that may come from the device or a profile file and stays inside its table.
namespace vivori::lighting {

// Brightness value 0-255 of a brightness level (clamped to 0-4).
uint8_t BrightnessValue(int level);
// Blink period in milliseconds for a speed (clamped to 0-4).
int BlinkPeriodMs(int speed);

// Curves, indexed modulo their length (128, 96 and 192 entries).
uint8_t BreathingCurve(int index);
uint8_t WaveCurve(int index);
uint8_t FlashCurve(int index);
// Spectrum colour x mod 192 (negative x counts back from the end).
Rgb Spectrum(int x);
// The four fixed colours of the four-colour modes, index mod 4.
Rgb FourColour(int index);

// The key at a cell of the 23 x 6 key grid; kNoKey outside the grid or for a gap.
uint8_t GridKey(int column, int row);
// The sweep order: 126 entries, the keys first, then kNoKey.
std::span<const uint8_t> SweepOrder();
// The snake order: 170 positions.
std::span<const uint8_t> SnakeOrder();
// 104 positions into the sweep order.
std::span<const uint8_t> RandomPicks();
inline constexpr int kDiagonalCount = 12;
// Diagonal d (0-11) of the diagonal table, 12 entries with kNoKey for none; empty
// outside.
std::span<const uint8_t> Diagonal(int d);
inline constexpr int kColumnTableRows = 7;
// The key at column, row of the 23 x 7 column table; kNoEntry for none or outside.
uint8_t ColumnTableKey(int column, int row);
inline constexpr int kRippleRowCount = 52;
// Row r (0-51) of the ripple table, 12 entries with kNoKey for none; empty outside.
std::span<const uint8_t> RippleRow(int r);
inline constexpr int kScriptStartSteps = 20;
inline constexpr int kScriptPairCount = 16;
// The six keys lit at step s (0-19) of the scripted show, kNoEntry for none; empty
// outside.
std::span<const uint8_t> ScriptStartKeys(int s);
// The pair lit at step s (0-15) of the show's second phase; empty outside.
std::span<const uint8_t> ScriptPairKeys(int s);
// The keys of the column table, each once, in table order.
std::span<const uint8_t> ColumnTableKeys();
// Start level of a column-table cell (rows 0-6): the table is read flat as
// column x 6 + row, so row 6 is the next column's row 0 and column 22's row 6 is 0.
uint8_t StartLevel(int column, int row);

// The grid cell (column, row) of a key; nullopt when the key is not on the grid.
struct GridCell {
    int column = 0;
    int row = 0;
};
std::optional<GridCell> GridCellOfKey(int key);
bool InSweepOrder(int key);

// Moves an animation position n on (forward) or back within 0 .. limit - 1: forward
// it wraps to 0 once it reaches limit, backward it restarts at limit - n when it
// would pass 0. A position at or past limit counts as having reached it.
int NextPosition(bool forward, int limit, int position, int n);

// One fade step of a key level: kind 0, kind 29 (music) or any other kind.
inline constexpr int kMusicFadeKind = 29;
uint8_t FadeLevel(uint8_t level, int kind);

}  // namespace vivori::lighting
