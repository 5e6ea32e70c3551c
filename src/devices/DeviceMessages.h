#pragma once

#include "ui/message/MessageTypes.h"

namespace vivori::devices {

// Sent to the main window with wParam = device list index, lParam = 0.
inline constexpr ui::UINT kMsgDeviceArrived = 3090;
inline constexpr ui::UINT kMsgDeviceRemoved = 3091;
// Sent to the main window: show (lParam 1) or hide (0) the selector entry wParam.
inline constexpr ui::UINT kMsgShowSelectorEntry = 3331;

// Sent to the main window by a device: the profile index after a profile switch on
// the device, and the power byte of its power record (wParam).
inline constexpr ui::UINT kMsgDeviceProfile = 3328;
inline constexpr ui::UINT kMsgPowerByte = 3329;
// Sent to the main window by a device whose answering changed: wParam = its selector
// value, lParam = 1 when it answers again, 0 when it stopped answering.
inline constexpr ui::UINT kMsgDeviceAnswering = 3332;
// Sent to the main window by a device whose connection reads began (lParam = 1) or
// ended (0): wParam = its selector value.
inline constexpr ui::UINT kMsgDeviceReading = 3333;

// The registered wake-up message, named after the application; the capture thread
// posts it once after its first scan.
ui::UINT AppInstanceMessage();

}  // namespace vivori::devices
