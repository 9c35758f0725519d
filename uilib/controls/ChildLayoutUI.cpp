#include "ChildLayoutUI.h"

#include "UiValueParser.h"

namespace Orvel {

CChildLayoutUI::CChildLayoutUI() : built_(nullptr) {}

const wchar_t* CChildLayoutUI::ClassName() const {
    return L"ChildLayoutUI";
}

void* CChildLayoutUI::CastTo(const wchar_t* name) {
    if (Is(name, L"ChildLayout")) {
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
    CLayoutBuilder builder(lineage_);
    CControlUI* root = builder.Build(markupFile_, nullptr, nullptr, manager_, nullptr);
    if (root == nullptr || !Add(root)) {
        delete root;
        RemoveAll();
        return;
    }
    built_ = root;
    builtFile_ = markupFile_;
}

void CChildLayoutUI::ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) {
    if (Is(name, L"xmlfile")) {
        SetMarkupFile(value);
    } else {
        CContainerUI::ApplyOwnAttribute(name, value);
    }
}

}  // namespace Orvel
