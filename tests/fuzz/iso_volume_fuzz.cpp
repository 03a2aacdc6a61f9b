// ISO 9660 volume descriptors: the fuzz bytes are the data track from sector
// 16 on. A sector the bytes do not fill completely comes back short, as a
// reader at the end of a damaged image might hand it back.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/linux/disc_identity.h"
#include "tests/fuzz/fuzz_support.h"

namespace {

using namespace lumo::platform::linux_drives;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int reads = 0;
    const SectorReader reader = [&](int32_t sector, std::vector<uint8_t>& out) {
        ++reads;
        lumo::fuzz::require(sector >= 16, "a volume descriptor asked for before sector 16");
        const size_t offset = static_cast<size_t>(sector - 16) * isoSectorSize;
        if (offset >= size) return false;
        const size_t bytes = std::min(isoSectorSize, size - offset);
        out.assign(data + offset, data + offset + bytes);
        return true;
    };
    const std::optional<VolumeInfo> volume = readIsoVolume(reader);
    lumo::fuzz::require(reads <= 64, "more descriptors read than a volume set may hold");
    if (!volume) return 0;
    lumo::fuzz::require(volume->fileSystem == "CDFS", "a data disc that is not CDFS");
    lumo::fuzz::require(volume->volumeName.size() <= 32 * 3, "a volume name longer than its field");
    return 0;
}
