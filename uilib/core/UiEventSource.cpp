#include "UiEventSource.h"

namespace Orvel {

CUiEventSource::~CUiEventSource() {
    for (int i = 0; i < delegates_.Count(); ++i) {
        delete static_cast<CDelegateBase*>(delegates_.At(i));
    }
}

int CUiEventSource::IndexOf(const CDelegateBase& delegate) const {
    for (int i = 0; i < delegates_.Count(); ++i) {
        auto* registered = static_cast<CDelegateBase*>(delegates_.At(i));
        if (registered != nullptr && registered->Equals(delegate)) {
            return i;
        }
    }
    return -1;
}

void CUiEventSource::Add(const CDelegateBase& delegate) {
    if (IndexOf(delegate) >= 0) {
        return;
    }
    CDelegateBase* copy = delegate.Copy();
    if (!delegates_.Add(copy)) {
        delete copy;
    }
}

void CUiEventSource::Remove(const CDelegateBase& delegate) {
    int index = IndexOf(delegate);
    if (index >= 0) {
        delete static_cast<CDelegateBase*>(delegates_.At(index));
        delegates_.Remove(index);
    }
}

bool CUiEventSource::Invoke(void* param) {
    // By index: a delegate may register further delegates while it runs.
    for (int i = 0; i < delegates_.Count(); ++i) {
        auto* delegate = static_cast<CDelegateBase*>(delegates_.GetAt(i));
        if (delegate != nullptr && !delegate->Invoke(param)) {
            return false;
        }
    }
    return true;
}

}  // namespace Orvel
