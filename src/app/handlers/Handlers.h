#pragma once

// The main window's notification handlers, one area per file. Each Add function puts
// its handlers, by the names the routing table uses, into the window's table.

#include <functional>
#include <map>
#include <string_view>

#include "ui/core/UiEvent.h"

namespace vivori::app {

class CMainWnd;

using NotifyHandler = std::function<void(ui::TNotifyUI& msg, int index)>;
using HandlerTable = std::map<std::string_view, NotifyHandler>;

// Lighting panel, synchronised lighting, colour palette (handlers/Lighting.cpp).
void AddLightingHandlers(CMainWnd& window, HandlerTable& handlers);
// The headset's voice, equaliser and voice-effect panels (handlers/Headset.cpp).
void AddHeadsetHandlers(CMainWnd& window, HandlerTable& handlers);
// Keyboard settings tab, factory reset, paint tool, key clicks and
// the desktop's input settings (handlers/KeyboardSettings.cpp).
void AddKeyboardSettingsHandlers(CMainWnd& window, HandlerTable& handlers);
// Hands the synchronised-lighting thread the current devices (UI thread).
void UpdateSyncGroup(CMainWnd& window);
// Synchronised lighting is offered only with two devices or more; below that every
// device leaves the group.
void AllowSameMode(CMainWnd& window, bool allowed);

// The audio settings of the lighting panel and the audio style window
// (handlers/AudioLight.cpp).
void AddAudioLightHandlers(CMainWnd& window, HandlerTable& handlers);
// At window initialisation: the styles from "AudioFile.json".
void LoadAudioStyles(CMainWnd& window);
// Starts the audio recorder while a keyboard runs the music mode, ends it otherwise.
void UpdateAudioRecorder(CMainWnd& window);
// The recorder's timer: finds it once it is up, notes when it ended by itself.
void CheckAudioRecorder(CMainWnd& window);
// At shut-down: the end commands, then the recorder is ended.
void EndAudioRecorder(CMainWnd& window);

}  // namespace vivori::app
