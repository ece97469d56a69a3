#include "app/WinResources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void RegisterFramewrightResources() {
    Q_INIT_RESOURCE(framewright);
}

namespace fw {

void InitWindowResources() {
    static const bool once = (RegisterFramewrightResources(), true);
    (void)once;
}

}  // namespace fw
