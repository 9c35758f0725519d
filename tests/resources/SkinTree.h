#pragma once
#include "UiMarkup.h"
#include "UiPlatform.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

// Shared by the tests of the launcher's resources: header-only, each test
// binary includes it once.
namespace skintest {

struct SkinNode {
    std::wstring element;
    std::vector<std::pair<std::wstring, std::wstring>> attributes;  // in document order
    std::vector<int> children;
    int parent = -1;

    const std::wstring* Attribute(const std::wstring& name) const {
        for (const auto& attribute : attributes) {
            if (attribute.first == name) {
                return &attribute.second;
            }
        }
        return nullptr;
    }
};

// A skin document read by the framework's markup parser and copied into
// plain nodes, numbered in document order, with parent links.
class SkinTree {
public:
    bool Load(const std::string& utf8) {
        Orvel::CUiMarkup markup;
        if (!markup.LoadFromMemory(utf8.data(), utf8.size(), Orvel::MarkupEncoding::Utf8)) {
            error_ = markup.ErrorMessage();
            return false;
        }
        Orvel::CUiMarkupNode root = markup.GetRoot();
        if (!root.IsValid() || root.NextSibling().IsValid()) {
            error_ = L"the document must hold exactly one root element";
            return false;
        }
        Copy(root, -1);
        return true;
    }

    int Root() const { return 0; }
    const SkinNode& Node(int index) const { return nodes_[static_cast<size_t>(index)]; }
    const std::wstring& Error() const { return error_; }

    // Every node below `index`, in document order.
    std::vector<int> Descendants(int index) const {
        std::vector<int> out;
        for (int child : Node(index).children) {
            out.push_back(child);
            for (int below : Descendants(child)) {
                out.push_back(below);
            }
        }
        return out;
    }

private:
    int Copy(const Orvel::CUiMarkupNode& source, int parent) {
        const int index = static_cast<int>(nodes_.size());
        nodes_.push_back(SkinNode());
        nodes_.back().element = source.Name();
        nodes_.back().parent = parent;
        for (int i = 0; i < source.AttributeCount(); ++i) {
            nodes_.back().attributes.emplace_back(source.AttributeName(i), source.AttributeValue(i));
        }
        for (Orvel::CUiMarkupNode child = source.FirstChild(); child.IsValid(); child = child.NextSibling()) {
            const int childIndex = Copy(child, index);
            nodes_[static_cast<size_t>(index)].children.push_back(childIndex);
        }
        return index;
    }

    std::vector<SkinNode> nodes_;
    std::wstring error_;
};

// The key='value' pairs of an image attribute string. False unless the
// whole string is such pairs, each after one space: the renderer stops
// silently at the first malformed pair and would drop the rest.
inline bool ImagePairs(const std::wstring& text, std::map<std::wstring, std::wstring>& pairs) {
    size_t i = 0;
    const size_t n = text.size();
    while (i < n) {
        const size_t keyStart = i;
        while (i < n && text[i] != L'=' && text[i] > L' ') {
            ++i;
        }
        const std::wstring key = text.substr(keyStart, i - keyStart);
        while (i < n && text[i] == L' ') {
            ++i;
        }
        if (key.empty() || i >= n || text[i] != L'=') {
            return false;
        }
        ++i;
        while (i < n && text[i] == L' ') {
            ++i;
        }
        if (i >= n || text[i] != L'\'') {
            return false;
        }
        const size_t close = text.find(L'\'', i + 1);
        if (close == std::wstring::npos) {
            return false;
        }
        pairs[key] = text.substr(i + 1, close - i - 1);
        i = close + 1;
        if (i < n) {
            if (text[i] != L' ') {
                return false;
            }
            ++i;
        }
    }
    return !pairs.empty();
}

}  // namespace skintest
