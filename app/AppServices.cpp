#include "AppServices.h"

namespace {
std::shared_ptr<AppServices> g_services;
}

AppServices* AppServices::current() {
    return g_services.get();
}

void AppServices::setCurrent(std::shared_ptr<AppServices> services) {
    g_services = std::move(services);
}
