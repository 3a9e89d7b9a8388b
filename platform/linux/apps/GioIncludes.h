#pragma once

// GLib's headers name a struct member "signals", which Qt defines as a macro; include GIO only
// through this header.
#pragma push_macro("signals")
#undef signals
#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>
#pragma pop_macro("signals")

#include <memory>

// Owns one GObject reference (g_object_unref on destruction).
struct GObjectUnref {
    void operator()(void* object) const {
        if (object)
            g_object_unref(object);
    }
};
template <typename T> using GObjectPtr = std::unique_ptr<T, GObjectUnref>;
