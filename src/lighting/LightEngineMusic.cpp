// The music styles of mode 29: the audio spectrum values drawn as bars, waves and
// diagonals on the key grid. The values come from another process and may be any
// 32-bit number, so bar lengths are worked out in 64 bits and only compared, never
// used as indexes.
#include <algorithm>
#include <limits>

#include "lighting/LightEngine.h"
#include "lighting/LightTables.h"

namespace vivori::lighting {

namespace {

constexpr int kDarkLevel = 10;
// Style 4 lets a cell fade only below a nearly dark one.
constexpr int kStyle4DarkAbove = 5;
constexpr int kValueStepInterval = 31;
constexpr int kSilentLength = 600;
constexpr int kPastLoudLength = 500;
constexpr int kTriggerKey = 51;
constexpr int kTriggerThreshold = 70;
constexpr int kStyle2ColourStep = 9;
constexpr int kMaxDiagonals = 20;

// Louder is shorter: 600 for silence, 0 at 2000, negative past it.
int64_t BarLength(int64_t value) {
    return kSilentLength - value * kSilentLength / 2000;
}

// Most styles read a bar past full loudness as 500.
int64_t CappedBarLength(int64_t value) {
    const int64_t length = BarLength(value);
    return length < 0 ? kPastLoudLength : length;
}

// The top row of a column bar, which lights rows top to 5; 6 lights none. Past full
// loudness the formula goes below row 0, which counts as row 0.
int TopRow(int64_t length) {
    return static_cast<int>(std::clamp<int64_t>((length + 100) * kGridRows / 600, 0, kGridRows));
}

// The driving value of each row bar: the sum of its group of consecutive values ÷ 3.
std::array<int64_t, kGridRows> GroupValues(std::span<const int32_t> values,
                                           const std::array<int, kGridRows>& sizes) {
    std::array<int64_t, kGridRows> driving{};
    size_t next = 0;
    for (int g = 0; g < kGridRows; ++g) {
        int64_t sum = 0;
        for (int i = 0; i < sizes[g] && next < values.size(); ++i) sum += values[next++];
        driving[g] = sum / 3;
    }
    return driving;
}

}  // namespace

void LightEngine::SetMusicInput(std::span<const int> values) {
    for (size_t i = 0; i < musicInput_.size(); ++i)
        musicInput_[i] = i < values.size() ? values[i] : 0;
    if (settings_.mode != kMusicMode || music_.style != 2) return;
    int64_t sum = 0;
    for (int32_t value : TakeMusicInput()) sum += CappedBarLength(value);
    const int64_t mean = sum / kMusicValueCount;
    // Values below silence take points away; the total saturates instead of wrapping.
    const int64_t total = triggerTotal_ + (kMusicValueCount - mean * kMusicValueCount / 600);
    triggerTotal_ = static_cast<int32_t>(std::clamp<int64_t>(
        total, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
    if (triggerTotal_ > kTriggerThreshold) {
        triggerTotal_ = 0;
        StartKeyWave(kTriggerKey);
    }
}

void LightEngine::ResetMusic() {
    musicInput_ = {};
    columnLatches_.fill(true);
}

void LightEngine::StepMusic() {
    switch (music_.style) {
        case 0:
            return StepMusicStyle0();
        case 1:
            return StepMusicStyle1();
        case 2:
            return StepMusicStyle2();
        case 3:
            return StepMusicStyle3();
        case 4:
            return StepMusicStyle4();
        case 5:
            return StepMusicStyle5();
        case 6:
            return StepMusicStyle6();
        default:
            return;
    }
}

LightEngine::MusicValues LightEngine::TakeMusicInput() {
    const MusicValues values = musicInput_;
    musicInput_ = {};
    return values;
}

void LightEngine::MoveValueIndex() {
    colourIndex_ = static_cast<uint8_t>(
        NextPosition(settings_.direction != 0, kMusicValueCount, colourIndex_, 1));
}

bool LightEngine::DarkBelow(int key, int level) const {
    return key < 0 || key >= kKeyCount || keyLevels_[key] < level;
}

Rgb LightEngine::PeakColour(const std::function<int()>& position) const {
    return music_.peakColourful ? Spectrum(position()) : music_.peak;
}

// A lit cell shows the peak colour at full level, a fading one what is left of its
// level, a dark one the base colour. position is asked only for a spectrum colour.
void LightEngine::DrawMusicCell(int key, bool fade, int fadeKind, bool lit,
                                const std::function<int()>& position) {
    if (key < 0 || key >= kKeyCount) return;
    uint8_t& level = keyLevels_[key];
    if (fade) level = FadeLevel(level, fadeKind);
    if (lit) level = 255;
    if (level < kDarkLevel) return Paint(key, music_.base, Level());
    Paint(key, PeakColour(position), Scaled(level));
}

// Walks a line of grid cells from the far end of a bar toward where it grows from,
// so each cell sees its outer neighbour already drawn: a cell fades when that
// neighbour is dark or missing, and the first alwaysFading cells fade every step.
// A falling bar therefore collapses from its far end.
void LightEngine::DrawMusicLine(const MusicLine& line, const std::function<bool(int along)>& lit,
                                const std::function<int(int column)>& position) {
    uint8_t outer = kNoKey;
    for (int i = 0; i < line.length; ++i) {
        const int c = line.column + i * line.dc, r = line.row + i * line.dr;
        const uint8_t key = GridKey(c, r);
        if (key < kKeyCount) {
            const bool fade = i < line.alwaysFading || DarkBelow(outer, kDarkLevel);
            DrawMusicCell(key, fade, kMusicFadeKind, lit(line.dc != 0 ? c : r),
                          [&] { return position(c); });
        }
        outer = key;
    }
}

// Column bars from the bottom row, value c driving column c; the value index moves
// every 31 steps.
void LightEngine::StepMusicStyle0() {
    Advance(kSpectrumSize);
    if (++subCounter_ >= kValueStepInterval) {
        subCounter_ = 0;
        MoveValueIndex();
    }
    const MusicValues values = TakeMusicInput();
    for (int c = 0; c < kGridColumns; ++c) {
        const int top = TopRow(BarLength(values[c]));
        DrawMusicLine(
            {c, 0, 0, 1, kGridRows, 1}, [top](int r) { return r >= top; },
            [this](int column) { return step_ + 10 * (column + 1); });
    }
}

// Row bars in two halves growing outward from between columns 8 and 9: the left
// half follows the moving value index, the right half the odd values 1-11.
void LightEngine::StepMusicStyle1() {
    constexpr int kLeftColumns = 9;
    Advance(kSpectrumSize);
    MoveValueIndex();
    const MusicValues values = TakeMusicInput();
    auto position = [this](int column) { return step_ + 7 * (column + 1); };
    for (int r = 0; r < kGridRows; ++r) {
        const int64_t left =
            CappedBarLength(values[(colourIndex_ + 3 * (r + 1)) % kMusicValueCount]);
        const int64_t right = CappedBarLength(values[2 * r + 1]);
        const int64_t fromLeft = (left + 100) * 12 / 600, fromRight = (right + 100) * 12 / 600;
        DrawMusicLine(
            {0, r, 1, 0, kLeftColumns, 1}, [=](int c) { return c >= fromLeft; }, position);
        DrawMusicLine(
            {kGridColumns - 1, r, -1, 0, kGridColumns - kLeftColumns, 2},
            [=](int c) { return c <= 21 - fromRight; }, position);
    }
}

// The key waves of mode 8, started by the music input as it arrives.
void LightEngine::StepMusicStyle2() {
    Advance(kSpectrumSize);
    const auto lit = LightMasks();
    masks_.Move();
    for (int c = 0; c < kGridColumns; ++c)
        for (int r = 0; r < kGridRows; ++r) {
            const uint8_t key = GridKey(c, r);
            if (key >= kKeyCount) continue;
            keyColours_[key] = static_cast<uint8_t>(
                NextPosition(true, kSpectrumSize, keyColours_[key], kStyle2ColourStep));
            DrawMusicCell(key, true, kMusicFadeKind, lit[key], [&] { return keyColours_[key]; });
        }
}

// Diagonals: the louder the mean, the more diagonals light and the faster the
// colours move.
void LightEngine::StepMusicStyle3() {
    int64_t sum = 0;
    for (int32_t value : TakeMusicInput()) sum += CappedBarLength(value);
    const int64_t amount = sum / kMusicValueCount * kMaxDiagonals / 600;
    // Values below silence give amounts past the spectrum; they light nothing, and
    // the step stays inside it.
    step_ = static_cast<uint8_t>(
        NextPosition(settings_.direction != 0, kSpectrumSize, step_,
                     static_cast<int>(std::min<int64_t>(amount, kSpectrumSize - 1))));
    for (int d = 0; d < kDiagonalCount; ++d) {
        const bool lit = d < kMaxDiagonals - amount;
        for (uint8_t key : Diagonal(d))
            DrawMusicCell(key, !lit, 0, lit, [&] { return step_ + 9 * (d + 1); });
    }
}

// Column bars through a latch per column: a bar lights whole, in one step, only
// once the bottom of its column has gone dark; each cell is drawn before it is lit,
// so a new bar shows from the next step.
void LightEngine::StepMusicStyle4() {
    Advance(kSpectrumSize);
    const MusicValues values = TakeMusicInput();
    for (int c = 0; c < kGridColumns; ++c) {
        const int top = TopRow(BarLength(values[(colourIndex_ + 1 + c) % kMusicValueCount]));
        const uint8_t bottom = GridKey(c, kGridRows - 1);
        bool& latched = columnLatches_[c];
        for (int r = 0; r < kGridRows; ++r) {
            const uint8_t key = GridKey(c, r);
            if (key >= kKeyCount) continue;
            // Looked at before this row fades: the bottom row's own fade below 10
            // frees the column from the next step on, for the whole bar at once.
            if (latched && DarkBelow(bottom, kDarkLevel)) latched = false;
            const bool fade = r == 0 || DarkBelow(GridKey(c, r - 1), kStyle4DarkAbove);
            DrawMusicCell(key, fade, kMusicFadeKind, false, [&] { return keyColours_[key]; });
            if (r >= top && !latched) {
                keyLevels_[key] = 255;
                latched = true;
            }
        }
    }
}

// Row bars from the left edge, each driven by a group of values (low to high
// frequencies from the bottom row up).
void LightEngine::StepMusicStyle5() {
    Advance(kSpectrumSize);
    const MusicValues values = TakeMusicInput();
    const auto driving = GroupValues(values, {2, 3, 3, 4, 5, 7});
    for (int g = 0; g < kGridRows; ++g) {
        const int64_t last = 23 - (CappedBarLength(driving[g]) + 100) * 23 / 600;
        DrawMusicLine(
            {kGridColumns - 1, kGridRows - 1 - g, -1, 0, kGridColumns, 2},
            [last](int c) { return c <= last; },
            [this](int column) { return step_ + 3 * (column + 1); });
    }
}

// Row bars from alternate edges: even rows from the right, odd rows from the left.
// The colour moves 2 along the spectrum with every cell drawn in a spectrum colour.
void LightEngine::StepMusicStyle6() {
    Advance(kSpectrumSize);
    const MusicValues values = TakeMusicInput();
    const auto driving = GroupValues(values, {2, 2, 3, 4, 5, 5});
    for (int r = 0; r < kGridRows; ++r) {
        const int64_t n = CappedBarLength(driving[r]) * 23 / 600;
        int position = step_;
        auto next = [&position](int) { return position += 2; };
        if (r % 2 == 0)
            DrawMusicLine(
                {0, r, 1, 0, kGridColumns, 2}, [n](int c) { return c >= n; }, next);
        else
            DrawMusicLine(
                {kGridColumns - 1, r, -1, 0, kGridColumns, 2}, [n](int c) { return c <= 23 - n; },
                next);
    }
}

}  // namespace vivori::lighting
