#include "UiMarkup.h"

#include "UiFileReader.h"
#include "UiPlatform.h"
#include "UiResourceLocation.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <vector>

namespace Orvel {

namespace {

bool IsNameChar(wchar_t ch) {
    return iswalnum(ch) || ch == L'_' || ch == L':';
}

template <typename Char>
void SkipWhitespace(Char*& position) {
    while (*position > 0 && *position <= L' ') {
        position = CharNextW(position);
    }
}

struct Entity {
    const wchar_t* text;
    size_t length;
    wchar_t value;
};

const Entity kEntities[] = {
    {L"&amp;", 5, L'&'}, {L"&lt;", 4, L'<'}, {L"&gt;", 4, L'>'}, {L"&quot;", 6, L'"'}, {L"&apos;", 6, L'\''},
};

// Decodes in place up to `end` or the end of the text and returns where the
// decoded text ends; the freed units up to `end` become spaces so that the
// buffer stays a continuous row of NUL-separated slices.
wchar_t* DecodeText(wchar_t*& position, wchar_t end) {
    wchar_t* write = position;
    while (*position != L'\0' && *position != end) {
        if (*position == L'&') {
            const Entity* match = nullptr;
            for (const Entity& entity : kEntities) {
                if (wcsncmp(position, entity.text, entity.length) == 0) {
                    match = &entity;
                    break;
                }
            }
            if (match != nullptr) {
                *write++ = match->value;
                position += match->length;
                continue;
            }
        }
        *write++ = *position++;
    }
    for (wchar_t* fill = write; fill < position; ++fill) {
        *fill = L' ';
    }
    return write;
}

const wchar_t kEmpty[] = L"";

}  // namespace

// An element whose children are being parsed.
struct CUiMarkup::OpenElement {
    int element;
    wchar_t* nameEnd;
    wchar_t* textEnd;
};

CUiMarkupNode::CUiMarkupNode() : element_(0), attributeCount_(0), attributes_(), markup_(nullptr) {}

CUiMarkupNode::CUiMarkupNode(CUiMarkup* markup, int element)
    : element_(element), attributeCount_(0), attributes_(), markup_(markup) {}

const wchar_t* CUiMarkupNode::Name() const {
    if (markup_ == nullptr) {
        return nullptr;
    }
    return markup_->text_ + markup_->elements_[element_].name;
}

const wchar_t* CUiMarkupNode::Value() const {
    if (markup_ == nullptr) {
        return nullptr;
    }
    return markup_->text_ + markup_->elements_[element_].data;
}

CUiMarkupNode CUiMarkupNode::FirstChild() const {
    if (markup_ == nullptr || markup_->elements_[element_].child == 0) {
        return CUiMarkupNode();
    }
    return CUiMarkupNode(markup_, markup_->elements_[element_].child);
}

CUiMarkupNode CUiMarkupNode::NextSibling() const {
    if (markup_ == nullptr || markup_->elements_[element_].next == 0) {
        return CUiMarkupNode();
    }
    return CUiMarkupNode(markup_, markup_->elements_[element_].next);
}

bool CUiMarkupNode::HasChildren() const {
    return markup_ != nullptr && markup_->elements_[element_].child != 0;
}

bool CUiMarkupNode::HasAttributes() const {
    return AttributeCount() > 0;
}

int CUiMarkupNode::AttributeCount() const {
    if (markup_ == nullptr) {
        return 0;
    }
    if (attributeCount_ == 0) {
        MapAttributes();
    }
    return attributeCount_;
}

const wchar_t* CUiMarkupNode::AttributeText(int index, bool value) const {
    if (markup_ == nullptr) {
        return nullptr;
    }
    if (index < 0 || index >= AttributeCount()) {
        return kEmpty;
    }
    return markup_->text_ + (value ? attributes_[index].value : attributes_[index].name);
}

const wchar_t* CUiMarkupNode::AttributeName(int index) const {
    return AttributeText(index, false);
}

const wchar_t* CUiMarkupNode::AttributeValue(int index) const {
    return AttributeText(index, true);
}

bool CUiMarkupNode::FindAttribute(const wchar_t* name, wchar_t* buffer, int size) const {
    if (name == nullptr) {
        return false;
    }
    int count = AttributeCount();
    for (int i = 0; i < count; ++i) {
        if (_wcsicmp(markup_->text_ + attributes_[i].name, name) == 0) {
            if (buffer != nullptr && size > 0) {
                wcsncpy(buffer, markup_->text_ + attributes_[i].value, static_cast<size_t>(size));
            }
            return true;
        }
    }
    return false;
}

// Walks the NUL-separated slices the parser left in the start tag. Every
// read stays before the element's data offset, which ends the start tag.
void CUiMarkupNode::MapAttributes() const {
    attributeCount_ = 0;
    const wchar_t* text = markup_->text_;
    const CUiMarkup::Element& element = markup_->elements_[element_];
    const wchar_t* end = text + element.data;
    const wchar_t* position = text + element.name;
    position += wcslen(position) + 1;
    while (position < end && attributeCount_ < kMaxAttributes) {
        SkipWhitespace(position);
        if (position >= end) {
            return;
        }
        const wchar_t* name = position;
        position += wcslen(position) + 1;
        if (position >= end) {
            return;
        }
        SkipWhitespace(position);
        if (position >= end || *position != L'"') {
            return;
        }
        ++position;
        attributes_[attributeCount_].name = static_cast<int>(name - text);
        attributes_[attributeCount_].value = static_cast<int>(position - text);
        ++attributeCount_;
        position += wcslen(position) + 1;
    }
}

CUiMarkup::CUiMarkup(const wchar_t* text)
    : text_(nullptr), elements_(nullptr), count_(0), capacity_(0), errorMessage_(), errorLocation_() {
    if (text != nullptr) {
        Load(text);
    }
}

CUiMarkup::~CUiMarkup() {
    Release();
}

void CUiMarkup::Release() {
    free(text_);
    text_ = nullptr;
    free(elements_);
    elements_ = nullptr;
    count_ = 0;
    capacity_ = 0;
}

CUiMarkupNode CUiMarkup::GetRoot() {
    if (count_ < 2) {
        return CUiMarkupNode();
    }
    return CUiMarkupNode(this, 1);
}

bool CUiMarkup::Failed(const wchar_t* message, const wchar_t* location) {
    wcsncpy(errorMessage_, message, 99);
    errorMessage_[99] = L'\0';
    wcsncpy(errorLocation_, location != nullptr ? location : kEmpty, 49);
    errorLocation_[49] = L'\0';
    return false;
}

bool CUiMarkup::TakeText(wchar_t* text) {
    text_ = text;
    if (!Parse()) {
        Release();
        return false;
    }
    return true;
}

// Every load takes its input before it releases the document it replaces:
// the input may be a text of that very document (a node's name or value).
bool CUiMarkup::Load(const wchar_t* text) {
    if (text == nullptr) {
        text = kEmpty;
    }
    size_t length = wcslen(text);
    wchar_t* copy = nullptr;
    if (length < INT_MAX / 2) {
        copy = static_cast<wchar_t*>(malloc((length + 1) * sizeof(wchar_t)));
        if (copy != nullptr) {
            wmemcpy(copy, text, length + 1);
        }
    }
    Release();
    if (length >= INT_MAX / 2) {
        return Failed(L"File too large");
    }
    if (copy == nullptr) {
        return Failed(L"Out of memory");
    }
    return TakeText(copy);
}

bool CUiMarkup::LoadFromMemory(const void* bytes, size_t size, MarkupEncoding encoding) {
    wchar_t* text = nullptr;
    const wchar_t* error = DecodeInput(bytes, size, encoding, text);
    Release();
    if (error != nullptr) {
        return Failed(error);
    }
    return TakeText(text);
}

const wchar_t* CUiMarkup::DecodeInput(const void* bytes, size_t size, MarkupEncoding encoding, wchar_t*& text) {
    text = nullptr;
    if (bytes == nullptr) {
        size = 0;
    }
    // Offsets into the text are ints.
    if (size >= INT_MAX / 2) {
        return L"File too large";
    }
    const auto* data = static_cast<const unsigned char*>(bytes);
    if (encoding == MarkupEncoding::Utf8 || encoding == MarkupEncoding::Ansi) {
        UINT codePage = CP_ACP;
        if (encoding == MarkupEncoding::Utf8) {
            codePage = CP_UTF8;
            if (size > 2 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
                data += 3;
                size -= 3;
            }
        }
        const char* source = reinterpret_cast<const char*>(data);
        int units = size == 0 ? 0 : MultiByteToWideChar(codePage, 0, source, static_cast<int>(size), nullptr, 0);
        text = static_cast<wchar_t*>(malloc((static_cast<size_t>(units) + 1) * sizeof(wchar_t)));
        if (text == nullptr) {
            return L"Out of memory";
        }
        if (units > 0) {
            units = MultiByteToWideChar(codePage, 0, source, static_cast<int>(size), text, units);
        }
        text[units] = L'\0';
        return nullptr;
    }
    bool bigEndian = size >= 2 && data[0] == 0xFE && data[1] == 0xFF;
    bool littleEndian = size >= 2 && data[0] == 0xFF && data[1] == 0xFE;
    if (!bigEndian && !littleEndian) {
        return L"Missing byte-order mark";
    }
    size_t units = (size & ~static_cast<size_t>(1)) / 2 - 1;
    text = static_cast<wchar_t*>(malloc((units + 1) * sizeof(wchar_t)));
    if (text == nullptr) {
        return L"Out of memory";
    }
    const unsigned char* pair = data + 2;
    for (size_t i = 0; i < units; ++i, pair += 2) {
        text[i] = bigEndian ? static_cast<wchar_t>((pair[0] << 8) | pair[1])
                            : static_cast<wchar_t>(pair[0] | (pair[1] << 8));
    }
    text[units] = L'\0';
    return nullptr;
}

bool CUiMarkup::LoadFromFile(const wchar_t* name, MarkupEncoding encoding) {
    const CUiString ownName(name != nullptr ? name : kEmpty);
    Release();
    if (name == nullptr) {
        return Failed(L"Error opening file");
    }
    std::vector<unsigned char> block;
    if (!UiResourceLocation::ResourceZip().IsEmpty()) {
        switch (ReadSkinZipEntry(ownName.Data(), kMaxFileSize, block)) {
        case UiReadResult::Ok:
            return LoadFromMemory(block.data(), block.size(), encoding);
        case UiReadResult::OpenFailed:
            return Failed(L"Error opening zip file");
        case UiReadResult::NotFound:
            return Failed(L"Could not find ziped file");
        case UiReadResult::Empty:
            return Failed(L"File is empty");
        case UiReadResult::TooLarge:
            return Failed(L"File too large");
        default:
            return Failed(L"Could not unzip file");
        }
    }
    CUiString path = UiResourceLocation::ResourcePath() + ownName;
    switch (ReadFileBytes(path.Data(), kMaxFileSize, block)) {
    case UiReadResult::Ok:
        return LoadFromMemory(block.data(), block.size(), encoding);
    case UiReadResult::Empty:
        return Failed(L"File is empty");
    case UiReadResult::TooLarge:
        return Failed(L"File too large");
    case UiReadResult::ReadFailed:
        return Failed(L"Could not read file");
    default:
        return Failed(L"Error opening file");
    }
}

int CUiMarkup::AddElement(int parent, int previous, const wchar_t* name) {
    if (count_ >= capacity_) {
        if (capacity_ > (INT_MAX - 500) / 2) {
            return -1;
        }
        int capacity = capacity_ + capacity_ / 2 + 500;
        auto* elements = static_cast<Element*>(realloc(elements_, static_cast<size_t>(capacity) * sizeof(Element)));
        if (elements == nullptr) {
            return -1;
        }
        elements_ = elements;
        capacity_ = capacity;
    }
    int index = count_++;
    elements_[index] = Element{static_cast<int>(name - text_), 0, 0, parent, 0};
    if (previous != 0) {
        elements_[previous].next = index;
    } else if (parent != 0) {
        elements_[parent].child = index;
    }
    return index;
}

// Runs right after an element name. Each name and value is terminated in
// place; "=" turns into a space so the attribute cache can walk the slices.
bool CUiMarkup::ParseAttributes(wchar_t*& position) {
    if (*position == L'>' || (position[0] == L'/' && position[1] == L'>')) {
        return true;
    }
    *position++ = L'\0';
    SkipWhitespace(position);
    while (*position != L'\0' && *position != L'>' && *position != L'/') {
        wchar_t* nameEnd = position;
        while (IsNameChar(*nameEnd)) {
            ++nameEnd;
        }
        position = nameEnd;
        SkipWhitespace(position);
        if (*position != L'=') {
            return Failed(L"Error while parsing attributes", position);
        }
        *position = L' ';
        *nameEnd = L'\0';
        ++position;
        SkipWhitespace(position);
        if (*position != L'"') {
            return Failed(L"Expected attribute value", position);
        }
        ++position;
        wchar_t* valueEnd = DecodeText(position, L'"');
        if (*position == L'\0') {
            return Failed(L"Error while parsing attribute string", position);
        }
        *valueEnd = L'\0';
        if (valueEnd != position) {
            *position = L' ';
        }
        ++position;
        SkipWhitespace(position);
    }
    return true;
}

// At "</" of an open element: checks the end tag and finishes the element.
bool CUiMarkup::CloseElement(wchar_t*& position, const OpenElement& open) {
    *open.textEnd = L'\0';
    position[0] = L'\0';
    position += 2;
    SkipWhitespace(position);
    const wchar_t* name = text_ + elements_[open.element].name;
    size_t nameLength = static_cast<size_t>(open.nameEnd - name);
    if (wcsncmp(position, name, nameLength) != 0) {
        return Failed(L"Unmatched closing tag", position);
    }
    position += nameLength;
    SkipWhitespace(position);
    if (*position != L'>') {
        return Failed(L"Unmatched closing tag", position);
    }
    ++position;
    *open.nameEnd = L'\0';
    SkipWhitespace(position);
    return true;
}

// Iterative rather than recursive: nesting depth comes from the input and
// must not be able to exhaust the stack.
bool CUiMarkup::Parse() {
    count_ = 0;
    errorMessage_[0] = L'\0';
    errorLocation_[0] = L'\0';
    if (AddElement(0, 0, text_) < 0) {
        return Failed(L"Out of memory");
    }
    std::vector<OpenElement> open;
    // An unclosed element at the first two levels is accepted; its name
    // still has to end where it ended.
    auto succeed = [&open]() {
        for (const OpenElement& element : open) {
            *element.nameEnd = L'\0';
        }
        return true;
    };
    wchar_t* position = text_;
    int parent = 0;
    int previous = 0;
    for (;;) {
        SkipWhitespace(position);
        if (*position == L'\0' && parent <= 1) {
            return succeed();
        }
        if (*position != L'<') {
            return Failed(L"Expected start tag", position);
        }
        if (position[1] == L'/') {
            // The end tag of the element whose children these were; at the
            // top level it ends the document.
            if (open.empty()) {
                return true;
            }
            OpenElement closing = open.back();
            open.pop_back();
            if (!CloseElement(position, closing)) {
                return false;
            }
            previous = closing.element;
            parent = elements_[closing.element].parent;
            continue;
        }
        *position++ = L'\0';
        SkipWhitespace(position);
        if (*position == L'!' || *position == L'?') {
            wchar_t closer = *position == L'!' ? L'-' : L'?';
            while (*position != L'\0' && !(position[0] == closer && position[1] == L'>')) {
                position = CharNextW(position);
            }
            if (*position != L'\0') {
                position += 2;
            }
            continue;
        }
        int element = AddElement(parent, previous, position);
        if (element < 0) {
            return Failed(L"Out of memory", position);
        }
        previous = element;
        while (IsNameChar(*position)) {
            ++position;
        }
        if (*position == L'\0') {
            return Failed(L"Error parsing element name", position);
        }
        wchar_t* nameEnd = position;
        if (!ParseAttributes(position)) {
            return false;
        }
        SkipWhitespace(position);
        if (position[0] == L'/' && position[1] == L'>') {
            elements_[element].data = static_cast<int>(position - text_);
            position[0] = L'\0';
            position += 2;
            *nameEnd = L'\0';
            continue;
        }
        if (*position != L'>') {
            return Failed(L"Expected start-tag closing", position);
        }
        ++position;
        elements_[element].data = static_cast<int>(position - text_);
        OpenElement current = {element, nameEnd, DecodeText(position, L'<')};
        if (*position == L'\0') {
            if (parent <= 1) {
                open.push_back(current);
                return succeed();
            }
            return Failed(L"Expected end-tag start", position);
        }
        if (position[1] != L'/') {
            open.push_back(current);
            parent = element;
            previous = 0;
            continue;
        }
        if (!CloseElement(position, current)) {
            return false;
        }
    }
}

}  // namespace Orvel
