#pragma once
#include <cstddef>

namespace Orvel {

// Any value other than these is read as Utf16.
enum class MarkupEncoding : int { Utf8 = 0, Utf16 = 1, Ansi = 2 };

class CUiMarkup;

// A handle to one element of a loaded markup: valid only while the markup
// stays loaded; every text it returns points into the markup's buffer.
class CUiMarkupNode {
public:
    static constexpr int kMaxAttributes = 64;

    CUiMarkupNode();

    bool IsValid() const { return markup_ != nullptr; }
    // Null for an invalid node.
    const wchar_t* Name() const;
    // The element's text before its first child; null for an invalid node.
    const wchar_t* Value() const;
    CUiMarkupNode FirstChild() const;
    CUiMarkupNode NextSibling() const;
    bool HasChildren() const;

    bool HasAttributes() const;
    // Attributes after the 64th of an element are not visible.
    int AttributeCount() const;
    // "" for an index out of range; null for an invalid node.
    const wchar_t* AttributeName(int index) const;
    const wchar_t* AttributeValue(int index) const;
    // First attribute named `name` (case ignored); copies at most `size`
    // units of its value with wcsncpy rules (a value that fills the buffer
    // is not terminated).
    bool FindAttribute(const wchar_t* name, wchar_t* buffer, int size) const;

private:
    friend class CUiMarkup;
    CUiMarkupNode(CUiMarkup* markup, int element);
    void MapAttributes() const;
    const wchar_t* AttributeText(int index, bool value) const;

    int element_;
    mutable int attributeCount_;
    mutable struct {
        int name;
        int value;
    } attributes_[kMaxAttributes];
    CUiMarkup* markup_;  // not owned; null for an invalid node
};

// The skin's XML-like markup, parsed in place into a flat element table.
// Elements, double-quoted attributes, five entities, comments, processing
// instructions and text before the first child; no namespaces, CDATA or DTD.
class CUiMarkup {
public:
    // With a text, it is loaded at once.
    explicit CUiMarkup(const wchar_t* text = nullptr);
    ~CUiMarkup();
    CUiMarkup(const CUiMarkup&) = delete;
    CUiMarkup& operator=(const CUiMarkup&) = delete;

    // Each load takes its input (which may be a text of the current document)
    // before it releases the previous document, and leaves the markup
    // released when it fails; the error texts tell why.
    bool Load(const wchar_t* text);
    bool LoadFromMemory(const void* bytes, size_t size, MarkupEncoding encoding = MarkupEncoding::Utf8);
    // Reads `name` below the resource path, or from the resource zip when one
    // is set (see UiResourceLocation).
    bool LoadFromFile(const wchar_t* name, MarkupEncoding encoding = MarkupEncoding::Utf8);
    void Release();

    // Element 1, or an invalid node when nothing is loaded.
    CUiMarkupNode GetRoot();
    const wchar_t* ErrorMessage() const { return errorMessage_; }
    const wchar_t* ErrorLocation() const { return errorLocation_; }

    static constexpr size_t kMaxFileSize = 4 * 1024 * 1024;

private:
    friend class CUiMarkupNode;

    struct Element {
        int name;
        int child;
        int next;
        int parent;
        int data;
    };
    struct OpenElement;

    // Converts the input into a new text block (owned by the caller); the
    // failure message, or null.
    static const wchar_t* DecodeInput(const void* bytes, size_t size, MarkupEncoding encoding, wchar_t*& text);
    bool TakeText(wchar_t* text);
    bool Parse();
    int AddElement(int parent, int previous, const wchar_t* name);
    bool ParseAttributes(wchar_t*& position);
    bool CloseElement(wchar_t*& position, const OpenElement& open);
    bool Failed(const wchar_t* message, const wchar_t* location = nullptr);

    wchar_t* text_;      // owned; the parser writes terminators into it
    Element* elements_;  // owned; entry 0 is the empty link
    int count_;
    int capacity_;
    wchar_t errorMessage_[100];
    wchar_t errorLocation_[50];
};

}  // namespace Orvel
