// How a component object is bound to its window, one way for every
// component: the window keeps the object in a property; a window of an own
// class is bound at its very first message (a top-level window is sent
// WM_GETMINMAXINFO before WM_NCCREATE), a system control or a class someone
// else registered is subclassed. Messages go to T::Dispatch. When the window
// goes (WM_NCDESTROY) the binding undoes itself, tells the runtime that the
// component is gone and deletes the object, unless creation failed before
// the runtime took the object over (Adopt).
#pragma once

#include <windows.h>

#include <cstdint>

#include "runtime/component_object_win32.h"
#include "runtime/runtime_context_win32.h"
#include "runtime/service_numbers.h"

namespace components {

constexpr wchar_t kBoundObjectProperty[] = L"Lumadrel.Component";

// T derives from ComponentWindow<T> and rt::ComponentObject and has
// `LRESULT Dispatch(UINT, WPARAM, LPARAM)`; it may hide OnUnbound() for its
// last look at the window before it is deleted.
template <typename T>
class ComponentWindow {
public:
    // The procedure of T's own window classes.
    static LRESULT CALLBACK ClassProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        T* object = BoundObject(window);
        if (!object && creating_) {
            object = creating_;
            creating_ = nullptr;
            object->Bind(window, nullptr);
        }
        if (!object) return DefWindowProcW(window, message, wParam, lParam);
        return object->Route(message, wParam, lParam);
    }

    // The object bound to `window`, or null.
    static T* BoundObject(HWND window) { return static_cast<T*>(GetPropW(window, kBoundObjectProperty)); }

protected:
    ComponentWindow() = default;
    ComponentWindow(uint32_t formId, uint32_t unitId) : formId_(formId), unitId_(unitId) {}

    // Creates a window bound to this object: one of T's own classes (whose
    // procedure is ClassProcedure) or any other class, which is subclassed.
    HWND CreateBoundWindow(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style, int x, int y,
                           int cx, int cy, HWND parent, HMENU menu) {
        T* previous = creating_;
        creating_ = static_cast<T*>(this);
        HWND window = CreateWindowExW(exStyle, className, text, style, x, y, cx, cy, parent, menu,
                                      GetModuleHandleW(nullptr), nullptr);
        creating_ = previous;
        if (window && BoundObject(window) != this) Subclass(window);
        return window;
    }

    // Takes the messages of a window made elsewhere.
    void Subclass(HWND window) {
        Bind(window, nullptr);
        previous_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ClassProcedure)));
    }

    // From here on the window's end deletes the object.
    void Adopt() { adopted_ = true; }

    // What the window would have done without the component.
    LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
        if (previous_) return CallWindowProcW(previous_, window_, message, wParam, lParam);
        return DefWindowProcW(window_, message, wParam, lParam);
    }

    void OnUnbound() {}

    HWND window_ = nullptr;
    uint32_t formId_ = 0;
    uint32_t unitId_ = 0;

private:
    void Bind(HWND window, WNDPROC previous) {
        window_ = window;
        previous_ = previous;
        SetPropW(window, kBoundObjectProperty, static_cast<T*>(this));
    }

    LRESULT Route(UINT message, WPARAM wParam, LPARAM lParam) {
        T* self = static_cast<T*>(this);
        switch (message) {
        case rt::kQueryComponentObject: return reinterpret_cast<LRESULT>(static_cast<rt::ComponentObject*>(self));
        case WM_NCDESTROY: return Unbind(wParam, lParam);
        default: return self->Dispatch(message, wParam, lParam);
        }
    }

    LRESULT Unbind(WPARAM wParam, LPARAM lParam) {
        HWND window = window_;
        if (previous_) SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
        LRESULT result = Default(WM_NCDESTROY, wParam, lParam);
        RemovePropW(window, kBoundObjectProperty);
        T* self = static_cast<T*>(this);
        self->OnUnbound();
        if (adopted_) {
            rt::RuntimeService(rt::kServiceComponentDestroyed, static_cast<intptr_t>(formId_),
                               static_cast<intptr_t>(unitId_));
            delete self;
        }
        return result;
    }

    WNDPROC previous_ = nullptr;
    bool adopted_ = false;
    static inline thread_local T* creating_ = nullptr;
};

}  // namespace components
