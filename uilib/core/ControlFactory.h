#pragma once
#include "UiString.h"

#include <utility>
#include <vector>

namespace Orvel {

class CControlUI;

// Creates controls by class name ("CButtonUI") for the layout builder. One per
// process, created on first use; names compare case-sensitively.
class CControlFactory {
public:
    using Creator = CControlUI* (*)();

    static CControlFactory& Instance();

    virtual ~CControlFactory();
    CControlFactory(const CControlFactory&) = delete;
    CControlFactory& operator=(const CControlFactory&) = delete;

    // An existing name keeps its first creator: false then.
    bool Register(const wchar_t* className, Creator creator);
    // A new control owned by the caller, or null for a name not registered.
    CControlUI* Create(const wchar_t* className) const;

    // The registered names in registration order.
    int Count() const { return static_cast<int>(creators_.size()); }
    const wchar_t* ClassNameAt(int index) const;

private:
    CControlFactory();

    std::vector<std::pair<CUiString, Creator>> creators_;
};

}  // namespace Orvel
