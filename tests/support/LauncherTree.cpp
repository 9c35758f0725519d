#include "LauncherTree.h"

#include "ButtonUI.h"
#include "HorizontalLayoutUI.h"
#include "PaintManagerUI.h"
#include "ProgressUI.h"
#include "VerticalLayoutUI.h"

#include <vector>

using namespace Orvel;

namespace {

enum class Kind { Vertical, Horizontal, Control, Label, Button, Progress };

struct Node {
    int depth;
    Kind kind;
    const wchar_t* attributes;
};

// Outer to inner, as in the skin; depth 0 is the root.
const Node kTree[] = {
    {0, Kind::Vertical, L"name=\"main_window_layout\" bkcolor=\"#FF2F3136\""},
    {1, Kind::Vertical, L"name=\"background_layout\" height=\"412\""},
    {2, Kind::Horizontal, L"name=\"header\" height=\"80\" inset=\"20,0,10,0\""},
    {3, Kind::Control, L"name=\"logo\" width=\"86\" height=\"20\" padding=\"0,15,0,0\""},
    {3, Kind::Label, L"name=\"title\" text=\"专属下载器\" font=\"1\" textcolor=\"#FFFFFFFF\" autocalcwidth=\"true\" "
                     L"height=\"30\" padding=\"10,10,0,0\""},
    {3, Kind::Control, L"name=\"title_spacer\""},
    {3, Kind::Button, L"name=\"btn_wnd_min\" width=\"30\" height=\"30\" padding=\"0,10,0,0\""},
    {3, Kind::Button, L"name=\"btn_wnd_close\" width=\"30\" height=\"30\" padding=\"4,10,0,0\""},
    {1, Kind::Vertical, L"name=\"progressLayout\" inset=\"16,20,16,20\""},
    {2, Kind::Progress, L"name=\"progress\" height=\"14\" min=\"0\" max=\"100\" value=\"0\" hor=\"true\" "
                        L"isstretchfore=\"true\""},
    {2, Kind::Horizontal, L"name=\"row\" height=\"30\""},
    {3, Kind::Horizontal, L"name=\"size_layout\" width=\"180\""},
    {4, Kind::Label, L"name=\"current_size\" text=\"0M\" font=\"2\" textcolor=\"#FF9F9F9F\" align=\"right\""},
    {4, Kind::Label, L"name=\"size_separator\" text=\"/\" width=\"2\""},
    {4, Kind::Label, L"name=\"total_size\" text=\"0M\" font=\"2\" align=\"left\""},
    {3, Kind::Horizontal, L"name=\"speed_layout\" width=\"68\" padding=\"28,0,0,0\""},
    {4, Kind::Label, L"name=\"current_speed\" text=\"0KB/s\" font=\"2\""},
    {3, Kind::Control, L"name=\"row_spacer\""},
    {3, Kind::Horizontal, L"name=\"current_progress_layout\" width=\"140\""},
    {4, Kind::Label, L"name=\"current_progress_text\" text=\"正在下载:\" font=\"2\" textcolor=\"#FF9F9F9F\""},
    {4, Kind::Label, L"name=\"current_progress_value\" text=\"0%\" font=\"2\" textcolor=\"#FFD8D8D9\""},
};

CControlUI* Create(Kind kind) {
    switch (kind) {
    case Kind::Vertical: return new CVerticalLayoutUI();
    case Kind::Horizontal: return new CHorizontalLayoutUI();
    case Kind::Label: return new CLabelUI();
    case Kind::Button: return new CButtonUI();
    case Kind::Progress: return new CProgressUI();
    case Kind::Control: break;
    }
    return new CControlUI();
}

}  // namespace

CControlUI* BuildLauncherTree(CPaintManagerUI& manager) {
    const wchar_t* face = L"微软雅黑";
    manager.RegisterFont(0, face, 12, FW_NORMAL, false, false);
    manager.RegisterFont(1, face, 16, 600, false, false);
    manager.RegisterFont(2, face, 16, FW_NORMAL, false, false);
    // The open container at each depth.
    std::vector<CContainerUI*> open;
    CControlUI* root = nullptr;
    for (const Node& node : kTree) {
        CControlUI* control = Create(node.kind);
        control->ApplyAttributeList(node.attributes);
        open.resize(node.depth);
        if (node.depth == 0) {
            root = control;
        } else {
            open.back()->Add(control);
        }
        open.push_back(static_cast<CContainerUI*>(control->CastTo(L"Container")));
    }
    manager.BindControls(root);
    return root;
}
