#pragma once
#include "UiString.h"

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

    // An existing name keeps its first creator: false then. `standIn` says
    // how a class without behaviour of its own shows ("a label"); null for
    // a class that does what its name says.
    bool Register(const wchar_t* className, Creator creator, const wchar_t* standIn = nullptr);
    // A new control owned by the caller, or null for a name not registered.
    CControlUI* Create(const wchar_t* className) const;

    // The registered names in registration order.
    int Count() const { return static_cast<int>(creators_.size()); }
    const wchar_t* ClassNameAt(int index) const;
    // How a registered class without behaviour of its own shows; null for
    // any other name.
    const wchar_t* StandInNote(const wchar_t* className) const;

private:
    CControlFactory();

    struct Entry {
        CUiString className;
        Creator creator;
        const wchar_t* standIn;  // static text, or null
    };
    const Entry* Find(const wchar_t* className) const;

    std::vector<Entry> creators_;
};

}  // namespace Orvel
