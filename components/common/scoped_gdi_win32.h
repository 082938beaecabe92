// Owners of GDI objects, icons and memory device contexts: each frees its
// handle once, with the function that kind of handle needs, and can only be
// moved. And a memory context with a bitmap selected into it for a while.
#pragma once

#include <windows.h>

#include <utility>

namespace components {

template <typename Handle, typename Free>
class ScopedHandle {
public:
    ScopedHandle() = default;
    explicit ScopedHandle(Handle handle) : handle_(handle) {}
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Take()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        Reset(other.Take());
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    ~ScopedHandle() { Reset(); }

    Handle Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }
    // Gives the handle up without freeing it.
    Handle Take() { return std::exchange(handle_, nullptr); }
    // Frees the handle held (if any) and holds `handle` instead.
    void Reset(Handle handle = nullptr) {
        Handle old = std::exchange(handle_, handle);
        if (old) Free{}(old);
    }

private:
    Handle handle_ = nullptr;
};

struct DeleteGdiObject {
    void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
struct DestroyIconHandle {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
struct DeleteMemoryDc {
    void operator()(HDC dc) const { DeleteDC(dc); }
};

// Bitmaps, brushes, pens, fonts and regions.
template <typename Handle>
using ScopedGdiObject = ScopedHandle<Handle, DeleteGdiObject>;
using ScopedIcon = ScopedHandle<HICON, DestroyIconHandle>;
// A context from CreateCompatibleDC (not one from GetDC, which is released instead).
using ScopedMemoryDc = ScopedHandle<HDC, DeleteMemoryDc>;

// A memory context compatible with another (null: the screen) holding a
// bitmap for as long as it lives; the bitmap is put back out before the
// context goes.
class SelectedBitmap {
public:
    SelectedBitmap(HDC compatibleWith, HBITMAP bitmap) : dc_(CreateCompatibleDC(compatibleWith)) {
        if (dc_) old_ = SelectObject(dc_.Get(), bitmap);
    }
    SelectedBitmap(const SelectedBitmap&) = delete;
    SelectedBitmap& operator=(const SelectedBitmap&) = delete;
    ~SelectedBitmap() {
        if (dc_) SelectObject(dc_.Get(), old_);
    }
    HDC Get() const { return dc_.Get(); }
    explicit operator bool() const { return static_cast<bool>(dc_); }

private:
    ScopedMemoryDc dc_;
    HGDIOBJ old_ = nullptr;
};

}  // namespace components
