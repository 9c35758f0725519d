#include "LayoutBuilder.h"

#include "ChildLayoutUI.h"
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
#include <utility>
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

CLayoutBuilder::CLayoutBuilder(const Lineage& lineage)
    : baseDepth_(lineage.depth), outerDocuments_(lineage.documents), state_(lineage.state),
      sharesState_(lineage.state != nullptr) {}

CLayoutBuilder::CLayoutBuilder(CLayoutBuilder* includer, int depth)
    : module_(includer->module_), includer_(includer), baseDepth_(depth - 1) {}

CLayoutBuilder::~CLayoutBuilder() = default;

CControlUI* CLayoutBuilder::Build(const wchar_t* source, const wchar_t* resourceType,
                                  IDialogBuilderCallback* callback, CPaintManagerUI* manager, CControlUI* parent) {
    // An include reports through the build that includes it.
    if (includer_ == nullptr) {
        StartBuild();
    }
    CControlUI* result = Load(source, resourceType) ? BuildTree(callback, manager, parent) : nullptr;
    if (includer_ == nullptr) {
        FinishBuild();
    }
    return result;
}

CControlUI* CLayoutBuilder::BuildLoaded(IDialogBuilderCallback* callback, CPaintManagerUI* manager,
                                        CControlUI* parent) {
    StartBuild();
    CControlUI* result = BuildTree(callback, manager, parent);
    FinishBuild();
    return result;
}

void CLayoutBuilder::StartBuild() {
    if (!sharesState_) {
        state_ = std::make_shared<BuildState>();
    }
    start_ = *state_;
}

bool CLayoutBuilder::Load(const wchar_t* source, const wchar_t* resourceType) {
    markup_.Release();
    if (IS_INTRESOURCE(source)) {
        return LoadResource(source, resourceType);
    }
    if (*source != L'<') {
        if (const wchar_t* mapped = CUiTextRegistry::Instance().SkinFile(source)) {
            source = mapped;
        }
    }
    if (!Enter(CUiString(source))) {
        return false;
    }
    return *source == L'<' ? markup_.Load(source) : markup_.LoadFromFile(source, MarkupEncoding::Utf8);
}

bool CLayoutBuilder::LoadResource(const wchar_t* source, const wchar_t* resourceType) {
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
    if (!Enter(key)) {
        return false;
    }

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

bool CLayoutBuilder::Enter(const CUiString& key) {
    // A child layout's document, nested too deeply, is refused as a whole.
    const std::vector<CUiString> around = DocumentsAround();
    const bool tooDeep = includer_ == nullptr && static_cast<int>(around.size()) > kMaxIncludeNesting;
    bool inside = false;
    for (const CUiString& document : around) {
        // File names compare as the file system does.
        inside = inside || document.CompareNoCase(key) == 0;
    }
    if (!tooDeep && !inside) {
        sourceKey_ = key;
        documents_.reset();
        return true;
    }
    AddLeftOut(State().includesRefused);
    DebugLine(CUiString(L"Orvel layout builder: left out a document ") +
              (inside ? L"inside itself: " : L"nested too deeply: ") + key.Left(200));
    return false;
}

const wchar_t* CLayoutBuilder::ResourceType() const {
    return resourceTypeId_ != 0 ? MAKEINTRESOURCEW(resourceTypeId_) : resourceTypeName_.Data();
}

const CLayoutBuilder& CLayoutBuilder::Outermost() const {
    const CLayoutBuilder* builder = this;
    while (builder->includer_ != nullptr) {
        builder = builder->includer_;
    }
    return *builder;
}

CLayoutBuilder::BuildState& CLayoutBuilder::State() {
    return *Outermost().state_;
}

std::vector<CUiString> CLayoutBuilder::DocumentsAround() const {
    std::vector<const CLayoutBuilder*> chain;
    for (const CLayoutBuilder* builder = includer_; builder != nullptr; builder = builder->includer_) {
        chain.push_back(builder);
    }
    const CLayoutBuilder& outermost = Outermost();
    std::vector<CUiString> documents;
    if (outermost.outerDocuments_ != nullptr) {
        documents = *outermost.outerDocuments_;
    }
    for (auto builder = chain.rbegin(); builder != chain.rend(); ++builder) {
        documents.push_back((*builder)->sourceKey_);
    }
    return documents;
}

CLayoutBuilder::Lineage CLayoutBuilder::LineageAt(int depth) {
    if (documents_ == nullptr) {
        std::vector<CUiString> documents = DocumentsAround();
        documents.push_back(sourceKey_);
        documents_ = std::make_shared<const std::vector<CUiString>>(std::move(documents));
    }
    Lineage lineage;
    lineage.documents = documents_;
    lineage.depth = depth;
    lineage.state = Outermost().state_;
    return lineage;
}

int CLayoutBuilder::LeftOutCount() const {
    return leftOut_;
}

CControlUI* CLayoutBuilder::BuildTree(IDialogBuilderCallback* callback, CPaintManagerUI* manager,
                                      CControlUI* parent) {
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
    return BuildChildren(root, parent, manager, baseDepth_ + 1);
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
            if (CControlUI* included = BuildInclude(child, parent, manager, depth)) {
                KeepFirst(first, included);
            }
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
        // Its document is built when it joins a window, within this build's limits.
        if (auto* childLayout = static_cast<CChildLayoutUI*>(control->CastTo(L"ChildLayout"))) {
            childLayout->SetLineage(LineageAt(depth));
        }
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

CControlUI* CLayoutBuilder::BuildInclude(const CUiMarkupNode& node, CControlUI* parent, CPaintManagerUI* manager,
                                         int depth) {
    if (!node.HasAttributes()) {
        return nullptr;
    }
    // On the heap: this runs inside the recursion of BuildChildren.
    std::vector<wchar_t> value(kIncludeValueUnits, L'\0');
    int count = 1;
    if (node.FindAttribute(L"count", value.data(), kIncludeValueUnits - 1)) {
        count = ParseInt(value.data());
    }
    std::fill(value.begin(), value.end(), L'\0');
    if (!node.FindAttribute(L"source", value.data(), kIncludeValueUnits - 1)) {
        return nullptr;
    }
    BuildState& state = State();
    if (count > 0 && static_cast<int>(DocumentsAround().size()) >= kMaxIncludeNesting) {
        AddLeftOut(state.includesRefused);
        DebugLine(CUiString(L"Orvel layout builder: left out an include nested too deeply: ") + value.data());
        return nullptr;
    }
    auto included = std::unique_ptr<CLayoutBuilder>(new CLayoutBuilder(this, depth));
    CControlUI* first = nullptr;
    for (int i = 0; i < count; ++i) {
        if (state.includeRuns >= kMaxIncludeRuns) {
            AddLeftOut(state.includesRefused, count - i);
            break;
        }
        ++state.includeRuns;
        CControlUI* built = nullptr;
        if (loadedFromResource_) {
            const int id = ParseInt(value.data());
            if (id <= 0 || id > 0xFFFF) {
                break;
            }
            built = included->Build(MAKEINTRESOURCEW(id), ResourceType(), callback_, manager, parent);
        } else {
            built = included->Build(value.data(), nullptr, callback_, manager, parent);
        }
        // Under a parent the included controls are its children already.
        if (parent == nullptr && built != nullptr) {
            KeepFirst(first, built);
        }
    }
    return first;
}

void CLayoutBuilder::KeepFirst(CControlUI*& first, CControlUI* control) {
    if (first == nullptr) {
        first = control;
        return;
    }
    // Nothing would own it.
    delete control;
    AddLeftOut(State().homeless);
}

CControlUI* CLayoutBuilder::CreateControl(const wchar_t* elementName) {
    CUiString className(L"C");
    className += elementName;
    className += L"UI";
    const CControlFactory& factory = CControlFactory::Instance();
    CControlUI* control = factory.Create(className);
    if (control != nullptr && factory.StandInNote(className) != nullptr) {
        std::vector<CUiString>& standIns = State().standIns;
        if (std::find(standIns.begin(), standIns.end(), className) == standIns.end()) {
            standIns.push_back(className);
        }
    }
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

void CLayoutBuilder::FinishBuild() {
    const BuildState& state = *state_;
    const struct {
        int count;
        const wchar_t* what;
    } lines[] = {
        {state.tooDeep - start_.tooDeep, L"elements (with what they hold) nested deeper than the depth limit"},
        {state.overBudget - start_.overBudget, L"elements past the control limit"},
        {state.includesRefused - start_.includesRefused, L"includes (cycles or past the include limits)"},
        {state.homeless - start_.homeless, L"top-level controls after the first, with no parent to take them"},
    };
    report_.clear();
    long long leftOut = 0;
    for (const auto& line : lines) {
        if (line.count > 0) {
            CUiString text;
            text.FormatShort(L"Orvel layout builder: left out %d ", line.count);
            report_.push_back(text + line.what);
            leftOut += line.count;
        }
    }
    leftOut_ = static_cast<int>(std::min<long long>(leftOut, INT_MAX));
    const CControlFactory& factory = CControlFactory::Instance();
    for (size_t i = start_.standIns.size(); i < state.standIns.size(); ++i) {
        const CUiString& className = state.standIns[i];
        report_.push_back(CUiString(L"Orvel layout builder: ") + className +
                          L" has no behaviour of its own here; shown as " + factory.StandInNote(className));
    }
    for (const CUiString& line : report_) {
        DebugLine(line);
    }
}

}  // namespace Orvel
