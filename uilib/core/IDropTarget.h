#pragma once
#include "UiPlatform.h"

#include <ole2.h>

namespace Orvel {

// The OLE drop-target side of a skinned window. It accepts bitmaps,
// device-independent bitmaps, file drops and enhanced metafiles and hands
// the dropped data to OnDrop. The object lives as long as its owner (the
// paint manager): Release never deletes it.
class CIDropTarget : public IDropTarget {
public:
    CIDropTarget() = default;
    CIDropTarget(const CIDropTarget&) = delete;
    CIDropTarget& operator=(const CIDropTarget&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keyState, POINTL point, DWORD* effect) override;
    HRESULT STDMETHODCALLTYPE DragLeave() override;
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keyState, POINTL point, DWORD* effect) override;

    virtual ~CIDropTarget();

    // Registration needs OLE on the calling thread; without it the window
    // simply takes no drops.
    bool RegisterDropTarget(HWND window);
    void RevokeDropTarget();
    // The window registered as this drop target, or null.
    HWND DropTargetWindow() const { return registered_; }
    // The first format of the data object that this target accepts; false when none.
    static bool FindAcceptedFormat(IDataObject* data, FORMATETC* format);

protected:
    // Called with the data of an accepted format; the medium is released
    // afterwards. Sets *effect and returns true when the data was taken.
    virtual bool OnDrop(const FORMATETC& format, STGMEDIUM& medium, DWORD* effect) = 0;

private:
    HWND registered_ = nullptr;  // not owned
    bool accepting_ = false;     // the data being dragged over has an accepted format
    LONG references_ = 0;
};

}  // namespace Orvel
