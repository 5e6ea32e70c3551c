#include "JsonOut.h"

#include "Text.h"

namespace vivori::ctl {

Json::Value BytesJson(const uint8_t* bytes, size_t length) {
    Json::Value array(Json::arrayValue);
    for (size_t i = 0; i < length; ++i) array.append(Json::UInt(bytes[i]));
    return array;
}

Json::Value LightJson(const devices::LightParameters& light) {
    Json::Value object(Json::objectValue);
    object["mode"] = Json::UInt(light.mode);
    object["brightness"] = Json::UInt(light.brightness);
    object["speed"] = Json::UInt(light.speed);
    object["direction"] = Json::UInt(light.direction);
    object["colourful"] = Json::UInt(light.colourful);
    object["colour"] = HexColour(light.red, light.green, light.blue);
    return object;
}

}  // namespace vivori::ctl
