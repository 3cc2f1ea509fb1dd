// SPDX-License-Identifier: GPL-3.0-or-later
// The table of live GDI objects and the stock objects every new DC starts with.
#include "platform/gdi/gdi_objects.h"

#include <new>
#include <unordered_map>

namespace {

std::mutex& GdiMutex()
{
    static std::mutex mutex;
    return mutex;
}

// Handle -> object, for every object alive.
std::unordered_map<const void*, GdiObject*>& LiveObjects()
{
    static std::unordered_map<const void*, GdiObject*> objects;
    return objects;
}

template <typename T>
T* MakeStock(T& object)
{
    object.stock = true;
    // Stock objects are made once, at the first DC; a failure leaves them unregistered and unusable.
    RegisterGdiObject(&object, &object);
    return &object;
}

} // namespace

std::unique_lock<std::mutex> GdiLock() { return std::unique_lock<std::mutex>(GdiMutex()); }

bool RegisterGdiObject(const void* handle, GdiObject* object)
{
    try {
        LiveObjects().emplace(handle, object);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void DestroyGdiObject(const void* handle)
{
    auto& objects = LiveObjects();
    const auto found = objects.find(handle);
    if (found == objects.end() || found->second->stock) {
        return;
    }
    GdiObject* object = found->second;
    objects.erase(found);
    delete object;
}

GdiObject* FindGdiObject(const void* handle)
{
    if (handle == nullptr) {
        return nullptr;
    }
    auto& objects = LiveObjects();
    const auto found = objects.find(handle);
    return found != objects.end() ? found->second : nullptr;
}

HBITMAP__* StockBitmap()
{
    static HBITMAP__ bitmap;
    static HBITMAP__* stock = [] {
        bitmap.width = 1;
        bitmap.height = 1;
        bitmap.pixels.assign(4, 0);
        return MakeStock(bitmap);
    }();
    return stock;
}

HFONT__* StockFont()
{
    static HFONT__ font;
    static HFONT__* stock = MakeStock(font);
    return stock;
}
