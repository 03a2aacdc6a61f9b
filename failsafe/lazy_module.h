#pragma once
// A part of the program kept in a module of its own, so that the libraries
// it needs are mapped only when a host first uses it (TagLib when a music
// file is first read, Qt's printing when the error window first prints).
// A host that never gets there never pays their memory.
//
// Modules live in the folder "lumo" beside the object that holds this code.
// A program that links the code itself takes the build tree's modules when
// it lies in the build tree, and the installed ones otherwise.

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

namespace lumo::failsafe {

class LazyModule {
public:
    explicit LazyModule(std::string fileName) : fileName_(std::move(fileName)) {}

    // The named function, the module loaded at the first call from any
    // thread; null when the module or the function is missing (error() says why).
    template <class Function>
    Function* function(const char* name) {
        return reinterpret_cast<Function*>(symbol(name));
    }
    std::string error();

private:
    void* symbol(const char* name);

    std::string fileName_;
    std::once_flag loaded_;
    void* handle_ = nullptr;  // never closed: the libraries it pulled in stay as long as the process
    std::mutex mutex_;
    std::string error_;  // guarded by mutex_
};

// Where a module is looked for, in order, by code living in `ownObject`.
std::vector<std::filesystem::path> moduleCandidates(const std::filesystem::path& ownObject,
                                                    const std::string& fileName);

}  // namespace lumo::failsafe
