#pragma once
#include "ContainerUI.h"
#include "LayoutBuilder.h"

namespace Orvel {

// Fills itself with a control tree built from a markup file of its own (a
// sub-skin), once it is initialised in a window.
class CChildLayoutUI : public CContainerUI {
public:
    CChildLayoutUI();

    const wchar_t* ClassName() const override;
    void* CastTo(const wchar_t* name) override;
    // Builds the markup file into the layout's one child; a file that cannot
    // be built leaves the layout empty.
    void OnInitialize() override;

    // A file name as the layout builder takes it; read at initialisation.
    const CUiString& MarkupFile() const { return markupFile_; }
    void SetMarkupFile(const wchar_t* file) { markupFile_ = file; }
    // Set by the builder that made this layout: its file is then built
    // within that build's limits, and never inside one of its documents.
    void SetLineage(const CLayoutBuilder::Lineage& lineage) { lineage_ = lineage; }

protected:
    // "xmlfile".
    void ApplyOwnAttribute(const wchar_t* name, const wchar_t* value) override;

private:
    CUiString markupFile_;
    CLayoutBuilder::Lineage lineage_;
    // What the last initialisation built, so that joining a window again
    // does not build a second copy.
    CControlUI* built_;  // not owned: a child while it is in the list
    CUiString builtFile_;
};

}  // namespace Orvel
