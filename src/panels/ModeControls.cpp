#include "panels/ModeControls.h"

#include <initializer_list>

namespace vivori::panels {
namespace {

constexpr Group I = Group::On;
constexpr Group O = Group::Off;
constexpr Group K = Group::Keep;

struct Row {
    std::initializer_list<int> modes;
    ModeControls controls;
};

ModeControls Groups(Group c7, Group c, Group p, Group l, Group s, Group f) {
    ModeControls m;
    m.colourful = c7;
    m.colour = c;
    m.palette = p;
    m.brightness = l;
    m.speed = s;
    m.direction = f;
    return m;
}

template <typename Change>
ModeControls With(ModeControls m, Change change) {
    change(m);
    return m;
}

ModeControls Same(ModeControls m) {
    m.sameMode = true;
    return m;
}

ModeControls Labels(ModeControls m, std::string_view forward, std::string_view backward) {
    m.forwardLabel = forward;
    m.backwardLabel = backward;
    return m;
}

ModeControls ColourOff(ModeControls m) {
    m.colourLayoutOff = true;
    return m;
}

ModeControls Find(const std::initializer_list<Row>& rows, int mode) {
    for (const Row& row : rows)
        for (int m : row.modes)
            if (m == mode) return row.controls;
    return Groups(O, O, O, O, O, O);
}

ModeControls KeyboardRow(int mode) {
    const ModeControls all = Groups(I, I, I, I, I, O);
    return Find(
        {
            {{1, 2}, Groups(I, I, I, I, I, K)},
            {{3, 24},
             Labels(Groups(I, I, I, I, I, K), "light_set_clockwise_text",
                    "light_set_anticlockwise_text")},
            {{4}, Same(ColourOff(Groups(O, O, O, I, I, O)))},
            {{5, 23}, Same(all)},
            {{6}, Same(Groups(I, I, I, I, O, O))},
            {{7, 8, 9, 10, 13, 14, 15, 22, 25}, all},
            {{11, 26}, ColourOff(Groups(O, O, O, I, I, O))},
            {{12},
             Labels(Groups(O, O, O, I, I, K), "light_set_down_to_up_text",
                    "light_set_up_to_down_text")},
            {{16}, Groups(I, I, I, I, O, O)},
            {{17},
             With(ColourOff(Groups(O, O, O, I, I, O)),
                  [](ModeControls& m) {
                      m.hideSpeed = true;
                      m.showSubModes = true;
                  })},
            {{18},
             Labels(ColourOff(Groups(O, O, O, I, O, I)), "light_set_outside_to_inside_text",
                    "light_set_inside_to_outside_text")},
            {{19},
             With(Groups(O, I, I, I, O, O),
                  [](ModeControls& m) {
                      m.showCustom = true;
                      m.hideSpeed = true;
                  })},
            {{20}, Same(Groups(O, O, O, O, O, O))},
            {{21},
             Labels(Groups(I, I, I, I, I, K), "light_set_up_to_down_text",
                    "light_set_down_to_up_text")},
            {{27}, Groups(O, O, O, I, I, O)},
            {{29},
             With(Groups(I, I, I, I, O, K),
                  [](ModeControls& m) {
                      m.hideSpeed = true;
                      m.audioPage = true;
                  })},
            {{30}, ColourOff(Groups(O, O, O, I, O, O))},
        },
        mode);
}

ModeControls MouseRow(int mode) {
    return Find(
        {
            {{0, 5}, Groups(I, I, I, I, I, K)},
            {{1}, Same(Groups(O, O, O, I, I, O))},
            {{2, 4, 6}, Same(Groups(I, I, I, I, I, O))},
            {{3}, Same(Groups(O, I, I, I, O, O))},
            {{7, 8}, Groups(O, O, O, I, I, O)},
            {{9}, Same(Groups(O, O, O, O, O, O))},
        },
        mode);
}

ModeControls PadOrHeadsetRow(int mode) {
    return Find(
        {
            {{0}, Groups(I, I, I, I, I, K)},
            {{1}, Same(Groups(O, O, O, I, I, O))},
            {{2, 4}, Same(Groups(I, I, I, I, I, O))},
            {{3}, Same(Groups(O, I, I, I, O, O))},
            {{8}, Same(Groups(O, O, O, O, O, O))},
        },
        mode);
}

}  // namespace

ModeControls ModeControlsFor(int deviceType, int mode) {
    switch (deviceType) {
        case kLightPanelKeyboard:
            return KeyboardRow(mode);
        case kLightPanelMouse:
            return MouseRow(mode);
        case kLightPanelMousePad:
        case kLightPanelHeadset:
        case kLightPanelHeadsetAlt:
            return PadOrHeadsetRow(mode);
        default:
            return Groups(O, O, O, O, O, O);
    }
}

}  // namespace vivori::panels
