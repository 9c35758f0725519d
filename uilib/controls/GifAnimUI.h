#pragma once
#include "ControlUI.h"

#include <memory>

struct IStream;
namespace Gdiplus {
class GpImage;
}

namespace Orvel {

// Plays an animated GIF over its whole rectangle and draws nothing else.
// The file ("bkimage") is decoded with GDI+ when the control is initialised
// or first painted; each frame stays up for its own delay, stepped by the
// control timer 100. Hiding the control stops and rewinds the animation,
// showing it plays again (with auto play). A GIF without frame delays, or
// with one frame, stays still; a file that cannot be read or decoded is
// tried once, until the file name changes.
class CGifAnimUI : public CControlUI {
public:
    static constexpr UINT kFrameTimerId = 100;

    CGifAnimUI();
    ~CGifAnimUI() override;

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    void OnInitialize() override;
    // The frame timer's ticks step the frames; every other event is the
    // base control's.
    void ProcessEvent(UiEvent& event) override;
    void Paint(HDC dc, const RECT& paintRect) override;
    void SetVisible(bool visible = true) override;

    // A new file stops the animation and drops the image; it is loaded at
    // the next paint.
    void SetFile(const wchar_t* name);
    const CUiString& File() const { return file_; }
    void Play();
    // Stops and rewinds to the first frame.
    void Stop();
    bool IsAutoPlay() const { return autoPlay_; }
    void SetAutoPlay(bool autoPlay) { autoPlay_ = autoPlay; }
    bool IsAutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize) { autoSize_ = autoSize; }

    bool IsLoaded() const { return image_ != nullptr; }
    bool IsPlaying() const { return playing_; }
    UINT FrameCount() const { return frameCount_; }
    // The frame painted now, and shown until the next tick.
    UINT CurrentFrame() const { return currentFrame_; }
    // How long a frame stays up, in milliseconds: its own delay, or 100 ms
    // for a delay of 0.
    UINT FrameDelay(UINT frame) const;

protected:
    void ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) override;

private:
    // The file's bytes through GDI+; nothing is kept when it does not decode.
    void Load();
    void Release();
    // The frame timer at the current frame's delay.
    void StartFrameTimer();
    UINT DelayCount() const;

    Gdiplus::GpImage* image_;  // owned
    UINT frameCount_;
    UINT currentFrame_;
    std::unique_ptr<unsigned char[]> frameDelays_;  // a GDI+ PropertyItem and its values
    CUiString file_;
    bool autoPlay_;
    bool autoSize_;
    bool playing_;
    bool loadTried_;  // the current file was read (whether or not it decoded)
    IStream* stream_;          // owned: the image's bytes, kept while GDI+ may read them
    ULONG_PTR gdiplusToken_;   // GDI+ runs while an image is held
};

}  // namespace Orvel
