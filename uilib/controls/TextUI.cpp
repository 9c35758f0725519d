#include "TextUI.h"

#include "PaintManagerUI.h"
#include "UiRender.h"
#include "UiValueParser.h"

#include <cwchar>

namespace Orvel {

namespace {

// The measuring box is as good as unbounded.
constexpr int kMeasureExtent = 9999;

}  // namespace

CTextUI::CTextUI() : linkCount_(0), linkRects_(), hoveredLink_(-1) {
    look_.style = DT_WORDBREAK;
    look_.padding = CUiRect(2, 0, 2, 0);
}

const wchar_t* CTextUI::ClassName() const {
    return L"TextUI";
}

void* CTextUI::CastTo(const wchar_t* name) {
    if (Is(name, L"Text")) {
        return this;
    }
    return CLabelUI::CastTo(name);
}

UINT CTextUI::TraitFlags() const {
    return (IsEnabled() && linkCount_ > 0) ? UINT{UiTraitWantsCursor} : 0u;
}

CUiRect CTextUI::LinkRect(int index) const {
    return (index >= 0 && index < linkCount_) ? CUiRect(linkRects_[index]) : CUiRect();
}

CUiString CTextUI::LinkTarget(int index) const {
    return (index >= 0 && index < linkCount_) ? linkTargets_[index] : CUiString();
}

int CTextUI::LinkAt(POINT point) const {
    for (int i = 0; i < linkCount_; ++i) {
        if (PtInRect(&linkRects_[i], point)) {
            return i;
        }
    }
    return -1;
}

void CTextUI::Notify(const wchar_t* type, WPARAM wParam, LPARAM lParam) {
    if (manager_ != nullptr) {
        manager_->SendNotify(this, type, wParam, lParam);
    }
}

void CTextUI::ProcessEvent(UiEvent& event) {
    if (PassIgnoredMouseEvent(event)) {
        return;
    }
    const bool enabled = IsEnabled();
    switch (event.type) {
    case UiEventType::SetCursor:
        if (LinkAt(event.mousePoint) >= 0) {
            ::SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return;
        }
        break;
    case UiEventType::ButtonDown:
    case UiEventType::DoubleClick:
        if (enabled && LinkAt(event.mousePoint) >= 0) {
            Invalidate();
            return;
        }
        break;
    case UiEventType::ButtonUp:
        if (enabled) {
            const int link = LinkAt(event.mousePoint);
            if (link >= 0) {
                Notify(L"link", static_cast<WPARAM>(link));
                return;
            }
            Notify(L"click");
        }
        break;
    case UiEventType::ContextMenu:
        return;
    case UiEventType::MouseMove:
        if (enabled && linkCount_ > 0) {
            const int link = LinkAt(event.mousePoint);
            if (link != hoveredLink_) {
                hoveredLink_ = link;
                Invalidate();
                return;
            }
        }
        break;
    case UiEventType::MouseEnter:
        if (enabled) {
            Notify(L"mouseenter", event.wParam, event.lParam);
            Invalidate();
        }
        break;
    case UiEventType::MouseLeave:
        if (enabled) {
            if (linkCount_ > 0 && hoveredLink_ >= 0) {
                hoveredLink_ = -1;
                Notify(L"mouseleave", event.wParam, event.lParam);
                Invalidate();
                return;
            }
            Notify(L"mouseleave", event.wParam, event.lParam);
        }
        break;
    default:
        break;
    }
    CLabelUI::ProcessEvent(event);
}

void CTextUI::ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"cursor")) {
        SetCursorId(static_cast<WORD>(ParseInt(value)));
    } else {
        CLabelUI::ApplyOwnAttribute(name, value);
    }
}

CUiSize CTextUI::MeasureSize(const SIZE& available) {
    const CUiRect padding = TextPadding();
    FitWidthToText(kMeasureExtent - padding.left - padding.right, kMeasureExtent);
    return CControlUI::MeasureSize(available);
}

void CTextUI::DrawTextContent(HDC dc) {
    const CUiString text = Text();
    if (text.IsEmpty()) {
        linkCount_ = 0;
        return;
    }
    ResolveDefaultColors();
    const DWORD color = look_.ColorFor(IsEnabled());
    CUiRect rect = TextRect();
    if (look_.showHtml) {
        linkCount_ = kMaxLinks;
        CUiRender::PaintRichText(dc, manager_, rect, text, color, linkRects_, linkTargets_, linkCount_, look_.style);
    } else {
        // Plain text has no links; rectangles of an earlier rich paint must
        // not answer for it.
        linkCount_ = 0;
        CUiRender::PaintText(dc, manager_, rect, text, color, look_.font, look_.style);
    }
}

}  // namespace Orvel
