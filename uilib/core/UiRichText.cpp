// Text with inline tags for CUiRender::PaintRichText. Each line is laid out
// twice: once to find its height and width, then again to draw every run
// bottom-aligned on it, so both passes must take the same decisions.
#include "UiRender.h"

#include "PaintManagerUI.h"
#include "UiClipScope.h"
#include "UiDrawInfo.h"
#include "UiFontInfo.h"
#include "UiImageInfo.h"
#include "UiScopedHandles.h"
#include "UiValueParser.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <vector>

namespace Orvel {

namespace {

struct RichFont {
    HFONT font = nullptr;  // owned by a font table of the manager
    int height = 0;        // cell height plus external leading
    CUiString face;
    int size = 0;
    int weight = FW_NORMAL;
    bool underline = false;
    bool italic = false;

    bool Matches(const RichFont& other) const {
        return face == other.face && size == other.size && weight == other.weight &&
               underline == other.underline && italic == other.italic;
    }
};

RichFont FromInfo(const UiFontInfo* info) {
    RichFont font;
    if (info != nullptr) {
        font.font = info->font;
        font.height = info->metrics.tmHeight + info->metrics.tmExternalLeading;
        font.face = info->face;
        font.size = info->size;
        font.weight = info->weight;
        font.underline = info->underline;
        font.italic = info->italic;
    }
    return font;
}

enum class TagKind { Open, Close, Escape };

struct Tag {
    TagKind kind = TagKind::Open;
    wchar_t letter = 0;        // tag name; the literal character of an escape
    CUiString arguments;
    const wchar_t* end = nullptr;  // first character after the tag
};

bool IsCloseChar(wchar_t ch) {
    return ch == L'>' || ch == L'}';
}

// A tag, a closing tag or an escape at `text`; false for anything else, so
// that a stray "<" or an unclosed tag stays visible as text.
bool ReadTag(const wchar_t* text, Tag& tag) {
    if (text[0] != L'<' && text[0] != L'{') {
        return false;
    }
    if (text[1] != L'\0' && text[2] != L'\0') {
        const bool angleEscape = text[0] == L'<' && (text[1] == L'{' || text[1] == L'}') && text[2] == L'>';
        const bool braceEscape = text[0] == L'{' && (text[1] == L'<' || text[1] == L'>') && text[2] == L'}';
        if (angleEscape || braceEscape) {
            tag.kind = TagKind::Escape;
            tag.letter = text[1];
            tag.end = text + 3;
            return true;
        }
    }
    const wchar_t* nameAt = nullptr;
    if (text[1] == L'/') {
        tag.kind = TagKind::Close;
        nameAt = text + 2;
    } else if (text[1] >= L'a' && text[1] <= L'z' && (text[2] == L' ' || IsCloseChar(text[2]))) {
        tag.kind = TagKind::Open;
        nameAt = text + 1;
    } else {
        return false;
    }
    const wchar_t* close = wcspbrk(nameAt, L">}");
    if (close == nullptr) {
        return false;
    }
    tag.letter = *nameAt;
    const wchar_t* arguments = (nameAt < close) ? nameAt + 1 : close;
    while (arguments < close && *arguments == L' ') {
        ++arguments;
    }
    tag.arguments.Assign(arguments, static_cast<int>(close - arguments));
    tag.end = close + 1;
    return true;
}

bool IsRawEnd(const wchar_t* text) {
    return wcsncmp(text, L"</r>", 4) == 0 || wcsncmp(text, L"{/r}", 4) == 0;
}

// Letters and digits of Latin scripts; lines may break after anything else.
bool IsWordCharacter(wchar_t ch) {
    return (ch >= L'0' && ch <= L'9') || (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z') ||
           (ch >= 0xC0 && ch <= 0x24F && ch != 0xD7 && ch != 0xF7);
}

struct RichState {
    const wchar_t* position = nullptr;  // not owned
    std::vector<RichFont> fonts;
    std::vector<DWORD> colors;
    std::vector<int> spacings;
    bool raw = false;
    bool selected = false;
    bool inLink = false;
    bool finished = false;
    CUiString linkTarget;
};

struct Line {
    int top = 0;
    int height = 0;
    int x = 0;
    int maxX = 0;
    int shift = 0;      // drawing offset for centred or right-aligned lines
    int linkStart = 0;  // x where the open link's rectangle on this line starts
    bool draw = false;
    bool done = false;
};

class RichTextPainter {
public:
    RichTextPainter(HDC dc, CPaintManagerUI* manager, DWORD color, UINT format, RECT* linkRects,
                    CUiString* linkTargets, int linkCapacity)
        : dc_(dc), manager_(manager), color_(color), format_(format), linkRects_(linkRects),
          linkTargets_(linkTargets), linkCapacity_(linkCapacity) {
        defaultFont_ = FromInfo(manager_->DefaultFontInfo());
        POINT mouse = manager_->MousePos();
        for (int i = 0; i < linkCapacity_; ++i) {
            if (PtInRect(&linkRects_[i], mouse)) {
                hovered_ = linkTargets_[i];
                hasHovered_ = true;
                break;
            }
        }
    }

    // Lays the text out in `area`; when measuring, `area` receives the size
    // needed.
    void Run(const wchar_t* text, RECT& area) {
        const bool measuring = (format_ & DT_CALCRECT) != 0;
        area_ = area;
        RichState state;
        state.position = text;
        int top = area_.top;
        int maxX = area_.left;
        while (!state.finished) {
            if (!measuring && top >= area_.bottom) {
                break;
            }
            const RichState start = state;
            Line measured;
            measured.top = top;
            LayOutLine(state, measured);
            if (!measuring) {
                Line drawn;
                drawn.top = top;
                drawn.draw = true;
                drawn.height = measured.height;
                drawn.shift = LineShift(measured.maxX - area_.left);
                state = start;
                LayOutLine(state, drawn);
            }
            maxX = std::max(maxX, std::min(measured.maxX, static_cast<int>(area_.right)));
            top += measured.height;
            // Every line consumes text; this guards against one that could not.
            if (SingleLine() || (state.position == start.position && !state.finished)) {
                break;
            }
        }
        if (measuring) {
            area.right = maxX;
            area.bottom = top;
        }
    }

    int LinkCount() const { return linkCount_; }

private:
    bool SingleLine() const { return (format_ & DT_SINGLELINE) != 0; }

    const RichFont& CurrentFont(const RichState& state) const {
        return state.fonts.empty() ? defaultFont_ : state.fonts.back();
    }

    DWORD CurrentColor(const RichState& state) const { return state.colors.empty() ? color_ : state.colors.back(); }

    int LineShift(int width) const {
        const int free = (area_.right - area_.left) - width;
        if (SingleLine() || free <= 0) {
            return 0;
        }
        return (format_ & DT_CENTER) ? free / 2 : (format_ & DT_RIGHT) ? free : 0;
    }

    int MinimumLineHeight(const RichState& state) const {
        int height = CurrentFont(state).height;
        if (!state.spacings.empty()) {
            height += state.spacings.back();
        }
        return height;
    }

    void LayOutLine(RichState& state, Line& line) {
        line.x = area_.left;
        line.maxX = area_.left;
        line.linkStart = line.x;
        if (!line.draw) {
            line.height = MinimumLineHeight(state);
        }
        while (!line.done && !state.finished) {
            const wchar_t* p = state.position;
            if (*p == L'\0') {
                state.finished = true;
                break;
            }
            if (line.x >= area_.right && line.x > area_.left) {
                // A line that ends right at the edge takes its own break along.
                SkipLineBreak(state);
                break;
            }
            if (*p == L'\n') {
                state.position = p + 1;
                line.done = !SingleLine();
                continue;
            }
            if (*p == L'\r') {
                state.position = p + 1;
                continue;
            }
            if (state.raw && IsRawEnd(p)) {
                state.raw = false;
                state.position = p + 4;
                continue;
            }
            Tag tag;
            if (!state.raw && ReadTag(p, tag)) {
                if (tag.kind == TagKind::Escape) {
                    if (PlaceRun(state, line, p + 1, 1) == 1) {
                        state.position = tag.end;
                    }
                } else if (tag.kind == TagKind::Open && tag.letter == L'i' && !tag.arguments.IsEmpty()) {
                    if (PlaceImage(line, tag.arguments)) {
                        state.position = tag.end;
                    }
                } else {
                    state.position = tag.end;
                    if (tag.kind == TagKind::Open) {
                        OpenTag(state, line, tag);
                    } else {
                        CloseTag(state, line, tag.letter);
                    }
                }
                continue;
            }
            const wchar_t* end = p;
            while (*end != L'\0' && *end != L'\n' && *end != L'\r' &&
                   (state.raw ? !IsRawEnd(end) : !ReadTag(end, tag))) {
                ++end;
            }
            state.position = p + PlaceRun(state, line, p, static_cast<int>(end - p));
        }
        if (line.draw && state.inLink) {
            RecordLink(state, line);
        }
    }

    void SkipLineBreak(RichState& state) const {
        const wchar_t* p = state.position;
        while (*p == L'\r') {
            ++p;
        }
        Tag tag;
        if (*p == L'\n') {
            ++p;
        } else if (!state.raw && ReadTag(p, tag) && tag.kind == TagKind::Open && tag.letter == L'n') {
            p = tag.end;
        }
        state.position = p;
    }

    // Places as much of the run as the line takes and returns how much that
    // was; the line ends when the run did not fit.
    int PlaceRun(RichState& state, Line& line, const wchar_t* run, int length) {
        const RichFont& font = CurrentFont(state);
        SelectFont(font);
        const int available = std::max(0, static_cast<int>(area_.right) - line.x);
        int fit = 0;
        SIZE size = {};
        GetTextExtentExPointW(dc_, run, length, available, &fit, nullptr, &size);
        if (fit >= length) {
            Emit(state, line, run, length, size.cx);
            return length;
        }
        const bool lastLine = line.top + 2 * font.height > area_.bottom;
        if ((format_ & DT_END_ELLIPSIS) && (SingleLine() || lastLine)) {
            const int keep = std::max(0, fit - 2);
            SIZE kept = {};
            GetTextExtentPoint32W(dc_, run, keep, &kept);
            Emit(state, line, run, keep, kept.cx);
            SIZE dots = {};
            GetTextExtentPoint32W(dc_, L"...", 3, &dots);
            Emit(state, line, L"...", 3, dots.cx);
            line.x = std::max(line.x, static_cast<int>(area_.right));
            line.maxX = std::max(line.maxX, line.x);
            state.finished = true;
            return length;
        }
        if (SingleLine()) {
            Emit(state, line, run, length, size.cx);
            state.finished = true;
            return length;
        }
        int cut = fit;
        if (format_ & DT_WORDBREAK) {
            cut = BreakPosition(run, length, fit);
            if (cut == 0 && line.x == area_.left) {
                cut = fit;
            }
        }
        if (cut == 0 && line.x == area_.left) {
            cut = 1;
        }
        if (cut > 0) {
            SIZE part = {};
            GetTextExtentPoint32W(dc_, run, cut, &part);
            Emit(state, line, run, cut, part.cx);
        }
        line.done = true;
        return cut;
    }

    // After the last space or non-letter that fits; a space right after the
    // fitting part hangs at the end of the line.
    static int BreakPosition(const wchar_t* run, int length, int fit) {
        if (fit < length && run[fit] == L' ') {
            return fit + 1;
        }
        for (int i = fit - 1; i >= 0; --i) {
            if (!IsWordCharacter(run[i])) {
                return i + 1;
            }
        }
        return 0;
    }

    void Emit(const RichState& state, Line& line, const wchar_t* run, int length, int width) {
        const RichFont& font = CurrentFont(state);
        if (!line.draw) {
            line.height = std::max(line.height, font.height);
        } else if (length > 0) {
            SelectFont(font);
            SetTextColor(dc_, ToColorRef(CurrentColor(state)));
            if (state.selected) {
                SetBkMode(dc_, OPAQUE);
                SetBkColor(dc_, ToColorRef(manager_->DefaultSelectedBkColor()));
            } else {
                SetBkMode(dc_, TRANSPARENT);
            }
            TextOutW(dc_, line.x + line.shift, line.top + line.height - font.height, run, length);
        }
        line.x += width;
        line.maxX = std::max(line.maxX, line.x);
    }

    // False when the image has to wait for the next line.
    bool PlaceImage(Line& line, const CUiString& arguments) {
        CUiString name;
        CUiString type;
        UiImagePairReader reader(arguments);
        CUiString key;
        CUiString value;
        bool anyPair = false;
        while (reader.Next(key, value)) {
            anyPair = true;
            if (key == L"file" || key == L"res") {
                name = value;
            } else if (key == L"restype") {
                type = value;
            }
        }
        const wchar_t* rest = reader.Position();
        if (!anyPair) {
            const wchar_t* space = wcschr(arguments.Data(), L' ');
            name.Assign(arguments.Data(), space != nullptr ? static_cast<int>(space - arguments.Data()) : -1);
            rest = space != nullptr ? space : L"";
        }
        const wchar_t* afterCount = rest;
        int count = ParseInt(rest, &afterCount);
        count = std::max(count, 1);
        int index = ParseInt(afterCount);
        if (index < 0 || index >= count) {
            index = 0;
        }
        const UiImageInfo* image =
            manager_->FindOrLoadImage(name, type.IsEmpty() ? nullptr : type.Data(), 0, false, nullptr);
        if (image == nullptr || image->bitmap == nullptr || image->width / count <= 0) {
            return true;
        }
        const int frameWidth = image->width / count;
        if (!SingleLine() && line.x > area_.left && line.x + frameWidth > area_.right) {
            line.done = true;
            return false;
        }
        if (!line.draw) {
            line.height = std::max(line.height, image->height);
        } else {
            const int top = image->height < line.height ? line.top + (line.height - image->height) / 2
                                                        : line.top + line.height - image->height;
            const int left = line.x + line.shift;
            RECT dest = {left, top, left + frameWidth, top + image->height};
            RECT source = {index * frameWidth, 0, (index + 1) * frameWidth, image->height};
            RECT noCorners = {0, 0, 0, 0};
            CUiRender::PaintImage(dc_, image->bitmap, dest, area_, source, noCorners, image->hasAlpha, 255);
        }
        line.x += frameWidth;
        line.maxX = std::max(line.maxX, line.x);
        return true;
    }

    void OpenTag(RichState& state, Line& line, const Tag& tag) {
        const RichFont current = CurrentFont(state);
        switch (tag.letter) {
        case L'a': {
            DWORD color = color_ != 0 ? color_ : manager_->DefaultLinkFontColor();
            if (hasHovered_ && hovered_ == tag.arguments) {
                color = manager_->DefaultLinkHoverFontColor();
            }
            state.colors.push_back(color);
            state.fonts.push_back(Variant(current, current.weight, true, current.italic));
            state.inLink = true;
            state.linkTarget = tag.arguments;
            line.linkStart = line.x;
            break;
        }
        case L'b':
            state.fonts.push_back(current.weight == FW_BOLD ? current
                                                            : Variant(current, FW_BOLD, current.underline,
                                                                      current.italic));
            break;
        case L'c':
            state.colors.push_back(ParseColorValue(tag.arguments));
            break;
        case L'f':
            state.fonts.push_back(FontTag(current, tag.arguments));
            break;
        case L'i':
            state.fonts.push_back(current.italic ? current
                                                 : Variant(current, current.weight, current.underline, true));
            break;
        case L'n':
            line.done = !SingleLine();
            break;
        case L'p': {
            const int spacing = ParseInt(tag.arguments);
            if (line.x > area_.left && !SingleLine()) {
                line.done = true;
            } else if (!line.draw) {
                line.height = std::max(line.height, current.height + spacing);
            }
            state.spacings.push_back(spacing);
            break;
        }
        case L'r':
            state.raw = true;
            break;
        case L's':
            state.selected = true;
            break;
        case L'u':
            state.fonts.push_back(current.underline ? current
                                                    : Variant(current, current.weight, true, current.italic));
            break;
        case L'x':
            line.x = std::max(static_cast<int>(area_.left), line.x + ParseInt(tag.arguments));
            line.maxX = std::max(line.maxX, std::min(line.x, static_cast<int>(area_.right)));
            break;
        case L'y':
            if (!line.draw) {
                line.height = std::max(0, ParseInt(tag.arguments));
            }
            break;
        default:
            break;
        }
    }

    void CloseTag(RichState& state, Line& line, wchar_t letter) {
        switch (letter) {
        case L'a':
            PopFont(state);
            if (!state.colors.empty()) {
                state.colors.pop_back();
            }
            if (line.draw && state.inLink) {
                RecordLink(state, line);
            }
            state.inLink = false;
            break;
        case L'b':
        case L'f':
        case L'i':
        case L'u':
            PopFont(state);
            break;
        case L'c':
            if (!state.colors.empty()) {
                state.colors.pop_back();
            }
            break;
        case L'p':
            if (!state.spacings.empty()) {
                state.spacings.pop_back();
            }
            break;
        case L's':
            state.selected = false;
            break;
        default:
            break;
        }
    }

    static void PopFont(RichState& state) {
        if (!state.fonts.empty()) {
            state.fonts.pop_back();
        }
    }

    void RecordLink(const RichState& state, Line& line) {
        if (linkCount_ < linkCapacity_ && line.x > line.linkStart) {
            linkRects_[linkCount_] = {line.linkStart + line.shift, line.top, line.x + line.shift,
                                      line.top + line.height};
            linkTargets_[linkCount_] = state.linkTarget;
            ++linkCount_;
        }
        line.linkStart = line.x;
    }

    // "<f 3>" names a registered font; "<f face 12 bold italic>" describes one.
    RichFont FontTag(const RichFont& current, const CUiString& arguments) {
        if (arguments.IsEmpty()) {
            return current;
        }
        if (iswdigit(arguments.CharAt(0))) {
            return FromInfo(manager_->FontInfoById(ParseInt(arguments)));
        }
        // The face may hold spaces; it ends at the size or a style word.
        const wchar_t* text = arguments.Data();
        const wchar_t* p = text;
        CUiString face;
        while (true) {
            while (*p == L' ') {
                ++p;
            }
            const wchar_t* word = p;
            while (*p != L'\0' && *p != L' ') {
                ++p;
            }
            CUiString token(word, static_cast<int>(p - word));
            if (token.IsEmpty() || iswdigit(token.CharAt(0)) || token.CompareNoCase(L"bold") == 0 ||
                token.CompareNoCase(L"underline") == 0 || token.CompareNoCase(L"italic") == 0) {
                p = word;
                break;
            }
            if (!face.IsEmpty()) {
                face += L' ';
            }
            face += token;
        }
        CUiString rest(p);
        rest.ToLower();
        RichFont wanted;
        wanted.face = face;
        wanted.size = 10;
        for (const wchar_t* q = rest.Data(); *q != L'\0'; ++q) {
            if (iswdigit(*q)) {
                wanted.size = ParseInt(q);
                break;
            }
        }
        wanted.weight = rest.Find(L"bold") >= 0 ? FW_BOLD : 0;
        wanted.underline = rest.Find(L"underline") >= 0;
        wanted.italic = rest.Find(L"italic") >= 0;
        return Find(wanted);
    }

    RichFont Variant(const RichFont& base, int weight, bool underline, bool italic) {
        RichFont wanted = base;
        wanted.weight = weight;
        wanted.underline = underline;
        wanted.italic = italic;
        return Find(wanted);
    }

    // An existing font of these attributes, else a new one registered under
    // the next rich-text id; fonts made earlier in this drawing are reused
    // even after a newer one took their id.
    RichFont Find(const RichFont& wanted) {
        HFONT existing =
            manager_->FindFontByAttributes(wanted.face, wanted.size, wanted.weight, wanted.underline, wanted.italic);
        if (existing != nullptr) {
            return FromInfo(manager_->FontInfoByHandle(existing));
        }
        for (const RichFont& made : created_) {
            if (made.Matches(wanted)) {
                return made;
            }
        }
        HFONT font = manager_->RegisterRichTextFont(wanted.face, wanted.size, wanted.weight, wanted.underline,
                                                    wanted.italic);
        if (font == nullptr) {
            return defaultFont_;
        }
        RichFont made = FromInfo(manager_->FontInfoByHandle(font));
        created_.push_back(made);
        return made;
    }

    void SelectFont(const RichFont& font) {
        if (font.font != nullptr && font.font != selected_) {
            SelectObject(dc_, font.font);
            selected_ = font.font;
        }
    }

    HDC dc_;                    // not owned
    CPaintManagerUI* manager_;  // not owned
    DWORD color_;
    UINT format_;
    RECT* linkRects_;           // not owned
    CUiString* linkTargets_;    // not owned
    int linkCapacity_;
    int linkCount_ = 0;
    RECT area_ = {};
    RichFont defaultFont_;
    std::vector<RichFont> created_;
    CUiString hovered_;
    bool hasHovered_ = false;
    HFONT selected_ = nullptr;  // not owned
};

// Restores what drawing text changes in the device context.
class ScopedTextState {
public:
    explicit ScopedTextState(HDC dc)
        : dc_(dc), font_(GetCurrentObject(dc, OBJ_FONT)), textColor_(GetTextColor(dc)), backColor_(GetBkColor(dc)),
          backMode_(GetBkMode(dc)) {}
    ~ScopedTextState() {
        SelectObject(dc_, font_);
        SetTextColor(dc_, textColor_);
        SetBkColor(dc_, backColor_);
        SetBkMode(dc_, backMode_);
    }
    ScopedTextState(const ScopedTextState&) = delete;
    ScopedTextState& operator=(const ScopedTextState&) = delete;

private:
    HDC dc_;         // not owned
    HGDIOBJ font_;   // not owned
    COLORREF textColor_;
    COLORREF backColor_;
    int backMode_;
};

class ScopedTextFonts {
public:
    explicit ScopedTextFonts(CPaintManagerUI* manager) : manager_(manager) { manager_->BeginTextFontScope(); }
    ~ScopedTextFonts() { manager_->EndTextFontScope(); }
    ScopedTextFonts(const ScopedTextFonts&) = delete;
    ScopedTextFonts& operator=(const ScopedTextFonts&) = delete;

private:
    CPaintManagerUI* manager_;  // not owned
};

}  // namespace

void CUiRender::PaintRichText(HDC dc, CPaintManagerUI* manager, RECT& rect, const wchar_t* text, DWORD argb,
                              RECT* linkRects, CUiString* linkTargets, int& linkCount, UINT format) {
    const int capacity = (linkRects != nullptr && linkTargets != nullptr) ? std::max(linkCount, 0) : 0;
    linkCount = 0;
    if (dc == nullptr || manager == nullptr || text == nullptr || *text == L'\0' || IsRectEmpty(&rect)) {
        return;
    }
    RECT area = rect;
    if (!(format & DT_CALCRECT) && (format & (DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM))) {
        RECT measured = rect;
        int none = 0;
        PaintRichText(dc, manager, measured, text, argb, nullptr, nullptr, none, format | DT_CALCRECT);
        const int width = measured.right - measured.left;
        const int height = measured.bottom - measured.top;
        if ((format & DT_SINGLELINE) && width < area.right - area.left) {
            if (format & DT_CENTER) {
                area.left += (area.right - area.left - width) / 2;
                area.right = area.left + width;
            } else if (format & DT_RIGHT) {
                area.left = area.right - width;
            }
        }
        if (height < area.bottom - area.top) {
            if (format & DT_VCENTER) {
                area.top += (area.bottom - area.top - height) / 2;
                area.bottom = area.top + height;
            } else if (format & DT_BOTTOM) {
                area.top = area.bottom - height;
            }
        }
    }
    // Fonts made for this text must outlive the context's selection of them.
    ScopedTextFonts fonts(manager);
    ScopedTextState textState(dc);
    UiClipScope clip;
    if (!(format & DT_CALCRECT)) {
        clip.ClipToRect(dc, rect);
    }
    RichTextPainter painter(dc, manager, argb, format, linkRects, linkTargets, capacity);
    if (format & DT_CALCRECT) {
        painter.Run(text, rect);
    } else {
        painter.Run(text, area);
    }
    linkCount = painter.LinkCount();
}

}  // namespace Orvel
