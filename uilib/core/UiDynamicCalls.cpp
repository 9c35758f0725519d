#include "UiDynamicCalls.h"

#include <string>

namespace Orvel {

namespace {

struct Msimg32 {
    AlphaBlendProc alphaBlend = nullptr;
    GradientFillProc gradientFill = nullptr;

    Msimg32() {
        // Kept loaded for the life of the process.
        HMODULE module = LoadSystemLibrary(L"msimg32.dll");
        if (module != nullptr) {
            alphaBlend = reinterpret_cast<AlphaBlendProc>(
                reinterpret_cast<void*>(GetProcAddress(module, "AlphaBlend")));
            gradientFill = reinterpret_cast<GradientFillProc>(
                reinterpret_cast<void*>(GetProcAddress(module, "GradientFill")));
        }
    }
};

struct User32 {
    UpdateLayeredWindowProc updateLayeredWindow = nullptr;
    SetLayeredWindowAttributesProc setLayeredWindowAttributes = nullptr;

    User32() {
        // Linked by every program of ours, so it is loaded already.
        HMODULE module = GetModuleHandleW(L"User32.dll");
        if (module != nullptr) {
            updateLayeredWindow = reinterpret_cast<UpdateLayeredWindowProc>(
                reinterpret_cast<void*>(GetProcAddress(module, "UpdateLayeredWindow")));
            setLayeredWindowAttributes = reinterpret_cast<SetLayeredWindowAttributesProc>(
                reinterpret_cast<void*>(GetProcAddress(module, "SetLayeredWindowAttributes")));
        }
    }
};

// Thread-safe one-time initialisation of function-local statics.
const Msimg32& Functions() {
    static const Msimg32 functions;
    return functions;
}

const User32& WindowFunctions() {
    static const User32 functions;
    return functions;
}

}  // namespace

AlphaBlendProc DynAlphaBlend() {
    return Functions().alphaBlend;
}

GradientFillProc DynGradientFill() {
    return Functions().gradientFill;
}

UpdateLayeredWindowProc DynUpdateLayeredWindow() {
    return WindowFunctions().updateLayeredWindow;
}

SetLayeredWindowAttributesProc DynSetLayeredWindowAttributes() {
    return WindowFunctions().setLayeredWindowAttributes;
}

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
    wchar_t folder[MAX_PATH] = {};
    UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    std::wstring path(folder, length);
    path += L"\\";
    path += fileName;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace Orvel
