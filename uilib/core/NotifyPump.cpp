#include "NotifyPump.h"

#include "ControlUI.h"
#include "UiEvent.h"

#include <cwchar>

namespace Orvel {

namespace {

// The row for the type and sender: an exact name first, else the first row
// of that type that takes any sender; null when the table has neither.
const UiNotifyMapEntry* FindRow(const UiNotifyMapEntry* entries, const CUiString& type, const wchar_t* sender) {
    const UiNotifyMapEntry* anySender = nullptr;
    for (const UiNotifyMapEntry* entry = entries; entry->kind != UiNotifyHandlerKind::End; ++entry) {
        if (type != entry->type) {
            continue;
        }
        if (*entry->controlName == L'\0') {
            if (anySender == nullptr) {
                anySender = entry;
            }
        } else if (wcscmp(entry->controlName, sender) == 0) {
            return entry;
        }
    }
    return anySender;
}

}  // namespace

const UiNotifyMap* CNotifyPump::ClassNotifyMap() {
    static const UiNotifyMapEntry entries[] = {UiNotifyMapEntry{}};
    static const UiNotifyMap map = {nullptr, entries};
    return &map;
}

const UiNotifyMap* CNotifyPump::NotifyMap() const {
    return ClassNotifyMap();
}

bool CNotifyPump::AddVirtualWindow(const wchar_t* name, CNotifyPump* pump) {
    if (name == nullptr || *name == L'\0' || pump == nullptr) {
        return false;
    }
    for (const auto& entry : virtualWindows_) {
        if (entry.first.CompareNoCase(name) == 0) {
            return false;
        }
    }
    virtualWindows_.emplace_back(CUiString(name), pump);
    return true;
}

bool CNotifyPump::RemoveVirtualWindow(const wchar_t* name) {
    for (auto it = virtualWindows_.begin(); it != virtualWindows_.end(); ++it) {
        if (name != nullptr && it->first.CompareNoCase(name) == 0) {
            virtualWindows_.erase(it);
            return true;
        }
    }
    return false;
}

bool CNotifyPump::Dispatch(UiNotify& notify) {
    if (!notify.virtualWindow.IsEmpty()) {
        for (const auto& entry : virtualWindows_) {
            if (entry.first.CompareNoCase(notify.virtualWindow) == 0 && entry.second->DispatchToChain(notify)) {
                return true;
            }
        }
    }
    return DispatchToChain(notify);
}

bool CNotifyPump::DispatchToChain(UiNotify& notify) {
    const wchar_t* sender = notify.sender != nullptr ? notify.sender->Name().Data() : L"";
    for (const UiNotifyMap* map = NotifyMap(); map != nullptr; map = map->base != nullptr ? map->base() : nullptr) {
        const UiNotifyMapEntry* row = FindRow(map->entries, notify.type, sender);
        if (row == nullptr) {
            continue;
        }
        switch (row->kind) {
        case UiNotifyHandlerKind::Params:
            (this->*row->paramsHandler)(notify.wParam, notify.lParam);
            return true;
        case UiNotifyHandlerKind::Notify:
            (this->*row->notifyHandler)(notify);
            return true;
        default:
            return false;
        }
    }
    return false;
}

}  // namespace Orvel
