#include "components/common/scoped_gdi_win32.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <utility>

namespace {

using components::ScopedGdiObject;
using components::ScopedIcon;
using components::ScopedMemoryDc;
using components::SelectedBitmap;

bool GdiObjectAlive(HGDIOBJ object) { return GetObjectType(object) != 0; }

bool IconAlive(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return false;
    if (info.hbmMask) DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    return true;
}

HICON MakeIcon() {
    BYTE andMask[32 * 4], xorMask[32 * 4] = {};
    FillMemory(andMask, sizeof andMask, 0xFF);
    return CreateIcon(GetModuleHandleW(nullptr), 32, 32, 1, 1, andMask, xorMask);
}

TEST(ScopedGdi, EachOwnerFreesItsHandleOnceWhereverOwnershipEnds) {
    HBRUSH first = CreateSolidBrush(RGB(1, 2, 3)), second = CreateSolidBrush(RGB(4, 5, 6));
    HBITMAP kept = CreateBitmap(4, 4, 1, 1, nullptr);
    {
        ScopedGdiObject<HBRUSH> brush(first);
        ScopedGdiObject<HBRUSH> moved(std::move(brush));
        EXPECT_FALSE(brush);
        EXPECT_TRUE(GdiObjectAlive(first));
        moved.Reset(second);  // frees what it held
        EXPECT_FALSE(GdiObjectAlive(first));
        ScopedGdiObject<HBRUSH> target;
        target = std::move(moved);
        target = std::move(target);  // a self-move keeps the handle
        EXPECT_EQ(target.Get(), second);
        ScopedGdiObject<HBITMAP> given(kept);
        EXPECT_EQ(given.Take(), kept);
    }
    EXPECT_FALSE(GdiObjectAlive(second));
    EXPECT_TRUE(GdiObjectAlive(kept));  // taken, so not freed
    DeleteObject(kept);

    HICON icon = MakeIcon();
    ASSERT_TRUE(IconAlive(icon));
    { ScopedIcon owner(icon); }
    EXPECT_FALSE(IconAlive(icon));
}

TEST(ScopedGdi, SelectedBitmapPutsTheBitmapBackOutBeforeItsContextGoes) {
    ScopedGdiObject<HBITMAP> bitmap(CreateBitmap(8, 8, 1, 1, nullptr));
    HDC dc = nullptr;
    {
        SelectedBitmap selected(nullptr, bitmap.Get());
        ASSERT_TRUE(selected);
        dc = selected.Get();
        EXPECT_EQ(GetCurrentObject(dc, OBJ_BITMAP), bitmap.Get());
        EXPECT_EQ(GetObjectType(dc), static_cast<DWORD>(OBJ_MEMDC));
    }
    EXPECT_EQ(GetObjectType(dc), 0u);
    EXPECT_TRUE(GdiObjectAlive(bitmap.Get()));  // only the context went
    ScopedMemoryDc memory(CreateCompatibleDC(nullptr));
    EXPECT_EQ(GetObjectType(memory.Get()), static_cast<DWORD>(OBJ_MEMDC));
}

}  // namespace
