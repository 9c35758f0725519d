#include "ControlUI.h"

#include "PaintManagerUI.h"
#include "UiClipScope.h"
#include "UiDrawInfo.h"
#include "UiRender.h"
#include "UiTextRegistry.h"
#include "UiValueParser.h"

#include <cwchar>
#include <cwctype>

namespace Orvel {

namespace {

// A style whose list names a style (or itself) must not recurse forever, nor
// branch out: K self-references at depth 8 would be K^8 attributes.
constexpr int kMaxStyleDepth = 8;
constexpr int kMaxStyleAttributes = 1024;  // applied from styles, per attribute of the control

struct CursorKeyword {
    const wchar_t* keyword;
    int id;
};

constexpr CursorKeyword kCursors[] = {
    {L"arrow", 32512},    {L"ibeam", 32513},    {L"wait", 32514},     {L"cross", 32515},  {L"uparrow", 32516},
    {L"size", 32640},     {L"icon", 32641},     {L"sizenwse", 32642}, {L"sizenesw", 32643},
    {L"sizewe", 32644},   {L"sizens", 32645},   {L"sizeall", 32646},  {L"no", 32648},     {L"hand", 32649},
};

// Colours of the background attributes may have white space before the "#".
DWORD ParseBackColor(const wchar_t* value) {
    while (*value != L'\0' && iswspace(*value)) {
        ++value;
    }
    return ParseColorValue(value);
}

UiFloatAnchors ParseAnchors(const wchar_t* value) {
    double parts[4] = {0, 0, 0, 0};
    const wchar_t* position = value;
    for (int i = 0; i < 4 && *position != L'\0'; ++i) {
        wchar_t* end = nullptr;
        parts[i] = wcstod(position, &end);
        position = (*end == L'\0') ? end : end + 1;
    }
    return UiFloatAnchors{parts[0], parts[1], parts[2], parts[3]};
}

CUiString Trimmed(const wchar_t* begin, const wchar_t* end) {
    while (begin < end && iswspace(*begin)) {
        ++begin;
    }
    while (end > begin && iswspace(end[-1])) {
        --end;
    }
    return CUiString(begin, static_cast<int>(end - begin));
}

}  // namespace

CControlUI::CControlUI()
    : manager_(nullptr), parent_(nullptr), updateNeeded_(true), usesContextMenu_(false), fixedWidth_(0),
      fixedHeight_(0), minWidth_(0), minHeight_(0), maxWidth_(9999), maxHeight_(9999), visible_(true),
      shownByParent_(true), enabled_(true), acceptsMouse_(true), acceptsKeyboard_(true), focused_(false),
      floating_(false), placing_(false), dragSource_(false), dropTarget_(false), textFromResource_(false),
      shortcut_(0), tag_(0), backColor_(0), backColor2_(0), backColor3_(0), foreColor_(0), borderColor_(0),
      focusedBorderColor_(0), colorHsl_(false), borderSize_(0), borderStyle_(0), toolTipWidth_(300), cursorId_(0),
      styleDepth_(0), styleAttributes_(0) {}

CControlUI::~CControlUI() {
    if (!DestroyHooks.IsEmpty()) {
        DestroyHooks.Invoke(this);
    }
    if (manager_ != nullptr) {
        manager_->ForgetControl(this);
    }
}

const CUiString& CControlUI::Name() const {
    return name_;
}

void CControlUI::SetName(const wchar_t* name) {
    name_ = name;
}

const wchar_t* CControlUI::ClassName() const {
    return L"ControlUI";
}

void* CControlUI::CastTo(const wchar_t* name) {
    return Is(name, L"Control") ? this : nullptr;
}

UINT CControlUI::TraitFlags() const {
    return 0;
}

bool CControlUI::TryActivate() {
    return IsVisible() && IsEnabled();
}

CPaintManagerUI* CControlUI::Manager() const {
    return manager_;
}

void CControlUI::Attach(CPaintManagerUI* manager, CControlUI* parent, bool initialize) {
    manager_ = manager;
    parent_ = parent;
    if (initialize && parent != nullptr) {
        Initialize();
    }
}

CControlUI* CControlUI::Parent() const {
    return parent_;
}

CUiString CControlUI::Text() const {
    return textFromResource_ ? CUiTextRegistry::Instance().Text(text_) : text_;
}

void CControlUI::SetText(const wchar_t* text) {
    const wchar_t* value = text != nullptr ? text : L"";
    if (text_ != value) {
        text_ = value;
        Invalidate();
    }
}

bool CControlUI::IsTextFromResource() const {
    return textFromResource_;
}

void CControlUI::SetTextFromResource(bool fromResource) {
    if (textFromResource_ != fromResource) {
        textFromResource_ = fromResource;
        Invalidate();
    }
}

bool CControlUI::IsDragSource() const {
    return dragSource_;
}

void CControlUI::SetDragSource(bool dragSource) {
    dragSource_ = dragSource;
}

bool CControlUI::IsDropTarget() const {
    return dropTarget_;
}

void CControlUI::SetDropTarget(bool dropTarget) {
    dropTarget_ = dropTarget;
}

CUiRect CControlUI::RectInParent() const {
    if (parent_ == nullptr) {
        return CUiRect();
    }
    CUiRect rect = itemRect_;
    rect.Offset(-parent_->ItemRect().left, -parent_->ItemRect().top);
    return rect;
}

CUiRect CControlUI::ClientRect() const {
    return itemRect_;
}

const CUiRect& CControlUI::ItemRect() const {
    return itemRect_;
}

void CControlUI::Place(const RECT& rect, bool invalidate) {
    CUiRect placed = rect;
    if (placed.right < placed.left) {
        placed.right = placed.left;
    }
    if (placed.bottom < placed.top) {
        placed.bottom = placed.top;
    }
    CUiRect old = itemRect_.IsEmpty() ? placed : itemRect_;
    itemRect_ = placed;
    if (manager_ == nullptr) {
        return;
    }
    if (!placing_) {
        placing_ = true;
        if (!SizeHooks.IsEmpty()) {
            SizeHooks.Invoke(this);
        }
        placing_ = false;
    }
    updateNeeded_ = false;
    if (invalidate && IsVisible()) {
        old.Union(placed);
        InvalidateVisible(old);
    }
}

void CControlUI::Shift(const SIZE& offset, bool invalidate) {
    // The fixed offset is kept in markup units, the offset comes in pixels.
    int dx = manager_ != nullptr ? manager_->DpiScale().UnscaleValue(offset.cx) : offset.cx;
    int dy = manager_ != nullptr ? manager_->DpiScale().UnscaleValue(offset.cy) : offset.cy;
    fixedOffset_.cx += dx;
    fixedOffset_.cy += dy;
    CUiRect moved = itemRect_;
    moved.Offset(offset.cx, offset.cy);
    Place(moved, invalidate);
}

int CControlUI::Width() const {
    return itemRect_.Width();
}

int CControlUI::Height() const {
    return itemRect_.Height();
}

int CControlUI::X() const {
    return itemRect_.left;
}

int CControlUI::Y() const {
    return itemRect_.top;
}

CUiRect CControlUI::Padding() const {
    return ScaleRect(padding_);
}

void CControlUI::SetPadding(const RECT& padding) {
    padding_ = padding;
    RequestParentUpdate();
}

CUiSize CControlUI::FixedOffset() const {
    return CUiSize(Scale(fixedOffset_.cx), Scale(fixedOffset_.cy));
}

void CControlUI::SetFixedOffset(int x, int y) {
    fixedOffset_ = CUiSize(x, y);
    if (floating_) {
        RequestUpdate();
    } else {
        RequestParentUpdate();
    }
}

int CControlUI::FixedWidth() const {
    return Scale(fixedWidth_);
}

void CControlUI::SetFixedWidth(int cx) {
    if (cx >= 0) {
        fixedWidth_ = cx;
        floating_ ? RequestUpdate() : RequestParentUpdate();
    }
}

int CControlUI::FixedHeight() const {
    return Scale(fixedHeight_);
}

void CControlUI::SetFixedHeight(int cy) {
    if (cy >= 0) {
        fixedHeight_ = cy;
        floating_ ? RequestUpdate() : RequestParentUpdate();
    }
}

void CControlUI::SetSizeLimit(int* field, int value) {
    if (value < 0 || *field == value) {
        return;
    }
    *field = value;
    floating_ ? RequestUpdate() : RequestParentUpdate();
}

int CControlUI::MinWidth() const {
    return Scale(minWidth_);
}

void CControlUI::SetMinWidth(int cx) {
    SetSizeLimit(&minWidth_, cx);
}

int CControlUI::MaxWidth() const {
    return Scale(maxWidth_);
}

void CControlUI::SetMaxWidth(int cx) {
    SetSizeLimit(&maxWidth_, cx);
}

int CControlUI::MinHeight() const {
    return Scale(minHeight_);
}

void CControlUI::SetMinHeight(int cy) {
    SetSizeLimit(&minHeight_, cy);
}

int CControlUI::MaxHeight() const {
    return Scale(maxHeight_);
}

void CControlUI::SetMaxHeight(int cy) {
    SetSizeLimit(&maxHeight_, cy);
}

UiFloatAnchors CControlUI::FloatAnchors() const {
    return floatAnchors_;
}

void CControlUI::SetFloatAnchors(double left, double top, double right, double bottom) {
    floatAnchors_ = UiFloatAnchors{left, top, right, bottom};
    RequestParentUpdate();
}

CUiString CControlUI::ToolTip() const {
    return textFromResource_ ? CUiTextRegistry::Instance().Text(toolTip_) : toolTip_;
}

void CControlUI::SetToolTip(const wchar_t* text) {
    CUiString tip(text);
    tip.Replace(L"<n>", L"\r\n");
    toolTip_ = tip;
}

void CControlUI::SetToolTipWidth(int cx) {
    toolTipWidth_ = cx;
}

int CControlUI::ToolTipWidth() const {
    return Scale(toolTipWidth_);
}

int CControlUI::CursorId() const {
    return cursorId_;
}

void CControlUI::SetCursorId(int id) {
    cursorId_ = id;
    Invalidate();
}

wchar_t CControlUI::Shortcut() const {
    return shortcut_;
}

void CControlUI::SetShortcut(wchar_t ch) {
    shortcut_ = ch;
}

bool CControlUI::UsesContextMenu() const {
    return usesContextMenu_;
}

void CControlUI::SetUsesContextMenu(bool uses) {
    usesContextMenu_ = uses;
}

const CUiString& CControlUI::UserData() const {
    return userData_;
}

void CControlUI::SetUserData(const wchar_t* text) {
    userData_ = text;
}

UINT_PTR CControlUI::Tag() const {
    return tag_;
}

void CControlUI::SetTag(UINT_PTR tag) {
    tag_ = tag;
}

bool CControlUI::IsVisible() const {
    return visible_ && shownByParent_;
}

void CControlUI::SetVisible(bool visible) {
    if (visible_ == visible) {
        return;
    }
    const bool wasVisible = IsVisible();
    visible_ = visible;
    focused_ = false;
    if (!visible && manager_ != nullptr && manager_->FocusedControl() == this) {
        manager_->FocusControl(nullptr);
    }
    if (IsVisible() != wasVisible) {
        RequestParentUpdate();
    }
}

void CControlUI::SetShownByParent(bool shown) {
    shownByParent_ = shown;
    if (!shown && manager_ != nullptr && manager_->FocusedControl() == this) {
        manager_->FocusControl(nullptr);
    }
}

bool CControlUI::IsEnabled() const {
    return enabled_;
}

void CControlUI::SetEnabled(bool enabled) {
    if (enabled_ != enabled) {
        enabled_ = enabled;
        Invalidate();
    }
}

bool CControlUI::AcceptsMouse() const {
    return acceptsMouse_;
}

void CControlUI::SetAcceptsMouse(bool accepts) {
    acceptsMouse_ = accepts;
}

bool CControlUI::AcceptsKeyboard() const {
    return acceptsKeyboard_;
}

void CControlUI::SetAcceptsKeyboard(bool accepts) {
    acceptsKeyboard_ = accepts;
}

bool CControlUI::HasFocus() const {
    return focused_;
}

void CControlUI::TakeFocus() {
    if (manager_ != nullptr) {
        manager_->FocusControl(this);
    }
}

bool CControlUI::IsFloating() const {
    return floating_;
}

void CControlUI::SetFloating(bool floating) {
    if (floating_ != floating) {
        floating_ = floating;
        RequestParentUpdate();
    }
}

CControlUI* CControlUI::FindBy(FindControlProc visitor, void* data, UINT flags) {
    if ((flags & UiFindVisible) && !IsVisible()) {
        return nullptr;
    }
    if ((flags & UiFindEnabled) && !IsEnabled()) {
        return nullptr;
    }
    if ((flags & UiFindHitTest) &&
        (!AcceptsMouse() || data == nullptr || !PtInRect(&itemRect_, *static_cast<const POINT*>(data)))) {
        return nullptr;
    }
    return visitor(this, data);
}

void CControlUI::Initialize() {
    OnInitialize();
    if (!InitHooks.IsEmpty()) {
        InitHooks.Invoke(this);
    }
}

void CControlUI::OnInitialize() {}

void CControlUI::HandleEvent(UiEvent& event) {
    if (!EventHooks.IsEmpty() && !EventHooks.Invoke(&event)) {
        return;
    }
    ProcessEvent(event);
}

void CControlUI::ProcessEvent(UiEvent& event) {
    switch (event.type) {
    case UiEventType::SetCursor:
        ::SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(cursorId_ != 0 ? cursorId_ : 32512)));
        return;
    case UiEventType::SetFocus:
        focused_ = true;
        Invalidate();
        return;
    case UiEventType::KillFocus:
        focused_ = false;
        Invalidate();
        return;
    case UiEventType::Timer:
        if (manager_ != nullptr) {
            manager_->SendNotify(this, L"timer", event.wParam, event.lParam);
        }
        return;
    case UiEventType::ContextMenu:
        if (UsesContextMenu()) {
            if (manager_ != nullptr) {
                manager_->SendNotify(this, L"menu", event.wParam, event.lParam);
            }
            return;
        }
        break;
    default:
        break;
    }
    if (parent_ != nullptr) {
        parent_->ProcessEvent(event);
    }
}

void CControlUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr || (!TakesStyleName(name) && ApplyStyleValue(value))) {
        return;
    }
    ApplyOwnAttribute(name, value);
}

bool CControlUI::TakesStyleName(const wchar_t*) const {
    return false;
}

void CControlUI::ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"pos")) {
        CUiRect rect = ParseRectValue(value);
        SetFixedOffset(rect.left >= 0 ? rect.left : rect.right, rect.top >= 0 ? rect.top : rect.bottom);
        SetFixedWidth(rect.right - rect.left);
        SetFixedHeight(rect.bottom - rect.top);
    } else if (Is(name, L"float")) {
        if (wcschr(value, L',') == nullptr) {
            SetFloating(ParseBoolValue(value));
        } else {
            UiFloatAnchors anchors = ParseAnchors(value);
            SetFloatAnchors(anchors.left, anchors.top, anchors.right, anchors.bottom);
            SetFloating(true);
        }
    } else if (Is(name, L"padding")) {
        SetPadding(ParseRectValue(value));
    } else if (Is(name, L"bkcolor") || Is(name, L"bkcolor1")) {
        SetBackColor(ParseBackColor(value));
    } else if (Is(name, L"bkcolor2")) {
        SetBackColor2(ParseBackColor(value));
    } else if (Is(name, L"bkcolor3")) {
        SetBackColor3(ParseBackColor(value));
    } else if (Is(name, L"forecolor")) {
        SetForeColor(ParseBackColor(value));
    } else if (Is(name, L"bordercolor")) {
        SetBorderColor(ParseColorValue(value));
    } else if (Is(name, L"focusbordercolor")) {
        SetFocusedBorderColor(ParseColorValue(value));
    } else if (Is(name, L"colorhsl")) {
        SetColorHsl(ParseBoolValue(value));
    } else if (Is(name, L"bordersize")) {
        if (wcschr(value, L',') == nullptr) {
            SetBorderSize(ParseInt(value));
            SetBorderSides(CUiRect());
        } else {
            SetBorderSides(ParseRectValue(value));
        }
    } else if (Is(name, L"leftbordersize")) {
        SetLeftBorderSize(ParseInt(value));
    } else if (Is(name, L"topbordersize")) {
        SetTopBorderSize(ParseInt(value));
    } else if (Is(name, L"rightbordersize")) {
        SetRightBorderSize(ParseInt(value));
    } else if (Is(name, L"bottombordersize")) {
        SetBottomBorderSize(ParseInt(value));
    } else if (Is(name, L"borderstyle")) {
        SetBorderStyle(ParseInt(value));
    } else if (Is(name, L"borderround")) {
        SetBorderRound(ParseSizeValue(value));
    } else if (Is(name, L"bkimage")) {
        SetBackImage(value);
    } else if (Is(name, L"foreimage")) {
        SetForeImage(value);
    } else if (Is(name, L"width")) {
        SetFixedWidth(ParseInt(value));
    } else if (Is(name, L"height")) {
        SetFixedHeight(ParseInt(value));
    } else if (Is(name, L"minwidth")) {
        SetMinWidth(ParseInt(value));
    } else if (Is(name, L"minheight")) {
        SetMinHeight(ParseInt(value));
    } else if (Is(name, L"maxwidth")) {
        SetMaxWidth(ParseInt(value));
    } else if (Is(name, L"maxheight")) {
        SetMaxHeight(ParseInt(value));
    } else if (Is(name, L"name")) {
        SetName(value);
    } else if (Is(name, L"drag")) {
        SetDragSource(ParseBoolValue(value));
    } else if (Is(name, L"drop")) {
        SetDropTarget(ParseBoolValue(value));
    } else if (Is(name, L"resourcetext")) {
        SetTextFromResource(ParseBoolValue(value));
    } else if (Is(name, L"text")) {
        SetText(value);
    } else if (Is(name, L"tooltip")) {
        SetToolTip(value);
    } else if (Is(name, L"userdata")) {
        SetUserData(value);
    } else if (Is(name, L"enabled")) {
        SetEnabled(ParseBoolValue(value));
    } else if (Is(name, L"mouse")) {
        SetAcceptsMouse(ParseBoolValue(value));
    } else if (Is(name, L"keyboard")) {
        SetAcceptsKeyboard(ParseBoolValue(value));
    } else if (Is(name, L"visible")) {
        SetVisible(ParseBoolValue(value));
    } else if (Is(name, L"shortcut")) {
        SetShortcut(value[0]);
    } else if (Is(name, L"menu")) {
        SetUsesContextMenu(ParseBoolValue(value));
    } else if (Is(name, L"cursor")) {
        for (const CursorKeyword& cursor : kCursors) {
            if (Is(value, cursor.keyword)) {
                SetCursorId(cursor.id);
                break;
            }
        }
    } else if (Is(name, L"virtualwnd")) {
        SetVirtualWindow(value);
    } else if (Is(name, L"innerstyle")) {
        ApplyAttributeListText(value);
    }
}

bool CControlUI::TrackFocusQuietly(const UiEvent& event) {
    if (event.type != UiEventType::SetFocus && event.type != UiEventType::KillFocus) {
        return false;
    }
    focused_ = event.type == UiEventType::SetFocus;
    return true;
}

bool CControlUI::ApplyStyleValue(const wchar_t* value) {
    if (manager_ == nullptr || value == nullptr) {
        return false;
    }
    const wchar_t* style = manager_->FindStyle(value);
    if (style == nullptr) {
        return false;
    }
    ApplyAttributeList(style);
    return true;
}

void CControlUI::ApplyAttributeList(const wchar_t* list) {
    if (list == nullptr) {
        return;
    }
    if (styleDepth_ == 0) {
        styleAttributes_ = 0;
    }
    if (manager_ != nullptr) {
        if (const wchar_t* style = manager_->FindStyle(list)) {
            if (styleDepth_ < kMaxStyleDepth) {
                ++styleDepth_;
                ApplyAttributeList(style);
                --styleDepth_;
            }
            return;
        }
    }
    if (styleDepth_ >= kMaxStyleDepth) {
        return;
    }
    ++styleDepth_;
    ApplyAttributeListText(list);
    --styleDepth_;
}

void CControlUI::ApplyAttributeListText(const wchar_t* list) {
    if (list == nullptr) {
        return;
    }
    CUiString text(list);
    text.Replace(L"&quot;", L"\"");
    const wchar_t* position = text.Data();
    while (*position != L'\0') {
        const wchar_t* equals = wcschr(position, L'=');
        if (equals == nullptr) {
            break;
        }
        CUiString name = Trimmed(position, equals);
        position = equals + 1;
        if (*position != L'"') {
            break;
        }
        const wchar_t* valueStart = position + 1;
        const wchar_t* close = wcschr(valueStart, L'"');
        if (close == nullptr) {
            break;
        }
        CUiString value(valueStart, static_cast<int>(close - valueStart));
        if (styleDepth_ > 0 && ++styleAttributes_ > kMaxStyleAttributes) {
            break;
        }
        ApplyAttribute(name, value);
        position = close + 1;
        if (*position != L' ') {
            break;
        }
        ++position;
    }
}

CUiSize CControlUI::MeasureSize(const SIZE&) {
    return CUiSize(FixedWidth(), FixedHeight());
}

void CControlUI::Paint(HDC dc, const RECT& paintRect) {
    if (!IntersectRect(&paintRect_, &paintRect, &itemRect_)) {
        return;
    }
    const CUiSize round = BorderRound();
    UiClipScope clip;
    if (round.cx > 0 || round.cy > 0) {
        clip.ClipToRoundRect(dc, paintRect_, itemRect_, round.cx, round.cy);
    }
    DrawBackColor(dc);
    DrawBackImage(dc);
    DrawStateImage(dc);
    DrawForeColor(dc);
    DrawForeImage(dc);
    DrawTextContent(dc);
    DrawBorder(dc);
}

void CControlUI::DrawBackColor(HDC dc) {
    if (backColor_ == 0) {
        return;
    }
    if (backColor3_ != 0) {
        CUiRect upper = itemRect_;
        upper.bottom = (itemRect_.top + itemRect_.bottom) / 2;
        CUiRect lower = itemRect_;
        lower.top = upper.bottom;
        CUiRender::FillGradient(dc, upper, AdjustColor(backColor_), AdjustColor(backColor2_), true, 8);
        CUiRender::FillGradient(dc, lower, AdjustColor(backColor2_), AdjustColor(backColor3_), true, 8);
    } else if (backColor2_ != 0) {
        CUiRender::FillGradient(dc, itemRect_, AdjustColor(backColor_), AdjustColor(backColor2_), true, 16);
    } else {
        // A translucent colour covers the whole item, an opaque one just the part being painted.
        const DWORD color = AdjustColor(backColor_);
        CUiRender::FillColor(dc, (color >> 24) == 0xFF ? paintRect_ : itemRect_, color);
    }
}

void CControlUI::DrawBackImage(HDC dc) {
    if (!backImage_.IsEmpty()) {
        DrawImage(dc, backImage_);
    }
}

void CControlUI::DrawStateImage(HDC) {}

void CControlUI::DrawForeColor(HDC dc) {
    CUiRender::FillColor(dc, itemRect_, AdjustColor(foreColor_));
}

void CControlUI::DrawForeImage(HDC dc) {
    if (!foreImage_.IsEmpty()) {
        DrawImage(dc, foreImage_);
    }
}

void CControlUI::DrawTextContent(HDC) {}

void CControlUI::DrawBorder(HDC dc) {
    if (borderColor_ == 0 && focusedBorderColor_ == 0) {
        return;
    }
    const int size = BorderSize();
    const CUiSize round = BorderRound();
    const CUiRect sides = BorderSides();
    const CUiRect& item = itemRect_;
    if (size >= 1 && (round.cx >= 1 || round.cy >= 1)) {
        const DWORD color = (HasFocus() && focusedBorderColor_ != 0) ? focusedBorderColor_ : borderColor_;
        CUiRender::StrokeRoundRect(dc, item, size, round.cx, round.cy, AdjustColor(color), borderStyle_);
    } else if (HasFocus() && focusedBorderColor_ != 0 && size > 0) {
        CUiRender::StrokeRect(dc, item, size, AdjustColor(focusedBorderColor_));
    } else if (sides.left < 1 && sides.top < 1 && sides.right < 1 && sides.bottom < 1) {
        if (size >= 1) {
            CUiRender::StrokeRect(dc, item, size, AdjustColor(borderColor_));
        }
    } else {
        const DWORD color = AdjustColor(borderColor_);
        if (sides.left > 0) {
            CUiRender::StrokeLine(dc, {item.left, item.top, item.left, item.bottom}, sides.left, color, borderStyle_);
        }
        if (sides.top > 0) {
            CUiRender::StrokeLine(dc, {item.left, item.top, item.right, item.top}, sides.top, color, borderStyle_);
        }
        if (sides.right > 0) {
            CUiRender::StrokeLine(dc, {item.right - 1, item.top, item.right - 1, item.bottom}, sides.right, color,
                                  borderStyle_);
        }
        if (sides.bottom > 0) {
            CUiRender::StrokeLine(dc, {item.left, item.bottom - 1, item.right, item.bottom - 1}, sides.bottom,
                                  color, borderStyle_);
        }
    }
}

void CControlUI::OnScaleChanged(int) {}

void CControlUI::PaintAfterChildren(HDC, const RECT&) {}

void CControlUI::InvalidateVisible(const RECT& rect) {
    if (manager_ == nullptr) {
        return;
    }
    CUiRect area = rect;
    for (CControlUI* ancestor = parent_; ancestor != nullptr; ancestor = ancestor->parent_) {
        if (!ancestor->IsVisible() || !area.Intersect(ancestor->ItemRect())) {
            return;
        }
    }
    manager_->InvalidateArea(area);
}

void CControlUI::Invalidate() {
    if (IsVisible()) {
        InvalidateVisible(itemRect_);
    }
}

void CControlUI::RequestUpdate() {
    if (!IsVisible()) {
        return;
    }
    updateNeeded_ = true;
    Invalidate();
    if (manager_ != nullptr) {
        manager_->SetNeedsUpdate();
    }
}

void CControlUI::RequestParentUpdate() {
    if (parent_ != nullptr) {
        parent_->RequestUpdate();
        parent_->Invalidate();
    } else {
        RequestUpdate();
    }
    if (manager_ != nullptr) {
        manager_->SetNeedsUpdate();
    }
}

CUiString CControlUI::VirtualWindow() const {
    if (!virtualWindow_.IsEmpty() || parent_ == nullptr) {
        return virtualWindow_;
    }
    return parent_->VirtualWindow();
}

void CControlUI::SetVirtualWindow(const wchar_t* name) {
    virtualWindow_ = name;
    if (manager_ != nullptr) {
        manager_->SetUsesVirtualWindows(true);
    }
}

DWORD CControlUI::AdjustColor(DWORD argb) const {
    if (!colorHsl_ || !CPaintManagerUI::IsHslEnabled()) {
        return argb;
    }
    short hue = 180;
    short saturation = 100;
    short lightness = 100;
    CPaintManagerUI::GetHsl(&hue, &saturation, &lightness);
    return CUiRender::AdjustHsl(argb, hue, saturation, lightness);
}

bool CControlUI::DrawImage(HDC dc, const wchar_t* image, const wchar_t* modify) {
    return CUiRender::PaintImageString(dc, manager_, itemRect_, paintRect_, image, modify);
}

namespace {

template <typename Value>
bool Store(Value& field, const Value& value) {
    if (field == value) {
        return false;
    }
    field = value;
    return true;
}

}  // namespace

void CControlUI::SetBackColor(DWORD argb) {
    if (Store(backColor_, argb)) {
        Invalidate();
    }
}

void CControlUI::SetBackColor2(DWORD argb) {
    if (Store(backColor2_, argb)) {
        Invalidate();
    }
}

void CControlUI::SetBackColor3(DWORD argb) {
    if (Store(backColor3_, argb)) {
        Invalidate();
    }
}

void CControlUI::SetForeColor(DWORD argb) {
    if (Store(foreColor_, argb)) {
        Invalidate();
    }
}

void CControlUI::SetBorderColor(DWORD argb) {
    if (Store(borderColor_, argb)) {
        Invalidate();
    }
}

void CControlUI::SetFocusedBorderColor(DWORD argb) {
    if (Store(focusedBorderColor_, argb)) {
        Invalidate();
    }
}

void CControlUI::SetColorHsl(bool colorHsl) {
    if (Store(colorHsl_, colorHsl)) {
        Invalidate();
    }
}

int CControlUI::BorderSize() const {
    return Scale(borderSize_);
}

void CControlUI::SetBorderSize(int size) {
    if (Store(borderSize_, size)) {
        Invalidate();
    }
}

CUiRect CControlUI::BorderSides() const {
    return ScaleRect(borderSides_);
}

void CControlUI::SetBorderSides(const RECT& sides) {
    if (Store(borderSides_, CUiRect(sides))) {
        Invalidate();
    }
}

void CControlUI::SetLeftBorderSize(int size) {
    if (Store(borderSides_.left, static_cast<LONG>(size))) {
        Invalidate();
    }
}

void CControlUI::SetTopBorderSize(int size) {
    if (Store(borderSides_.top, static_cast<LONG>(size))) {
        Invalidate();
    }
}

void CControlUI::SetRightBorderSize(int size) {
    if (Store(borderSides_.right, static_cast<LONG>(size))) {
        Invalidate();
    }
}

void CControlUI::SetBottomBorderSize(int size) {
    if (Store(borderSides_.bottom, static_cast<LONG>(size))) {
        Invalidate();
    }
}

void CControlUI::SetBorderStyle(int style) {
    if (Store(borderStyle_, style)) {
        Invalidate();
    }
}

CUiSize CControlUI::BorderRound() const {
    return CUiSize(Scale(borderRound_.cx), Scale(borderRound_.cy));
}

void CControlUI::SetBorderRound(const SIZE& round) {
    if (Store(borderRound_, CUiSize(round))) {
        Invalidate();
    }
}

void CControlUI::SetBackImage(const wchar_t* image) {
    // The file behind a name may have changed (a downloaded background),
    // so the window's copy is dropped and loaded again at the next paint.
    if (manager_ != nullptr) {
        if (const UiDrawInfo* info = manager_->LookupDrawInfo(image, nullptr)) {
            manager_->RemoveImage(info->name);
        }
    }
    backImage_ = image;
    Invalidate();
}

void CControlUI::SetForeImage(const wchar_t* image) {
    if (foreImage_ != (image != nullptr ? image : L"")) {
        foreImage_ = image;
        Invalidate();
    }
}

int CControlUI::Scale(int value) const {
    return manager_ != nullptr ? manager_->DpiScale().ScaleValue(value) : value;
}

CUiRect CControlUI::ScaleRect(const RECT& rect) const {
    // Four independent widths, not a rectangle: each is scaled on its own.
    return CUiRect(Scale(rect.left), Scale(rect.top), Scale(rect.right), Scale(rect.bottom));
}

}  // namespace Orvel
