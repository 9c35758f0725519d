#pragma once
#include "TestEnv.h"
#include "UiMarkup.h"
#include "UiPlatform.h"

#include <string>
#include <utility>
#include <vector>

// Shared by the markup tests: header-only, each test binary includes it once.
namespace markuptest {

// The whole element tree with names, attributes and texts, for comparing
// two loads of the same document. Iterative, so deep trees are fine.
inline std::wstring DumpTree(Orvel::CUiMarkup& markup) {
    std::wstring dump;
    std::vector<Orvel::CUiMarkupNode> topLevel;
    for (Orvel::CUiMarkupNode node = markup.GetRoot(); node.IsValid(); node = node.NextSibling()) {
        topLevel.push_back(node);
    }
    std::vector<std::pair<Orvel::CUiMarkupNode, int>> stack;
    for (auto it = topLevel.rbegin(); it != topLevel.rend(); ++it) {
        stack.push_back({*it, 0});
    }
    while (!stack.empty()) {
        auto [node, depth] = stack.back();
        stack.pop_back();
        dump += std::wstring(static_cast<size_t>(depth), L' ') + node.Name();
        for (int i = 0; i < node.AttributeCount(); ++i) {
            dump += std::wstring(L" ") + node.AttributeName(i) + L"=[" + node.AttributeValue(i) + L"]";
        }
        dump += std::wstring(L" {") + node.Value() + L"}\n";
        std::vector<Orvel::CUiMarkupNode> children;
        for (Orvel::CUiMarkupNode child = node.FirstChild(); child.IsValid(); child = child.NextSibling()) {
            children.push_back(child);
        }
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            stack.push_back({*it, depth + 1});
        }
    }
    return dump;
}

inline std::string ReadSkinBytes() {
    return testenv::ReadFileBytes(testenv::SourceDir() + L"\\tests\\uilib\\core\\data\\skin.xml");
}

inline std::wstring Utf8ToWide(const std::string& text) {
    int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], units);
    return wide;
}

// With the byte-order mark.
inline std::string ToUtf16Bytes(const std::wstring& text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (wchar_t unit : text) {
        char high = static_cast<char>(unit >> 8);
        char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// The messages a failed load or parse may leave.
inline bool IsKnownError(const std::wstring& message) {
    static const wchar_t* const kMessages[] = {
        L"Error opening file",
        L"File is empty",
        L"File too large",
        L"Could not read file",
        L"Error opening zip file",
        L"Could not find ziped file",
        L"Could not unzip file",
        L"Expected start tag",
        L"Error parsing element name",
        L"Expected start-tag closing",
        L"Expected end-tag start",
        L"Unmatched closing tag",
        L"Error while parsing attributes",
        L"Expected attribute value",
        L"Error while parsing attribute string",
        L"Missing byte-order mark",
    };
    for (const wchar_t* known : kMessages) {
        if (message == known) {
            return true;
        }
    }
    return false;
}

}  // namespace markuptest
