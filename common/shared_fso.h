#pragma once
// The one drive information object of the process: empty until CreateFSO
// makes it, released by DoTerminate, made again when a new object starts.

#include <functional>
#include <memory>

#include "platform/drive_service.h"

namespace lumo::common {

// The shared object, or null when there is none.
std::shared_ptr<platform::DriveService> sharedFSO();
void CreateFSO();
void ReleaseFSO();

// What CreateFSO makes: the machine's drives by default; tests give their own.
using DriveServiceFactory = std::function<std::shared_ptr<platform::DriveService>()>;
void setDriveServiceFactory(DriveServiceFactory factory);

}  // namespace lumo::common
