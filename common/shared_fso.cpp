#include "common/shared_fso.h"

#include "common/message_boxes.h"
#include "platform/backends/backends.h"

namespace lumo::common {
namespace {

std::shared_ptr<platform::DriveService>& shared() {
    static std::shared_ptr<platform::DriveService> service;
    return service;
}

DriveServiceFactory& factory() {
    static DriveServiceFactory make = [] {
        // Problems with the drive settings (an image that is gone, a letter
        // given twice) go to the error log once each.
        return platform::makeDriveService(
            [](const std::string& problem) { LogError("FileSystemObject.Drives", 0, 0, problem); });
    };
    return make;
}

}  // namespace

std::shared_ptr<platform::DriveService> sharedFSO() { return shared(); }

void CreateFSO() {
    if (!shared()) shared() = factory()();
}

void ReleaseFSO() { shared().reset(); }

void setDriveServiceFactory(DriveServiceFactory make) { factory() = std::move(make); }

}  // namespace lumo::common
