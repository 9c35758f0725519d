#include "ControlFactory.h"

#include "ActiveXUI.h"
#include "AnimationTabLayoutUI.h"
#include "ButtonUI.h"
#include "CheckBoxUI.h"
#include "ChildLayoutUI.h"
#include "ColorPaletteUI.h"
#include "ComboBoxUI.h"
#include "ComboUI.h"
#include "ContainerUI.h"
#include "ControlUI.h"
#include "DateTimeUI.h"
#include "EditUI.h"
#include "FadeButtonUI.h"
#include "FlashUI.h"
#include "GifAnimUI.h"
#include "GroupBoxUI.h"
#include "HorizontalLayoutUI.h"
#include "HotKeyUI.h"
#include "IPAddressUI.h"
#include "LabelUI.h"
#include "ListContainerElementUI.h"
#include "ListContainerHeaderItemUI.h"
#include "ListExUI.h"
#include "ListHeaderItemUI.h"
#include "ListHeaderUI.h"
#include "ListLabelElementUI.h"
#include "ListTextElementUI.h"
#include "ListTextExtElementUI.h"
#include "ListUI.h"
#include "MenuElementUI.h"
#include "MenuUI.h"
#include "OptionUI.h"
#include "ProgressUI.h"
#include "RichEditUI.h"
#include "RollTextUI.h"
#include "ScrollBarUI.h"
#include "SliderUI.h"
#include "TabLayoutUI.h"
#include "TextUI.h"
#include "TileLayoutUI.h"
#include "TreeNodeUI.h"
#include "TreeViewUI.h"
#include "VerticalLayoutUI.h"
#include "WebBrowserUI.h"

namespace Orvel {

namespace {

template <typename Control>
CControlUI* CreateControl() {
    return new Control();
}

}  // namespace

CControlFactory& CControlFactory::Instance() {
    static CControlFactory factory;
    return factory;
}

// Every class a skin can name, in the markup's customary order.
CControlFactory::CControlFactory() {
    Register(L"CControlUI", &CreateControl<CControlUI>);
    Register(L"CContainerUI", &CreateControl<CContainerUI>);
    Register(L"CButtonUI", &CreateControl<CButtonUI>);
    Register(L"CComboUI", &CreateControl<CComboUI>);
    Register(L"CComboBoxUI", &CreateControl<CComboBoxUI>);
    Register(L"CDateTimeUI", &CreateControl<CDateTimeUI>);
    Register(L"CEditUI", &CreateControl<CEditUI>);
    Register(L"CActiveXUI", &CreateControl<CActiveXUI>);
    Register(L"CFlashUI", &CreateControl<CFlashUI>);
    Register(L"CGifAnimUI", &CreateControl<CGifAnimUI>);
    Register(L"CGroupBoxUI", &CreateControl<CGroupBoxUI>);
    Register(L"CIPAddressUI", &CreateControl<CIPAddressUI>);
    Register(L"CLabelUI", &CreateControl<CLabelUI>);
    Register(L"CListUI", &CreateControl<CListUI>);
    Register(L"CListHeaderUI", &CreateControl<CListHeaderUI>);
    Register(L"CListHeaderItemUI", &CreateControl<CListHeaderItemUI>);
    Register(L"CListLabelElementUI", &CreateControl<CListLabelElementUI>);
    Register(L"CListTextElementUI", &CreateControl<CListTextElementUI>);
    Register(L"CListContainerElementUI", &CreateControl<CListContainerElementUI>);
    Register(L"CMenuUI", &CreateControl<CMenuUI>);
    Register(L"CMenuElementUI", &CreateControl<CMenuElementUI>);
    Register(L"COptionUI", &CreateControl<COptionUI>);
    Register(L"CCheckBoxUI", &CreateControl<CCheckBoxUI>);
    Register(L"CProgressUI", &CreateControl<CProgressUI>);
    Register(L"CRichEditUI", &CreateControl<CRichEditUI>);
    Register(L"CScrollBarUI", &CreateControl<CScrollBarUI>);
    Register(L"CSliderUI", &CreateControl<CSliderUI>);
    Register(L"CTextUI", &CreateControl<CTextUI>);
    Register(L"CTreeNodeUI", &CreateControl<CTreeNodeUI>);
    Register(L"CTreeViewUI", &CreateControl<CTreeViewUI>);
    Register(L"CWebBrowserUI", &CreateControl<CWebBrowserUI>);
    Register(L"CAnimationTabLayoutUI", &CreateControl<CAnimationTabLayoutUI>);
    Register(L"CChildLayoutUI", &CreateControl<CChildLayoutUI>);
    Register(L"CHorizontalLayoutUI", &CreateControl<CHorizontalLayoutUI>);
    Register(L"CTabLayoutUI", &CreateControl<CTabLayoutUI>);
    Register(L"CTileLayoutUI", &CreateControl<CTileLayoutUI>);
    Register(L"CVerticalLayoutUI", &CreateControl<CVerticalLayoutUI>);
    Register(L"CRollTextUI", &CreateControl<CRollTextUI>);
    Register(L"CColorPaletteUI", &CreateControl<CColorPaletteUI>);
    Register(L"CListExUI", &CreateControl<CListExUI>);
    Register(L"CListContainerHeaderItemUI", &CreateControl<CListContainerHeaderItemUI>);
    Register(L"CListTextExtElementUI", &CreateControl<CListTextExtElementUI>);
    Register(L"CHotKeyUI", &CreateControl<CHotKeyUI>);
    Register(L"CFadeButtonUI", &CreateControl<CFadeButtonUI>);
}

CControlFactory::~CControlFactory() = default;

bool CControlFactory::Register(const wchar_t* className, Creator creator) {
    if (className == nullptr || *className == L'\0' || creator == nullptr) {
        return false;
    }
    for (const auto& entry : creators_) {
        if (entry.first == className) {
            return false;
        }
    }
    creators_.emplace_back(CUiString(className), creator);
    return true;
}

CControlUI* CControlFactory::Create(const wchar_t* className) const {
    if (className == nullptr) {
        return nullptr;
    }
    for (const auto& entry : creators_) {
        if (entry.first == className) {
            return entry.second();
        }
    }
    return nullptr;
}

const wchar_t* CControlFactory::ClassNameAt(int index) const {
    if (index < 0 || index >= Count()) {
        return nullptr;
    }
    return creators_[static_cast<size_t>(index)].first.Data();
}

}  // namespace Orvel
