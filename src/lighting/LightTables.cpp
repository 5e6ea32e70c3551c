#include "lighting/LightTables.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace vivori::lighting {
namespace {

// Tables listed without their trailing "none" entries are filled up with fill.
template <size_t N>
consteval std::array<uint8_t, N> Padded(std::initializer_list<uint8_t> values, uint8_t fill) {
    std::array<uint8_t, N> table{};
    table.fill(fill);
    if (values.size() > N) throw "table too long";
    std::copy(values.begin(), values.end(), table.begin());
    return table;
}
template <size_t N, size_t M>
consteval std::array<uint8_t, N> Padded(const std::array<uint8_t, M>& values, uint8_t fill) {
    static_assert(M <= N);
    std::array<uint8_t, N> table{};
    table.fill(fill);
    std::copy(values.begin(), values.end(), table.begin());
    return table;
}

constexpr std::array<uint8_t, kBrightnessLevels> kBrightness = {0, 80, 135, 195, 255};
constexpr std::array<int, kSpeeds> kBlinkPeriods = {8, 6, 4, 2, 1};
constexpr int kBlinkUnitMs = 200;

constexpr std::array<uint8_t, 64> kRamp = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255,
};
constexpr auto kFlashCurve = Padded<192>(
    {
        0,   4,   8,   14,  22,  33,  45,  61,  77,  84,  100, 110, 120, 130, 140, 150, 158, 166,
        175, 182, 191, 204, 220, 234, 255, 248, 241, 234, 227, 220, 213, 206, 200, 194, 188, 182,
        176, 170, 164, 158, 152, 146, 140, 134, 129, 124, 119, 114, 109, 104, 99,  94,  89,  85,
        81,  77,  73,  69,  65,  61,  57,  53,  49,  45,  42,  39,  36,  33,  30,  27,  24,  22,
        20,  18,  16,  14,  12,  10,  9,   8,   7,   6,   5,   4,   3,   2,   2,   1,
    },
    0);
constexpr std::array<uint8_t, 32> kRising = {
    1,  3,  5,  7,   10,  14,  18,  22,  26,  32,  38,  44,  50,  57,  65,  73,
    81, 89, 99, 109, 119, 129, 140, 152, 164, 176, 188, 200, 213, 227, 241, 255,
};
constexpr std::array<uint8_t, 32> kFalling = {
    248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124, 114, 104, 94, 85, 77,
    69,  61,  53,  47,  41,  35,  29,  24,  20,  16,  12,  8,   6,   4,  2,  0,
};
constexpr auto kSweepOrder = Padded<126>(
    {
        15, 14, 13,  12,  11,  10,  9,   8,   7,   6,   5,   4,   3,   2,   1,   0,   21,  42,
        63, 84, 105, 106, 107, 108, 109, 125, 110, 111, 112, 113, 114, 115, 116, 117, 118, 119,
        41, 40, 39,  38,  37,  36,  35,  34,  33,  32,  31,  30,  29,  28,  27,  26,  25,  24,
        23, 22, 43,  64,  102, 85,  86,  87,  88,  89,  90,  91,  92,  93,  94,  95,  96,  97,
        98, 99, 78,  61,  60,  59,  58,  57,  56,  55,  54,  53,  52,  51,  50,  49,  48,  47,
        46, 45, 44,  65,  66,  67,  68,  69,  70,  71,  72,  73,  74,  62,  75,  76,  77,
    },
    kNoKey);
// Positions 110-125 hold no key and 126-169 hold key 0.
constexpr auto kSnakeOrder = Padded<170>(
    Padded<126>(
        {
            0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  11,  12,  13,  14, 15,
            17,  18,  19,  20,  41,  40,  39,  38,  37,  36,  35,  34,  33,  32,  31, 30,
            29,  28,  27,  26,  25,  24,  23,  22,  21,  42,  43,  44,  45,  46,  47, 48,
            49,  50,  51,  52,  53,  54,  55,  56,  57,  58,  59,  60,  61,  119, 78, 77,
            76,  75,  170, 74,  73,  72,  71,  70,  69,  68,  67,  66,  65,  64,  63, 84,
            170, 85,  86,  87,  88,  89,  90,  91,  92,  93,  94,  95,  96,  97,  98, 99,
            118, 117, 116, 115, 114, 113, 112, 111, 110, 109, 108, 107, 106, 105,
        },
        kNoKey),
    0);
constexpr std::array<uint8_t, 104> kRandomPicks = {
    88,  24,  101, 57,  16, 69, 35, 34, 36,  51,  78,  18, 12,  66,  97, 9,  33, 41, 55, 52, 48,
    95,  77,  70,  104, 10, 23, 39, 3,  102, 17,  65,  22, 105, 31,  4,  85, 76, 15, 60, 54, 21,
    106, 83,  94,  6,   61, 49, 20, 5,  14,  107, 68,  98, 71,  27,  81, 1,  0,  87, 46, 75, 37,
    73,  32,  79,  8,   29, 72, 56, 44, 99,  13,  47,  42, 93,  108, 91, 80, 86, 89, 43, 28, 58,
    59,  109, 38,  53,  2,  62, 64, 90, 96,  74,  110, 92, 40,  25,  26, 7,  30, 50, 84, 45,
};
constexpr std::array<std::array<uint8_t, kGridRows>, kGridColumns> kKeyGrid = {{
    {170, 120, 121, 122, 123, 124}, {170, 21, 42, 63, 84, 105},  {0, 22, 43, 64, 102, 106},
    {1, 23, 44, 65, 85, 20},        {2, 24, 45, 66, 86, 107},    {3, 25, 46, 67, 87, 126},
    {4, 26, 47, 68, 88, 127},       {18, 27, 48, 69, 89, 108},   {5, 28, 49, 70, 90, 128},
    {6, 29, 50, 71, 91, 129},       {7, 30, 51, 72, 92, 109},    {8, 31, 52, 73, 93, 125},
    {9, 32, 53, 74, 94, 110},       {10, 33, 54, 62, 100, 112},  {11, 34, 55, 75, 95, 113},
    {12, 101, 103, 79, 96, 114},    {56, 38, 59, 76, 97, 115},   {35, 39, 60, 77, 98, 116},
    {37, 40, 61, 78, 99, 117},      {58, 41, 13, 119, 118, 111}, {170, 36, 57, 83, 80, 104},
    {170, 15, 132, 17, 81, 130},    {170, 14, 16, 82, 19, 131},
}};
constexpr std::array<std::array<uint8_t, 12>, 12> kDiagonals = {
    Padded<12>({51}, kNoKey),
    Padded<12>({30, 50, 71, 72, 52, 31}, kNoKey),
    Padded<12>({8, 29, 49, 70, 91, 92, 93, 73, 53, 32}, kNoKey),
    Padded<12>({7, 28, 48, 69, 90, 109, 94, 74, 54, 33, 9, 62}, kNoKey),
    Padded<12>({6, 27, 47, 68, 89, 110, 95, 75, 55, 34, 10, 11}, kNoKey),
    Padded<12>({5, 26, 46, 67, 88, 108, 111, 112, 56, 35, 12, 125}, kNoKey),
    Padded<12>({4, 25, 45, 66, 87, 113, 96, 57, 36, 13}, kNoKey),
    Padded<12>({3, 24, 44, 65, 86, 114, 115, 58, 37, 15, 14}, kNoKey),
    Padded<12>({2, 23, 43, 64, 85, 107, 97, 76, 59, 38}, kNoKey),
    Padded<12>({1, 22, 42, 63, 84, 106, 116, 98, 77, 60, 39, 102}, kNoKey),
    Padded<12>({0, 21, 105, 117, 99, 78, 61, 40}, kNoKey),
    Padded<12>({118, 119, 41}, kNoKey),
};
constexpr std::array<std::array<uint8_t, 7>, kGridColumns> kColumnTable = {{
    {255, 255, 255, 255, 255, 255, 105}, {255, 255, 21, 42, 63, 84, 106},
    {255, 0, 22, 43, 64, 85, 107},       {255, 1, 23, 44, 65, 86, 255},
    {255, 2, 24, 45, 66, 87, 255},       {255, 3, 25, 46, 67, 88, 255},
    {255, 4, 26, 47, 68, 89, 108},       {255, 255, 27, 48, 69, 90, 255},
    {255, 5, 28, 49, 70, 91, 255},       {255, 6, 29, 50, 71, 92, 109},
    {255, 7, 30, 51, 72, 93, 109},       {255, 8, 31, 52, 73, 94, 110},
    {255, 9, 32, 53, 74, 255, 111},      {255, 10, 33, 54, 75, 255, 255},
    {255, 11, 34, 55, 255, 95, 112},     {255, 12, 34, 55, 255, 95, 112},
    {255, 13, 35, 56, 255, 255, 113},    {255, 14, 36, 57, 255, 96, 114},
    {255, 15, 37, 58, 255, 255, 115},    {255, 17, 38, 59, 76, 97, 116},
    {125, 18, 39, 60, 77, 98, 116},      {255, 19, 40, 61, 78, 99, 117},
    {255, 20, 41, 255, 119, 118, 255},
}};
constexpr std::array<std::array<uint8_t, 12>, 52> kRippleRows = {
    Padded<12>({25, 26, 50, 51}, kNoKey),
    Padded<12>({0, 26, 27, 50, 51}, kNoKey),
    Padded<12>({27, 28, 50, 51}, kNoKey),
    Padded<12>({1, 27, 50, 51}, kNoKey),
    Padded<12>({2, 27, 50, 51}, kNoKey),
    Padded<12>({3, 28, 51}, kNoKey),
    Padded<12>({4, 29, 51}, kNoKey),
    Padded<12>({29, 51}, kNoKey),
    Padded<12>({5, 29, 51}, kNoKey),
    Padded<12>({6, 30, 51}, kNoKey),
    Padded<12>({7, 30, 51}, kNoKey),
    Padded<12>({8, 51}, kNoKey),
    Padded<12>({31, 52}, kNoKey),
    Padded<12>({9, 32, 52}, kNoKey),
    Padded<12>({10, 32, 52}, kNoKey),
    Padded<12>({11, 33, 52}, kNoKey),
    Padded<12>({12, 34, 53, 52}, kNoKey),
    Padded<12>({13, 34, 53, 52}, kNoKey),
    Padded<12>({14, 34, 53, 52}, kNoKey),
    Padded<12>({15, 35, 52}, kNoKey),
    Padded<12>({36, 52}, kNoKey),
    Padded<12>({37, 52}, kNoKey),
    Padded<12>({38, 52}, kNoKey),
    Padded<12>({39, 52}, kNoKey),
    Padded<12>({41, 40, 38, 52, 54, 53, 55, 39}, kNoKey),
    Padded<12>({119, 61, 60, 59, 58, 57, 56, 62, 54, 53, 52}, kNoKey),
    Padded<12>({52, 53, 76, 78, 77, 54, 55}, kNoKey),
    Padded<12>({73, 74, 75, 97, 98, 99, 118}, kNoKey),
    Padded<12>({73, 74, 96, 117, 116}, kNoKey),
    Padded<12>({73, 95, 96, 75, 116, 117}, kNoKey),
    Padded<12>({73, 74, 95, 115, 116}, kNoKey),
    Padded<12>({73, 95, 115, 114}, kNoKey),
    Padded<12>({73, 95, 114, 113}, kNoKey),
    Padded<12>({73, 95, 113}, kNoKey),
    Padded<12>({73, 95, 112}, kNoKey),
    Padded<12>({73, 94, 111}, kNoKey),
    Padded<12>({73, 94, 125, 110}, kNoKey),
    Padded<12>({73, 93, 109}, kNoKey),
    Padded<12>({72, 92, 108}, kNoKey),
    Padded<12>({72, 92, 108}, kNoKey),
    Padded<12>({108, 91, 72}, kNoKey),
    Padded<12>({108, 90, 91, 72}, kNoKey),
    Padded<12>({108, 90, 71, 72}, kNoKey),
    Padded<12>({108, 89, 90, 71, 72}, kNoKey),
    Padded<12>({107, 88, 89, 71, 72}, kNoKey),
    Padded<12>({106, 107, 87, 88, 89, 70, 71, 72}, kNoKey),
    Padded<12>({105, 106, 87, 88, 70, 72}, kNoKey),
    Padded<12>({124, 105, 86, 87, 88, 70, 71, 72}, kNoKey),
    Padded<12>({123, 84, 85, 69, 70, 71, 72, 86, 102}, kNoKey),
    Padded<12>({122, 63, 64, 65, 68, 66, 67, 50, 51}, kNoKey),
    Padded<12>({121, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51}, kNoKey),
    Padded<12>({51, 21, 22, 23, 24, 48, 49, 50, 120}, kNoKey),
};
constexpr std::array<std::array<uint8_t, 6>, 20> kScriptStart = {{
    {0, 118, 255, 255, 255, 255}, {1, 117, 255, 255, 255, 255}, {2, 116, 255, 255, 255, 255},
    {3, 115, 21, 118, 255, 255},  {4, 114, 22, 99, 255, 255},   {5, 113, 23, 98, 255, 255},
    {6, 112, 24, 97, 42, 119},    {7, 111, 25, 96, 43, 78},     {8, 125, 26, 95, 44, 77},
    {9, 109, 27, 94, 45, 76},     {33, 92, 28, 93, 46, 255},    {54, 71, 29, 92, 47, 75},
    {74, 50, 30, 71, 48, 62},     {94, 30, 31, 50, 49, 74},     {93, 31, 52, 30, 50, 73},
    {92, 32, 72, 31, 51, 72},     {71, 33, 71, 52, 52, 71},     {50, 54, 50, 72, 53, 255},
    {30, 74, 255, 255, 255, 255}, {31, 94, 255, 255, 255, 255},
}};
constexpr std::array<std::array<uint8_t, 2>, 16> kScriptPairs = {{
    {30, 94},
    {31, 93},
    {32, 92},
    {33, 71},
    {54, 50},
    {74, 30},
    {94, 31},
    {93, 32},
    {92, 33},
    {71, 54},
    {50, 74},
    {51, 73},
    {52, 72},
    {53, 51},
    {73, 52},
    {72, 53},
}};
constexpr std::array<std::array<uint8_t, kGridRows>, kGridColumns> kStartLevels = {{
    {72, 52, 32, 12, 182, 162},  {72, 52, 32, 12, 182, 162},   {120, 100, 80, 60, 40, 20},
    {92, 82, 72, 62, 52, 42},    {160, 140, 120, 100, 80, 60}, {80, 70, 60, 50, 20, 10},
    {90, 30, 0, 160, 130, 100},  {50, 30, 10, 180, 160, 140},  {32, 22, 12, 2, 182, 172},
    {120, 100, 80, 60, 40, 20},  {20, 5, 185, 170, 155, 140},  {60, 35, 15, 180, 155, 130},
    {120, 110, 100, 90, 80, 70}, {192, 162, 132, 102, 72, 32}, {80, 70, 60, 50, 20, 10},
    {100, 95, 90, 85, 80, 75},   {90, 80, 70, 60, 50, 40},     {140, 110, 80, 50, 20, 180},
    {70, 55, 40, 25, 10, 190},   {120, 100, 80, 60, 40, 20},   {92, 82, 72, 62, 52, 42},
    {60, 50, 40, 30, 20, 10},    {192, 162, 132, 102, 72, 32},
}};

constexpr std::array<Rgb, 4> kFourColours = {
    {{0, 255, 180}, {0, 255, 0}, {255, 255, 255}, {255, 0, 0}}};

// The breathing curve is the ramp up and down; the wave curve its middle 96 entries.
consteval std::array<uint8_t, 128> MakeBreathingCurve() {
    std::array<uint8_t, 128> curve{};
    for (size_t i = 0; i < kRamp.size(); ++i) {
        curve[i] = kRamp[i];
        curve[curve.size() - 1 - i] = kRamp[i];
    }
    return curve;
}
constexpr auto kBreathingCurve = MakeBreathingCurve();
constexpr int kWaveCurveStart = 16;
constexpr int kWaveCurveSize = 96;

// Six segments of 32: red to yellow, to green, to cyan, to blue, to magenta, to red.
consteval std::array<Rgb, kSpectrumSize> MakeSpectrum() {
    std::array<Rgb, kSpectrumSize> s{};
    for (int i = 0; i < 32; ++i) {
        const uint8_t r = kRising[i], f = kFalling[i];
        s[i] = {255, r, 0};
        s[32 + i] = {f, 255, 0};
        s[64 + i] = {0, 255, r};
        s[96 + i] = {0, f, 255};
        s[128 + i] = {r, 0, 255};
        s[160 + i] = {255, 0, f};
    }
    return s;
}
constexpr auto kSpectrum = MakeSpectrum();

int Wrap(int index, int size) {
    const int m = index % size;
    return m < 0 ? m + size : m;
}

template <typename Table>
std::span<const uint8_t> RowOf(const Table& table, int row) {
    if (row < 0 || row >= static_cast<int>(table.size())) return {};
    return table[static_cast<size_t>(row)];
}

}  // namespace

uint8_t BrightnessValue(int level) {
    return kBrightness[std::clamp(level, 0, kBrightnessLevels - 1)];
}

int BlinkPeriodMs(int speed) {
    return kBlinkPeriods[std::clamp(speed, 0, kSpeeds - 1)] * kBlinkUnitMs;
}

uint8_t BreathingCurve(int index) {
    return kBreathingCurve[Wrap(index, kBreathingCurve.size())];
}

uint8_t WaveCurve(int index) {
    return kBreathingCurve[kWaveCurveStart + Wrap(index, kWaveCurveSize)];
}

uint8_t FlashCurve(int index) {
    return kFlashCurve[Wrap(index, kFlashCurve.size())];
}

Rgb Spectrum(int x) {
    return kSpectrum[Wrap(x, kSpectrumSize)];
}

Rgb FourColour(int index) {
    return kFourColours[Wrap(index, kFourColours.size())];
}

uint8_t GridKey(int column, int row) {
    if (column < 0 || column >= kGridColumns || row < 0 || row >= kGridRows) return kNoKey;
    return kKeyGrid[column][row];
}

std::span<const uint8_t> SweepOrder() {
    return kSweepOrder;
}

std::span<const uint8_t> SnakeOrder() {
    return kSnakeOrder;
}

std::span<const uint8_t> RandomPicks() {
    return kRandomPicks;
}

std::span<const uint8_t> Diagonal(int d) {
    return RowOf(kDiagonals, d);
}

uint8_t ColumnTableKey(int column, int row) {
    auto cells = RowOf(kColumnTable, column);
    if (row < 0 || row >= static_cast<int>(cells.size())) return kNoEntry;
    return cells[row];
}

std::span<const uint8_t> ColumnTableKeys() {
    static const auto keys = [] {
        std::vector<uint8_t> list;
        for (const auto& column : kColumnTable)
            for (uint8_t k : column)
                if (k < kKeyCount && std::find(list.begin(), list.end(), k) == list.end())
                    list.push_back(k);
        return list;
    }();
    return keys;
}

std::span<const uint8_t> RippleRow(int r) {
    return RowOf(kRippleRows, r);
}

std::span<const uint8_t> ScriptStartKeys(int s) {
    return RowOf(kScriptStart, s);
}

std::span<const uint8_t> ScriptPairKeys(int s) {
    return RowOf(kScriptPairs, s);
}

uint8_t StartLevel(int column, int row) {
    if (column < 0 || row < 0 || row > kGridRows) return 0;
    const int flat = column * kGridRows + row;
    // Row 6 of the last column lies past the table: it reads as 0.
    if (flat >= kGridColumns * kGridRows) return 0;
    return kStartLevels[flat / kGridRows][flat % kGridRows];
}

std::optional<GridCell> GridCellOfKey(int key) {
    static const auto cells = [] {
        std::array<std::optional<GridCell>, kKeyCount> table{};
        for (int c = 0; c < kGridColumns; ++c)
            for (int r = 0; r < kGridRows; ++r) {
                const uint8_t k = kKeyGrid[c][r];
                if (k < kKeyCount && !table[k]) table[k] = GridCell{c, r};
            }
        return table;
    }();
    if (key < 0 || key >= kKeyCount) return std::nullopt;
    return cells[key];
}

bool InSweepOrder(int key) {
    static const auto members = [] {
        std::array<bool, kKeyCount> table{};
        for (uint8_t k : kSweepOrder)
            if (k < kKeyCount) table[k] = true;
        return table;
    }();
    return key >= 0 && key < kKeyCount && members[key];
}

int NextPosition(bool forward, int limit, int position, int n) {
    if (limit <= 0) return 0;
    if (forward) return position + n >= limit ? 0 : position + n;
    if (position >= limit) position = limit;
    return position < n ? limit - n : position - n;
}

uint8_t FadeLevel(uint8_t level, int kind) {
    struct Band {
        int atLeast;
        int by;
    };
    // Bands from the top; the last matching band (level > 0) takes 1.
    static constexpr Band kPlain[] = {{128, 40}, {64, 30}, {32, 15}, {17, 8}};
    static constexpr Band kMusic[] = {{144, 45}, {128, 40}, {112, 35}, {96, 30},
                                      {80, 25},  {64, 20},  {32, 10},  {17, 5}};
    static constexpr Band kOther[] = {{128, 40}, {64, 30}, {32, 10}, {17, 8}};
    std::span<const Band> bands = kind == 0                ? std::span<const Band>(kPlain)
                                  : kind == kMusicFadeKind ? std::span<const Band>(kMusic)
                                                           : std::span<const Band>(kOther);
    for (const Band& band : bands)
        if (level >= band.atLeast) return static_cast<uint8_t>(level - band.by);
    return level > 0 ? level - 1 : 0;
}

}  // namespace vivori::lighting
