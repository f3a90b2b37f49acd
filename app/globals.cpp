#include "app/globals.h"

#include "core/global_objects.h"
#include "data/data_startup.h"
#include "graphics/frame_display.h"
#include "net/network_setup.h"

// Each layer adds its global objects here as it is built; a slot without a
// factory is skipped by start-up.
void InstallGlobalFactories() {
    SetGlobalFactory(GlobalSlot::FileJobMgr, CreateFileJobMgr, DestroyFileJobMgr);
    SetGlobalFactory(GlobalSlot::PackArchive, CreatePackArchive, DestroyPackArchive);
    SetGlobalFactory(GlobalSlot::TextTables, CreateTextTables, DestroyTextTables);
    SetGlobalFactory(GlobalSlot::ResourceCaches, CreateGraphicsCaches, DestroyGraphicsCaches);
    SetGlobalFactory(GlobalSlot::DirectX, CreateDisplayDevices, DestroyDisplayDevices);
    InstallNetwork();
}
