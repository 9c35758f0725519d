#include "LayoutBuilder.h"

#include "ContainerUI.h"
#include "ControlFactory.h"
#include "ControlUI.h"
#include "PaintManagerUI.h"
#include "UiInterfaces.h"
#include "UiTextRegistry.h"
#include "UiValueParser.h"

#include <algorithm>
#include <climits>
#include <cwchar>
#include <memory>
#include <vector>

namespace Orvel {

namespace {

// Include attribute values are read into a buffer of this many units.
constexpr int kIncludeValueUnits = 500;

// In document order, as later attributes override earlier ones.
template <typename Visit>
void ForEachAttribute(const CUiMarkupNode& node, Visit visit) {
    for (int i = 0; i < node.AttributeCount(); ++i) {
        visit(node.AttributeName(i), node.AttributeValue(i));
    }
}

bool IsWindowLevelElement(const wchar_t* name) {
    return Is(name, L"Image") || Is(name, L"Font") || Is(name, L"Default") || Is(name, L"Style");
}

void ApplyImageElement(const CUiMarkupNode& node, CPaintManagerUI* manager, HINSTANCE module) {
    const wchar_t* name = nullptr;
    const wchar_t* type = nullptr;
    DWORD mask = 0;
    bool shared = false;
    ForEachAttribute(node, [&](const wchar_t* attribute, const wchar_t* value) {
        if (Is(attribute, L"name")) {
            name = value;
        } else if (Is(attribute, L"restype")) {
            type = value;
        } else if (Is(attribute, L"mask")) {
            mask = ParseColorValue(value);
        } else if (Is(attribute, L"shared")) {
            shared = ParseBoolValue(value);
        }
    });
    if (name != nullptr && *name != L'\0') {
        manager->AddImage(name, type, mask, false, shared, module);
    }
}

void ApplyFontElement(const CUiMarkupNode& node, CPaintManagerUI* manager) {
    int id = -1;
    const wchar_t* face = L"";
    int size = 12;
    int weight = FW_NORMAL;
    bool underline = false;
    bool italic = false;
    bool isDefault = false;
    bool shared = false;
    ForEachAttribute(node, [&](const wchar_t* attribute, const wchar_t* value) {
        if (Is(attribute, L"id")) {
            id = ParseInt(value);
        } else if (Is(attribute, L"name")) {
            face = value;
        } else if (Is(attribute, L"size")) {
            size = ParseInt(value);
        } else if (Is(attribute, L"bold")) {
            weight = ParseBoolValue(value) ? FW_BOLD : FW_NORMAL;
        } else if (Is(attribute, L"weight")) {
            weight = ParseInt(value);
        } else if (Is(attribute, L"underline")) {
            underline = ParseBoolValue(value);
        } else if (Is(attribute, L"italic")) {
            italic = ParseBoolValue(value);
        } else if (Is(attribute, L"default")) {
            isDefault = ParseBoolValue(value);
        } else if (Is(attribute, L"shared")) {
            shared = ParseBoolValue(value);
        }
    });
    if (id >= 0) {
        manager->RegisterFont(id, face, size, weight, underline, italic, shared);
    }
    if (isDefault) {
        // The manager scales the size it is given, as for registered fonts.
        manager->SetDefaultFont(face, size, weight, underline, italic, shared);
    }
}

// "Default" and "Style": a name, an attribute list and the shared flag.
void ApplyAttributeListElement(const CUiMarkupNode& node, CPaintManagerUI* manager, bool isStyle) {
    const wchar_t* name = nullptr;
    const wchar_t* list = L"";
    bool shared = false;
    ForEachAttribute(node, [&](const wchar_t* attribute, const wchar_t* value) {
        if (Is(attribute, L"name")) {
            name = value;
        } else if (Is(attribute, L"value")) {
            list = value;
        } else if (Is(attribute, L"shared")) {
            shared = ParseBoolValue(value);
        }
    });
    if (name == nullptr || *name == L'\0') {
        return;
    }
    if (isStyle) {
        manager->AddStyle(name, list, shared);
    } else {
        manager->AddDefaultAttributeList(name, list, shared);
    }
}

// Several huge include counts may add up past the int range.
void AddLeftOut(int& counter, int count = 1) {
    counter += std::min(count, INT_MAX - counter);
}

void DebugLine(const CUiString& line) {
    OutputDebugStringW((line + L"\n").Data());
}

}  // namespace

CLayoutBuilder::CLayoutBuilder() = default;

CLayoutBuilder::CLayoutBuilder(CLayoutBuilder* includer, int depth)
    : module_(includer->module_), includer_(includer), baseDepth_(depth - 1) {}

CLayoutBuilder::~CLayoutBuilder() = default;

CControlUI* CLayoutBuilder::Build(const wchar_t* source, const wchar_t* resourceType,
                                  IDialogBuilderCallback* callback, CPaintManagerUI* manager, CControlUI* parent) {
    if (!Load(source, resourceType)) {
        return nullptr;
    }
    return BuildLoaded(callback, manager, parent);
}

bool CLayoutBuilder::Load(const wchar_t* source, const wchar_t* resourceType) {
    if (IS_INTRESOURCE(source)) {
        return LoadResource(source, resourceType);
    }
    if (*source != L'<') {
        if (const wchar_t* mapped = CUiTextRegistry::Instance().SkinFile(source)) {
            source = mapped;
        }
    }
    const CUiString key(source);
    if (includer_ != nullptr && includer_->IsIncluding(key)) {
        AddLeftOut(State().includesRefused);
        DebugLine(CUiString(L"Orvel layout builder: left out an include of a document inside itself: ") +
                  key.Left(200));
        markup_.Release();
        return false;
    }
    sourceKey_ = key;
    return *source == L'<' ? markup_.Load(source) : markup_.LoadFromFile(source, MarkupEncoding::Utf8);
}

bool CLayoutBuilder::LoadResource(const wchar_t* source, const wchar_t* resourceType) {
    markup_.Release();
    const WORD id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(source));
    if (id == 0 || resourceType == nullptr) {
        return false;
    }
    if (IS_INTRESOURCE(resourceType)) {
        resourceTypeId_ = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(resourceType));
        resourceTypeName_.Clear();
    } else {
        resourceTypeId_ = 0;
        resourceTypeName_ = resourceType;
    }
    loadedFromResource_ = true;

    CUiString key;
    key.FormatShort(L"#%u:", static_cast<unsigned>(id));
    if (resourceTypeId_ != 0) {
        CUiString type;
        type.FormatShort(L"#%u", static_cast<unsigned>(resourceTypeId_));
        key += type;
    } else {
        key += resourceTypeName_;
    }
    if (includer_ != nullptr && includer_->IsIncluding(key)) {
        AddLeftOut(State().includesRefused);
        DebugLine(CUiString(L"Orvel layout builder: left out an include of a resource inside itself: ") + key);
        return false;
    }
    sourceKey_ = key;

    HINSTANCE module = module_ != nullptr ? module_ : CPaintManagerUI::ResourceInstance();
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), ResourceType());
    if (found == nullptr) {
        return false;
    }
    HGLOBAL loaded = ::LoadResource(module, found);
    const DWORD size = SizeofResource(module, found);
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr || size == 0) {
        return false;
    }
    return markup_.LoadFromMemory(bytes, size, MarkupEncoding::Utf8);
}

const wchar_t* CLayoutBuilder::ResourceType() const {
    return resourceTypeId_ != 0 ? MAKEINTRESOURCEW(resourceTypeId_) : resourceTypeName_.Data();
}

bool CLayoutBuilder::IsIncluding(const CUiString& key) const {
    for (const CLayoutBuilder* builder = this; builder != nullptr; builder = builder->includer_) {
        // File names compare as the file system does.
        if (builder->sourceKey_.CompareNoCase(key) == 0) {
            return true;
        }
    }
    return false;
}

int CLayoutBuilder::IncludeNesting() const {
    int nesting = 0;
    for (const CLayoutBuilder* builder = includer_; builder != nullptr; builder = builder->includer_) {
        ++nesting;
    }
    return nesting;
}

int CLayoutBuilder::LeftOutCount() const {
    const BuildState& state = ownState_;
    const long long total =
        static_cast<long long>(state.tooDeep) + state.overBudget + state.includesRefused + state.homeless;
    return static_cast<int>(std::min<long long>(total, INT_MAX));
}

CControlUI* CLayoutBuilder::BuildLoaded(IDialogBuilderCallback* callback, CPaintManagerUI* manager,
                                        CControlUI* parent) {
    if (includer_ == nullptr) {
        ownState_ = BuildState();
    }
    callback_ = callback;
    CUiMarkupNode root = markup_.GetRoot();
    if (!root.IsValid()) {
        return nullptr;
    }
    if (manager != nullptr) {
        ApplyWindowElements(manager);
        if (Is(root.Name(), L"Window") && manager->WindowHandle() != nullptr) {
            ApplyWindowAttributes(manager);
        }
    }
    CControlUI* result = BuildChildren(root, parent, manager, baseDepth_ + 1);
    if (includer_ == nullptr) {
        ReportLeftOut();
    }
    return result;
}

void CLayoutBuilder::ApplyWindowElements(CPaintManagerUI* manager) {
    for (CUiMarkupNode node = markup_.GetRoot().FirstChild(); node.IsValid(); node = node.NextSibling()) {
        const wchar_t* name = node.Name();
        if (Is(name, L"Image")) {
            ApplyImageElement(node, manager, module_);
        } else if (Is(name, L"Font")) {
            ApplyFontElement(node, manager);
        } else if (Is(name, L"Default")) {
            ApplyAttributeListElement(node, manager, false);
        } else if (Is(name, L"Style")) {
            ApplyAttributeListElement(node, manager, true);
        }
    }
}

void CLayoutBuilder::ApplyWindowAttributes(CPaintManagerUI* manager) {
    ForEachAttribute(markup_.GetRoot(), [manager](const wchar_t* name, const wchar_t* value) {
        manager->ApplyWindowAttribute(name, value);
    });
}

// Recursive along the markup's nesting, which kMaxDepth bounds: keep the frame small.
CControlUI* CLayoutBuilder::BuildChildren(const CUiMarkupNode& node, CControlUI* parent, CPaintManagerUI* manager,
                                          int depth) {
    BuildState& state = State();
    CControlUI* first = nullptr;
    for (CUiMarkupNode child = node.FirstChild(); child.IsValid(); child = child.NextSibling()) {
        const wchar_t* name = child.Name();
        if (IsWindowLevelElement(name)) {
            continue;
        }
        if (depth > kMaxDepth) {
            AddLeftOut(state.tooDeep);
            continue;
        }
        if (Is(name, L"Include")) {
            BuildInclude(child, parent, manager, depth);
            continue;
        }
        if (parent == nullptr && first != nullptr) {
            // Nothing would own it.
            AddLeftOut(state.homeless);
            continue;
        }
        if (state.controls >= kMaxControls) {
            AddLeftOut(state.overBudget);
            continue;
        }
        CControlUI* control = CreateControl(name);
        if (control == nullptr) {
            continue;
        }
        ++state.controls;
        IContainerUI* container = nullptr;
        if (parent != nullptr) {
            container = static_cast<IContainerUI*>(parent->CastTo(L"IContainer"));
            if (container == nullptr) {
                delete control;
                return nullptr;
            }
        }
        if (child.HasChildren()) {
            BuildChildren(child, control, manager, depth + 1);
        }
        if (container != nullptr && !container->Add(control)) {
            delete control;
            continue;
        }
        Configure(control, child, manager);
        if (first == nullptr) {
            first = control;
        }
    }
    return first;
}

void CLayoutBuilder::BuildInclude(const CUiMarkupNode& node, CControlUI* parent, CPaintManagerUI* manager,
                                  int depth) {
    if (!node.HasAttributes()) {
        return;
    }
    // On the heap: this runs inside the recursion of BuildChildren.
    std::vector<wchar_t> value(kIncludeValueUnits, L'\0');
    int count = 1;
    if (node.FindAttribute(L"count", value.data(), kIncludeValueUnits - 1)) {
        count = ParseInt(value.data());
    }
    std::fill(value.begin(), value.end(), L'\0');
    if (!node.FindAttribute(L"source", value.data(), kIncludeValueUnits - 1)) {
        return;
    }
    BuildState& state = State();
    if (count > 0 && IncludeNesting() >= kMaxIncludeNesting) {
        AddLeftOut(state.includesRefused);
        DebugLine(CUiString(L"Orvel layout builder: left out an include nested too deeply: ") + value.data());
        return;
    }
    auto included = std::unique_ptr<CLayoutBuilder>(new CLayoutBuilder(this, depth));
    for (int i = 0; i < count; ++i) {
        if (state.includeRuns >= kMaxIncludeRuns) {
            AddLeftOut(state.includesRefused, count - i);
            break;
        }
        ++state.includeRuns;
        if (loadedFromResource_) {
            const int id = ParseInt(value.data());
            if (id <= 0 || id > 0xFFFF) {
                return;
            }
            included->Build(MAKEINTRESOURCEW(id), ResourceType(), callback_, manager, parent);
        } else {
            included->Build(value.data(), nullptr, callback_, manager, parent);
        }
    }
}

CControlUI* CLayoutBuilder::CreateControl(const wchar_t* elementName) const {
    CUiString className(L"C");
    className += elementName;
    className += L"UI";
    CControlUI* control = CControlFactory::Instance().Create(className);
    if (control == nullptr) {
        control = CPaintManagerUI::CreatePluginControl(elementName);
    }
    if (control == nullptr && callback_ != nullptr) {
        control = callback_->CreateCustomControl(elementName);
    }
    return control;
}

// The default list of the element's class goes first, so the element's own
// attributes override it. The control is bound to the manager only while its
// attributes are applied (fonts, styles and sizes need it); a control that
// already had a binding, under a parent of a live window, gets it back.
void CLayoutBuilder::Configure(CControlUI* control, const CUiMarkupNode& node, CPaintManagerUI* manager) const {
    CPaintManagerUI* boundManager = control->Manager();
    CControlUI* boundParent = control->Parent();
    if (manager != nullptr) {
        control->Attach(manager, nullptr, false);
        if (const wchar_t* list = manager->DefaultAttributeList(node.Name())) {
            control->ApplyAttributeList(list);
        }
    }
    ForEachAttribute(node, [control](const wchar_t* name, const wchar_t* value) {
        control->ApplyAttribute(name, value);
    });
    if (manager != nullptr) {
        control->Attach(boundManager, boundParent, false);
    }
}

void CLayoutBuilder::ReportLeftOut() const {
    const BuildState& state = ownState_;
    const struct {
        int count;
        const wchar_t* what;
    } lines[] = {
        {state.tooDeep, L"elements (with what they hold) nested deeper than the depth limit"},
        {state.overBudget, L"elements past the control limit"},
        {state.includesRefused, L"includes (cycles or past the include limits)"},
        {state.homeless, L"top-level controls after the first, with no parent to take them"},
    };
    for (const auto& line : lines) {
        if (line.count > 0) {
            CUiString text;
            text.FormatShort(L"Orvel layout builder: left out %d ", line.count);
            DebugLine(text + line.what);
        }
    }
}

}  // namespace Orvel
