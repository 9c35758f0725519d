#pragma once
#include "UiMarkup.h"
#include "UiPlatform.h"
#include "UiString.h"

#include <memory>
#include <vector>

namespace Orvel {

class CControlUI;
class CPaintManagerUI;
class IDialogBuilderCallback;

// Turns a skin document into a control tree for one window: the window-level
// elements ("Image", "Font", "Default", "Style" and the Window element's
// attributes) go to the window's paint manager, every other element becomes
// a control made by the control factory, a paint manager plug-in or the
// application's callback. One builder per document; the markup lives as long
// as the builder, the controls belong to their parents (the root to the
// caller).
class CLayoutBuilder {
    struct BuildState;

public:
    // Limits that keep a hostile or broken skin from exhausting the stack,
    // memory or time. What they leave out is written with OutputDebugStringW.
    static constexpr int kMaxDepth = 256;           // control nesting, includes and child layouts counted in
    static constexpr int kMaxControls = 200000;     // per build, includes and child layouts counted in
    static constexpr int kMaxIncludeRuns = 1000;    // per build, "count" repeats counted in
    static constexpr int kMaxIncludeNesting = 16;   // documents inside documents, child layouts counted in

    // Where a child layout sits: the documents it was built from (outermost
    // first), its nesting, and the budget of the build that made it. The
    // child layout's own document is built within the same limits, and
    // never inside one of those documents.
    struct Lineage {
        std::shared_ptr<const std::vector<CUiString>> documents;  // shared by the child layouts of a document
        int depth = 0;
        std::shared_ptr<BuildState> state;
    };

    CLayoutBuilder();
    // A builder for a child layout's document.
    explicit CLayoutBuilder(const Lineage& lineage);
    ~CLayoutBuilder();
    CLayoutBuilder(const CLayoutBuilder&) = delete;
    CLayoutBuilder& operator=(const CLayoutBuilder&) = delete;

    // `source`: a resource id (MAKEINTRESOURCEW) of `resourceType`, markup text
    // (starting with "<"), a skin name registered with CUiTextRegistry, or a
    // file name below the resource path. Returns the root control (owned by
    // the caller when `parent` is null), or null when loading fails or the
    // document has no control.
    CControlUI* Build(const wchar_t* source, const wchar_t* resourceType = nullptr,
                      IDialogBuilderCallback* callback = nullptr, CPaintManagerUI* manager = nullptr,
                      CControlUI* parent = nullptr);
    // Builds from the markup already loaded. Without a manager the window-level
    // elements and default attribute lists are skipped; `parent` receives the
    // top-level controls (null for a window's root).
    CControlUI* BuildLoaded(IDialogBuilderCallback* callback, CPaintManagerUI* manager, CControlUI* parent);

    CUiMarkup& Markup() { return markup_; }
    // Null (the default): the paint manager's resource module.
    void SetResourceModule(HINSTANCE module) { module_ = module; }
    // Elements the last build left out to stay within the limits above.
    int LeftOutCount() const;
    // The lines the last build wrote: what it left out, and each class it
    // made that has no behaviour of its own here.
    const std::vector<CUiString>& Report() const { return report_; }

private:
    // Shared by a build, the builds of its includes and those of its child layouts.
    struct BuildState {
        int controls = 0;
        int includeRuns = 0;
        int tooDeep = 0;        // elements (with their subtrees) below kMaxDepth
        int overBudget = 0;     // elements past kMaxControls
        int includesRefused = 0;  // cycles, nesting and runs past the limits
        int homeless = 0;       // top-level controls after the first, with no parent to take them
        std::vector<CUiString> standIns;  // element names of classes without behaviour of their own
    };

    // A builder for an "Include" of `includer`'s document.
    CLayoutBuilder(CLayoutBuilder* includer, int depth);

    // A fresh budget, unless a child layout's lineage brought one.
    void StartBuild();
    // Writes what the build left out and the classes it stood in for.
    void FinishBuild();
    CControlUI* BuildTree(IDialogBuilderCallback* callback, CPaintManagerUI* manager, CControlUI* parent);
    bool Load(const wchar_t* source, const wchar_t* resourceType);
    bool LoadResource(const wchar_t* source, const wchar_t* resourceType);
    // False (and counted) when `key` is being built around this build already.
    bool Enter(const CUiString& key);
    const wchar_t* ResourceType() const;
    // The documents this one is being built inside, outermost first.
    std::vector<CUiString> DocumentsAround() const;
    // For a child layout made at `depth` of this document.
    Lineage LineageAt(int depth);
    const CLayoutBuilder& Outermost() const;

    void ApplyWindowElements(CPaintManagerUI* manager);
    void ApplyWindowAttributes(CPaintManagerUI* manager);
    CControlUI* BuildChildren(const CUiMarkupNode& node, CControlUI* parent, CPaintManagerUI* manager, int depth);
    // The first control of the included documents when there is no parent
    // to take them; null otherwise.
    CControlUI* BuildInclude(const CUiMarkupNode& node, CControlUI* parent, CPaintManagerUI* manager, int depth);
    // Keeps `control` as the first top-level control, or deletes it when
    // there is one already.
    void KeepFirst(CControlUI*& first, CControlUI* control);
    CControlUI* CreateControl(const wchar_t* elementName);
    void Configure(CControlUI* control, const CUiMarkupNode& node, CPaintManagerUI* manager) const;
    BuildState& State();

    CUiMarkup markup_;
    IDialogBuilderCallback* callback_ = nullptr;  // not owned
    CUiString resourceTypeName_;
    WORD resourceTypeId_ = 0;
    bool loadedFromResource_ = false;
    HINSTANCE module_ = nullptr;  // not owned
    CUiString sourceKey_;         // what the current build reads, for include cycles
    CLayoutBuilder* includer_ = nullptr;  // not owned; the builder whose "Include" this is
    int baseDepth_ = 0;           // nesting of the controls an included document adds to
    std::shared_ptr<const std::vector<CUiString>> outerDocuments_;  // a child layout's lineage
    std::shared_ptr<const std::vector<CUiString>> documents_;       // made for the first child layout
    std::shared_ptr<BuildState> state_;      // the outermost builder's
    bool sharesState_ = false;               // a child layout's builder: the lineage's state
    BuildState start_;                       // the budget when the outermost build started
    std::vector<CUiString> report_;
    int leftOut_ = 0;
};

}  // namespace Orvel
