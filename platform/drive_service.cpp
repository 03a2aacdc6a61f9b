#include "platform/drive_service.h"

namespace lumo::platform {

std::string DriveService::buildPath(std::string_view folder, std::string_view name) {
    while (!name.empty() && name.front() == '/') name.remove_prefix(1);
    if (folder.empty()) return std::string(name);
    std::string path(folder);
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (path != "/") path += '/';
    return path + std::string(name);
}

}  // namespace lumo::platform
