#include "Brimlark/core/PlatformServices.h"

#include <QtGlobal>

namespace {
PlatformServices g_services;
bool g_installed = false;
} // namespace

void PlatformServices::install(const PlatformServices& services) {
    g_services = services;
    g_installed = true;
}

const PlatformServices& PlatformServices::current() {
    if (!g_installed)
        qFatal("PlatformServices::current() called before install()");
    return g_services;
}
