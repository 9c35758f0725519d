#pragma once
#include "UiPtrArray.h"

#include <cstddef>
#include <cstring>

namespace Orvel {

// A callback bound to a target object and function. Two delegates are equal
// when both the object and the function are equal; the function is compared
// by its representation, so free functions and member functions both work.
class CDelegateBase {
public:
    virtual ~CDelegateBase() = default;
    // A new heap copy, owned by the caller.
    virtual CDelegateBase* Copy() const = 0;
    // param is the event record or the sender, as the caller defines.
    virtual bool Invoke(void* param) = 0;

    bool Equals(const CDelegateBase& other) const {
        return object_ == other.object_ && functionSize_ == other.functionSize_ &&
               memcmp(function_, other.function_, functionSize_) == 0;
    }
    bool operator==(const CDelegateBase& other) const { return Equals(other); }
    bool operator!=(const CDelegateBase& other) const { return !Equals(other); }

protected:
    template <typename Function>
    CDelegateBase(void* object, Function function) : object_(object), functionSize_(sizeof(Function)) {
        static_assert(sizeof(Function) <= sizeof(function_), "function pointer too large");
        memset(function_, 0, sizeof(function_));
        memcpy(function_, &function, sizeof(Function));
    }
    CDelegateBase(const CDelegateBase&) = default;
    CDelegateBase& operator=(const CDelegateBase&) = default;

    void* Object() const { return object_; }

private:
    void* object_;  // not owned
    unsigned char function_[2 * sizeof(void*)];
    size_t functionSize_;
};

class CDelegateStatic : public CDelegateBase {
public:
    using Function = bool (*)(void* param);
    explicit CDelegateStatic(Function function) : CDelegateBase(nullptr, function), function_(function) {}
    CDelegateBase* Copy() const override { return new CDelegateStatic(*this); }
    bool Invoke(void* param) override { return function_(param); }

private:
    Function function_;
};

template <typename Target>
class CDelegate : public CDelegateBase {
public:
    using Function = bool (Target::*)(void* param);
    CDelegate(Target* target, Function function) : CDelegateBase(target, function), function_(function) {}
    CDelegateBase* Copy() const override { return new CDelegate(*this); }
    bool Invoke(void* param) override { return (static_cast<Target*>(Object())->*function_)(param); }

private:
    Function function_;
};

inline CDelegateStatic MakeDelegate(bool (*function)(void*)) {
    return CDelegateStatic(function);
}

template <typename Target>
CDelegate<Target> MakeDelegate(Target* target, bool (Target::*function)(void*)) {
    return CDelegate<Target>(target, function);
}

// An ordered list of owned delegates, called in registration order.
class CUiEventSource {
public:
    CUiEventSource() = default;
    ~CUiEventSource();
    CUiEventSource(const CUiEventSource&) = delete;
    CUiEventSource& operator=(const CUiEventSource&) = delete;

    // Registers a copy unless an equal delegate is already registered.
    void Add(const CDelegateBase& delegate);
    // Removes and destroys the equal delegate, if registered; never from
    // inside that delegate's own Invoke.
    void Remove(const CDelegateBase& delegate);
    // False as soon as one delegate returns false; the rest are not called.
    bool Invoke(void* param);
    bool IsEmpty() const { return delegates_.IsEmpty(); }
    int Count() const { return delegates_.Count(); }

    CUiEventSource& operator+=(const CDelegateBase& delegate) {
        Add(delegate);
        return *this;
    }
    CUiEventSource& operator-=(const CDelegateBase& delegate) {
        Remove(delegate);
        return *this;
    }

private:
    int IndexOf(const CDelegateBase& delegate) const;

    CUiPtrArray delegates_;  // owned CDelegateBase objects
};

}  // namespace Orvel
