#include "ChildLayoutUI.h"

#include "LayoutBuilder.h"

#include <cwchar>

namespace Orvel {

CChildLayoutUI::CChildLayoutUI() : built_(nullptr) {}

const wchar_t* CChildLayoutUI::ClassName() const {
    return L"ChildLayoutUI";
}

void* CChildLayoutUI::CastTo(const wchar_t* name) {
    if (name != nullptr && _wcsicmp(name, L"ChildLayout") == 0) {
        return this;
    }
    return CContainerUI::CastTo(name);
}

void CChildLayoutUI::OnInitialize() {
    if (markupFile_.IsEmpty()) {
        return;
    }
    if (built_ != nullptr && IndexOf(built_) >= 0 && builtFile_ == markupFile_) {
        return;
    }
    if (built_ != nullptr) {
        Remove(built_);
        built_ = nullptr;
    }
    CLayoutBuilder builder;
    CControlUI* root = builder.Build(markupFile_, nullptr, nullptr, manager_, nullptr);
    if (root == nullptr || !Add(root)) {
        delete root;
        RemoveAll();
        return;
    }
    built_ = root;
    builtFile_ = markupFile_;
}

void CChildLayoutUI::ApplyAttribute(const wchar_t* name, const wchar_t* value) {
    if (name == nullptr || value == nullptr || ApplyScrollBarStyle(name, value) || ApplyStyleValue(value)) {
        return;
    }
    if (_wcsicmp(name, L"xmlfile") == 0) {
        SetMarkupFile(value);
    } else {
        CContainerUI::ApplyAttribute(name, value);
    }
}

}  // namespace Orvel
