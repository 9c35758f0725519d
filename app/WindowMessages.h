#pragma once
#include "Platform.h"

// Private messages the download-install manager sends to the main window
// (SendMessageW, lParam 0). A text travels as a pointer to zero-terminated
// UTF-16 text in wParam, valid during the call.
enum GameWindowMessage : UINT {
    WM_GAME_PROGRESS = 3000,      // wParam: percent 0..100
    WM_GAME_BACKGROUND = 3004,    // wParam: image path text
    WM_GAME_UNZIP_DONE = 3005,    // wParam: 0
    WM_GAME_SPEED = 3006,         // wParam: speed text
    WM_GAME_CURRENT_SIZE = 3007,  // wParam: downloaded-size text
    WM_GAME_TOTAL_SIZE = 3008,    // wParam: total-size text
    // The download, a check of the package or the disk, or the extraction
    // failed and nothing more will happen: the window may be closed again.
    // wParam: short reason text for the user.
    WM_GAME_INSTALL_FAILED = 3009,
    // An installed game is being brought up to a newer version: the stage
    // label says so until the end, and the update may be closed at any time
    // (the installed version stays whole until the switch). wParam: 0.
    WM_GAME_UPDATING = 3010,
};
