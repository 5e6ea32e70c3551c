#pragma once

#include "app/AudioRecorderLink.h"
#include "profiles/AudioStyles.h"

namespace vivori::app {

// The main window's audio light styles: the style set, its file and the recorder.
struct AudioLightState {
    explicit AudioLightState(const profiles::DataFolders& folders) : file(folders) {}
    profiles::AudioStyleFile file;
    profiles::AudioStyleSet set;
    AudioRecorderLink recorder;
    bool recorderWanted = false;
};

}  // namespace vivori::app
