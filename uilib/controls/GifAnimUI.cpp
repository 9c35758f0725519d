#include "GifAnimUI.h"

#include "PaintManagerUI.h"
#include "UiFileReader.h"
#include "UiGdiPlus.h"
#include "UiValueParser.h"

#include <cstring>
#include <cwchar>
#include <vector>

namespace Orvel {

using namespace Gdiplus::DllExports;

namespace {

// GDI+'s frame dimension of animations; the import libraries leave it out.
const GUID kFrameDimensionTime = {0x6aedbd6d, 0x3fb5, 0x418a, {0x83, 0xa6, 0x7f, 0x45, 0x22, 0x9d, 0xc8, 0x72}};

// No animation comes near this; it keeps a stray huge file out of memory.
constexpr size_t kMaxGifFileBytes = 64u << 20;
constexpr UINT kDefaultFrameDelay = 100;

// A stream over a copy of the bytes that frees its block when released.
IStream* StreamOver(const std::vector<unsigned char>& bytes) {
    HGLOBAL block = GlobalAlloc(GMEM_FIXED, bytes.size());
    if (block == nullptr) {
        return nullptr;
    }
    std::memcpy(static_cast<void*>(block), bytes.data(), bytes.size());
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream))) {
        GlobalFree(block);
        return nullptr;
    }
    return stream;
}

}  // namespace

CGifAnimUI::CGifAnimUI()
    : image_(nullptr), frameCount_(0), currentFrame_(0), autoPlay_(true), autoSize_(false), playing_(false),
      loadTried_(false), stream_(nullptr), gdiplusToken_(0) {}

CGifAnimUI::~CGifAnimUI() {
    if (manager_ != nullptr) {
        manager_->StopTimer(this, kFrameTimerId);
    }
    Release();
}

const wchar_t* CGifAnimUI::ClassName() const {
    return L"GifAnimUI";
}

void* CGifAnimUI::CastTo(const wchar_t* name) {
    if (Is(name, L"GifAnim")) {
        return this;
    }
    return CControlUI::CastTo(name);
}

void CGifAnimUI::OnInitialize() {
    if (image_ == nullptr) {
        Load();
    }
}

void CGifAnimUI::ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"bkimage")) {
        SetFile(value);
    } else if (Is(name, L"autoplay")) {
        SetAutoPlay(ParseBoolValue(value));
    } else if (Is(name, L"autosize")) {
        SetAutoSize(ParseBoolValue(value));
    } else {
        CControlUI::ApplyOwnAttribute(name, value);
    }
}

void CGifAnimUI::SetFile(const wchar_t* name) {
    if (name == nullptr || file_ == name) {
        return;
    }
    file_ = name;
    Stop();
    Release();
    loadTried_ = false;
    Invalidate();
}

void CGifAnimUI::SetVisible(bool visible) {
    CControlUI::SetVisible(visible);
    if (visible) {
        if (autoPlay_) {
            Play();
        }
    } else {
        Stop();
    }
}

UINT CGifAnimUI::DelayCount() const {
    if (frameDelays_ == nullptr) {
        return 0;
    }
    const auto* item = reinterpret_cast<const Gdiplus::PropertyItem*>(frameDelays_.get());
    return static_cast<UINT>(item->length / sizeof(LONG));
}

UINT CGifAnimUI::FrameDelay(UINT frame) const {
    if (frame >= DelayCount()) {
        return kDefaultFrameDelay;
    }
    const auto* item = reinterpret_cast<const Gdiplus::PropertyItem*>(frameDelays_.get());
    LONG hundredths = 0;
    std::memcpy(&hundredths, static_cast<const unsigned char*>(item->value) + frame * sizeof(LONG), sizeof(LONG));
    return hundredths > 0 ? static_cast<UINT>(hundredths) * 10 : kDefaultFrameDelay;
}

void CGifAnimUI::Load() {
    // A file that is missing or does not decode is not read again at every
    // paint: only a new file name tries again.
    if (file_.IsEmpty() || loadTried_) {
        return;
    }
    loadTried_ = true;
    std::vector<unsigned char> bytes;
    if (ReadSkinFile(file_, kMaxGifFileBytes, bytes) != UiReadResult::Ok) {
        return;
    }
    gdiplusToken_ = StartGdiPlus();
    stream_ = StreamOver(bytes);
    Gdiplus::GpImage* image = nullptr;
    if (gdiplusToken_ == 0 || stream_ == nullptr || GdipLoadImageFromStream(stream_, &image) != Gdiplus::Ok ||
        image == nullptr) {
        Release();
        return;
    }
    image_ = image;
    UINT dimensions = 0;
    if (GdipImageGetFrameDimensionsCount(image_, &dimensions) == Gdiplus::Ok && dimensions > 0) {
        std::vector<GUID> list(dimensions);
        if (GdipImageGetFrameDimensionsList(image_, list.data(), dimensions) == Gdiplus::Ok) {
            GdipImageGetFrameCount(image_, &list[0], &frameCount_);
        }
    }
    UINT size = 0;
    if (GdipGetPropertyItemSize(image_, PropertyTagFrameDelay, &size) == Gdiplus::Ok &&
        size >= sizeof(Gdiplus::PropertyItem)) {
        frameDelays_.reset(new unsigned char[size]);
        auto* item = reinterpret_cast<Gdiplus::PropertyItem*>(frameDelays_.get());
        if (GdipGetPropertyItem(image_, PropertyTagFrameDelay, size, item) != Gdiplus::Ok ||
            item->value == nullptr || item->length > size - sizeof(Gdiplus::PropertyItem)) {
            frameDelays_.reset();
        }
    }
    if (autoSize_) {
        UINT width = 0;
        UINT height = 0;
        GdipGetImageWidth(image_, &width);
        GdipGetImageHeight(image_, &height);
        SetFixedWidth(static_cast<int>(width));
        SetFixedHeight(static_cast<int>(height));
    }
    if (autoPlay_) {
        Play();
    }
}

void CGifAnimUI::Release() {
    if (image_ != nullptr) {
        GdipDisposeImage(image_);
        image_ = nullptr;
    }
    if (stream_ != nullptr) {
        stream_->Release();
        stream_ = nullptr;
    }
    ShutdownGdiPlus(gdiplusToken_);
    gdiplusToken_ = 0;
    frameDelays_.reset();
    frameCount_ = 0;
    currentFrame_ = 0;
}

void CGifAnimUI::StartFrameTimer() {
    if (manager_ != nullptr) {
        manager_->StartTimer(this, kFrameTimerId, FrameDelay(currentFrame_));
    }
}

void CGifAnimUI::Play() {
    // A still image, or one without delays to step by, has nothing to play.
    if (playing_ || image_ == nullptr || frameCount_ < 2 || DelayCount() == 0) {
        return;
    }
    StartFrameTimer();
    playing_ = true;
}

void CGifAnimUI::Stop() {
    if (!playing_) {
        return;
    }
    if (manager_ != nullptr) {
        manager_->StopTimer(this, kFrameTimerId);
    }
    currentFrame_ = 0;
    Invalidate();
    playing_ = false;
}

void CGifAnimUI::ProcessEvent(UiEvent& event) {
    if (event.type != UiEventType::Timer || event.wParam != kFrameTimerId) {
        CControlUI::ProcessEvent(event);
        return;
    }
    if (!playing_) {
        return;
    }
    if (manager_ != nullptr) {
        manager_->StopTimer(this, kFrameTimerId);
    }
    Invalidate();
    currentFrame_ = (currentFrame_ + 1) % frameCount_;
    StartFrameTimer();
}

void CGifAnimUI::Paint(HDC dc, const RECT& paintRect) {
    RECT visible;
    if (!IntersectRect(&visible, &paintRect, &itemRect_)) {
        return;
    }
    if (image_ == nullptr) {
        Load();
    }
    if (image_ == nullptr) {
        return;
    }
    // The frame of this moment is selected before it is drawn, so that each
    // frame is on screen for its own delay.
    if (frameCount_ > 1) {
        GdipImageSelectActiveFrame(image_, &kFrameDimensionTime, currentFrame_);
    }
    ScopedGpGraphics graphics;
    if (GdipCreateFromHDC(dc, graphics.Receive()) != Gdiplus::Ok) {
        return;
    }
    GdipDrawImageRectI(graphics.Get(), image_, itemRect_.left, itemRect_.top, itemRect_.Width(), itemRect_.Height());
}

}  // namespace Orvel
