#include "link/UsbSysfs.h"

#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

std::string ReadAttribute(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    if (line.ends_with('\r'))
        line.pop_back();
    return line;
}

std::optional<fs::path> FindUsbDevice(const fs::path& ttyEntry, const fs::path& sysfsRoot) {
    std::error_code error;
    fs::path dir = fs::canonical(ttyEntry / "device", error);
    if (error)
        return std::nullopt;
    const fs::path stop = fs::weakly_canonical(sysfsRoot, error);
    for (; !dir.empty(); dir = dir.parent_path()) {
        if (fs::exists(dir / "idVendor", error))
            return dir;
        if (dir == stop || dir == dir.root_path())
            break;
    }
    return std::nullopt;
}
