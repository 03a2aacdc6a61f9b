#pragma once
// A fresh folder under the system's temporary folder for one test or one
// test program, removed with everything in it when it goes.

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace lumo::testing {

class TempFolder {
public:
    explicit TempFolder(const std::string& prefix = "lumo-test") {
        std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

}  // namespace lumo::testing
