#pragma once
#include "Platform.h"

#include <memory>
#include <string>

class CMainWindow;

// The process entry's steps once this launcher holds its folder: COM, the
// main window (its native window is created here), the one download-install
// manager and the UI message loop. Returns when the loop ends, or at once,
// logged, when the window cannot be created: a launcher without a window
// would hold its folder for ever with nobody to close it.
void RunLauncher(HINSTANCE instance, const std::wstring& commandLine, std::unique_ptr<CMainWindow> window);
