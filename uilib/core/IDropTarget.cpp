#include "IDropTarget.h"

namespace Orvel {

namespace {

const FORMATETC kAcceptedFormats[] = {
    {CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_GDI},
    {CF_DIB, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL},
    {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL},
    {CF_ENHMETAFILE, nullptr, DVASPECT_CONTENT, -1, TYMED_ENHMF},
};

DWORD CopyEffect(DWORD allowed) {
    return (allowed & DROPEFFECT_COPY) != 0 ? DROPEFFECT_COPY : DROPEFFECT_NONE;
}

}  // namespace

CIDropTarget::~CIDropTarget() {
    RevokeDropTarget();
}

HRESULT STDMETHODCALLTYPE CIDropTarget::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDropTarget)) {
        *object = static_cast<IDropTarget*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE CIDropTarget::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE CIDropTarget::Release() {
    return static_cast<ULONG>(InterlockedDecrement(&references_));
}

bool CIDropTarget::FindAcceptedFormat(IDataObject* data, FORMATETC* format) {
    if (data == nullptr) {
        return false;
    }
    for (const FORMATETC& accepted : kAcceptedFormats) {
        FORMATETC query = accepted;
        if (data->QueryGetData(&query) == S_OK) {
            if (format != nullptr) {
                *format = accepted;
            }
            return true;
        }
    }
    return false;
}

HRESULT STDMETHODCALLTYPE CIDropTarget::DragEnter(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    accepting_ = FindAcceptedFormat(data, nullptr);
    if (effect != nullptr) {
        *effect = accepting_ ? CopyEffect(*effect) : DROPEFFECT_NONE;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CIDropTarget::DragOver(DWORD, POINTL, DWORD* effect) {
    if (effect != nullptr) {
        *effect = accepting_ ? CopyEffect(*effect) : DROPEFFECT_NONE;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CIDropTarget::DragLeave() {
    accepting_ = false;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CIDropTarget::Drop(IDataObject* data, DWORD, POINTL, DWORD* effect) {
    accepting_ = false;
    DWORD allowed = effect != nullptr ? *effect : DROPEFFECT_COPY;
    if (effect != nullptr) {
        *effect = DROPEFFECT_NONE;
    }
    FORMATETC format;
    if (!FindAcceptedFormat(data, &format)) {
        return S_OK;
    }
    STGMEDIUM medium = {};
    if (data->GetData(&format, &medium) != S_OK) {
        return S_OK;
    }
    // OLE calls in from its own loop: nothing may unwind into it.
    try {
        DWORD taken = CopyEffect(allowed);
        if (OnDrop(format, medium, &taken) && effect != nullptr) {
            *effect = taken;
        }
    } catch (...) {
    }
    ReleaseStgMedium(&medium);
    return S_OK;
}

bool CIDropTarget::RegisterDropTarget(HWND window) {
    RevokeDropTarget();
    if (window == nullptr || FAILED(RegisterDragDrop(window, this))) {
        return false;
    }
    registered_ = window;
    return true;
}

void CIDropTarget::RevokeDropTarget() {
    if (registered_ != nullptr) {
        RevokeDragDrop(registered_);
        registered_ = nullptr;
    }
}

}  // namespace Orvel
