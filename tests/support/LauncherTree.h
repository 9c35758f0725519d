#pragma once

namespace Orvel {
class CControlUI;
class CPaintManagerUI;
}  // namespace Orvel

// The launcher's main window as a control tree built by hand, without the
// layout builder: the controls of its skin with the sizes, paddings and
// insets that decide the layout (images and colours left out). Controls the
// skin leaves unnamed are named here ("header", "logo", "title", "row",
// "title_spacer", "row_spacer", "size_separator") so that tests can find
// them. The manager gets the skin's fonts 0 to 2 at its current scale.
// Returns the root, bound to `manager` but not attached as its root; the
// caller owns it.
Orvel::CControlUI* BuildLauncherTree(Orvel::CPaintManagerUI& manager);
