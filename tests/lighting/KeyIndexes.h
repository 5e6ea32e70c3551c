#pragma once

#include <initializer_list>
#include <utility>

#include "lighting/LightTypes.h"

namespace vivori::testing {

// A key index map with only the listed keys placed; keys outside 0-169 are left out.
inline lighting::KeyIndexMap KeyIndexes(std::initializer_list<std::pair<int, int>> placed) {
    lighting::KeyIndexMap map;
    map.fill(lighting::kNoIndex);
    for (const auto& [key, index] : placed)
        if (key >= 0 && key < lighting::kKeyCount)
            map[static_cast<size_t>(key)] = static_cast<uint8_t>(index);
    return map;
}

}  // namespace vivori::testing
