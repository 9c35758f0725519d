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

// How the classes without behaviour of their own show.
const wchar_t kAsLabel[] = L"a label showing its text or its first item's";
const wchar_t kAsColumn[] = L"a vertical layout of its items";
const wchar_t kAsRow[] = L"a horizontal layout of its items";
const wchar_t kAsTitledRow[] = L"a horizontal layout led by its text";
const wchar_t kAsPlainLabel[] = L"a label";
const wchar_t kAsStillText[] = L"a label whose text stands still";
const wchar_t kAsEdit[] = L"the single-line edit field";
const wchar_t kAsEmpty[] = L"an empty control";
const wchar_t kAsTabLayout[] = L"a tab layout without the slide";

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
    Register(L"CComboUI", &CreateControl<CComboUI>, kAsLabel);
    Register(L"CComboBoxUI", &CreateControl<CComboBoxUI>, kAsLabel);
    Register(L"CDateTimeUI", &CreateControl<CDateTimeUI>);
    Register(L"CEditUI", &CreateControl<CEditUI>);
    Register(L"CActiveXUI", &CreateControl<CActiveXUI>, kAsEmpty);
    Register(L"CFlashUI", &CreateControl<CFlashUI>, kAsEmpty);
    Register(L"CGifAnimUI", &CreateControl<CGifAnimUI>);
    Register(L"CGroupBoxUI", &CreateControl<CGroupBoxUI>);
    Register(L"CIPAddressUI", &CreateControl<CIPAddressUI>);
    Register(L"CLabelUI", &CreateControl<CLabelUI>);
    Register(L"CListUI", &CreateControl<CListUI>, kAsColumn);
    Register(L"CListHeaderUI", &CreateControl<CListHeaderUI>, kAsRow);
    Register(L"CListHeaderItemUI", &CreateControl<CListHeaderItemUI>, kAsTitledRow);
    Register(L"CListLabelElementUI", &CreateControl<CListLabelElementUI>, kAsPlainLabel);
    Register(L"CListTextElementUI", &CreateControl<CListTextElementUI>, kAsPlainLabel);
    Register(L"CListContainerElementUI", &CreateControl<CListContainerElementUI>, kAsTitledRow);
    Register(L"CMenuUI", &CreateControl<CMenuUI>, kAsColumn);
    Register(L"CMenuElementUI", &CreateControl<CMenuElementUI>, kAsTitledRow);
    Register(L"COptionUI", &CreateControl<COptionUI>);
    Register(L"CCheckBoxUI", &CreateControl<CCheckBoxUI>);
    Register(L"CProgressUI", &CreateControl<CProgressUI>);
    Register(L"CRichEditUI", &CreateControl<CRichEditUI>, kAsEdit);
    Register(L"CScrollBarUI", &CreateControl<CScrollBarUI>);
    Register(L"CSliderUI", &CreateControl<CSliderUI>);
    Register(L"CTextUI", &CreateControl<CTextUI>);
    Register(L"CTreeNodeUI", &CreateControl<CTreeNodeUI>, kAsTitledRow);
    Register(L"CTreeViewUI", &CreateControl<CTreeViewUI>, kAsColumn);
    Register(L"CWebBrowserUI", &CreateControl<CWebBrowserUI>, kAsEmpty);
    Register(L"CAnimationTabLayoutUI", &CreateControl<CAnimationTabLayoutUI>, kAsTabLayout);
    Register(L"CChildLayoutUI", &CreateControl<CChildLayoutUI>);
    Register(L"CHorizontalLayoutUI", &CreateControl<CHorizontalLayoutUI>);
    Register(L"CTabLayoutUI", &CreateControl<CTabLayoutUI>);
    Register(L"CTileLayoutUI", &CreateControl<CTileLayoutUI>);
    Register(L"CVerticalLayoutUI", &CreateControl<CVerticalLayoutUI>);
    Register(L"CRollTextUI", &CreateControl<CRollTextUI>, kAsStillText);
    Register(L"CColorPaletteUI", &CreateControl<CColorPaletteUI>);
    Register(L"CListExUI", &CreateControl<CListExUI>, kAsColumn);
    Register(L"CListContainerHeaderItemUI", &CreateControl<CListContainerHeaderItemUI>, kAsTitledRow);
    Register(L"CListTextExtElementUI", &CreateControl<CListTextExtElementUI>, kAsPlainLabel);
    Register(L"CHotKeyUI", &CreateControl<CHotKeyUI>, kAsPlainLabel);
    Register(L"CFadeButtonUI", &CreateControl<CFadeButtonUI>);
}

CControlFactory::~CControlFactory() = default;

bool CControlFactory::Register(const wchar_t* className, Creator creator, const wchar_t* standIn) {
    if (className == nullptr || *className == L'\0' || creator == nullptr || Find(className) != nullptr) {
        return false;
    }
    creators_.push_back(Entry{CUiString(className), creator, standIn});
    return true;
}

const CControlFactory::Entry* CControlFactory::Find(const wchar_t* className) const {
    if (className == nullptr) {
        return nullptr;
    }
    for (const Entry& entry : creators_) {
        if (entry.className == className) {
            return &entry;
        }
    }
    return nullptr;
}

CControlUI* CControlFactory::Create(const wchar_t* className) const {
    const Entry* entry = Find(className);
    return entry != nullptr ? entry->creator() : nullptr;
}

const wchar_t* CControlFactory::ClassNameAt(int index) const {
    if (index < 0 || index >= Count()) {
        return nullptr;
    }
    return creators_[static_cast<size_t>(index)].className.Data();
}

const wchar_t* CControlFactory::StandInNote(const wchar_t* className) const {
    const Entry* entry = Find(className);
    return entry != nullptr ? entry->standIn : nullptr;
}

}  // namespace Orvel
