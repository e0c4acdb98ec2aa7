#include "container/FileIo.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

namespace kx {

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& out) {
    out.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0) {
        return false;
    }
    in.seekg(0, std::ios::beg);
    out.resize(static_cast<size_t>(size));
    if (size > 0 && !in.read(reinterpret_cast<char*>(out.data()), size)) {
        out.clear();
        return false;
    }
    return true;
}

std::string UniqueTempPath(std::string_view name) {
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
    if (ec) {
        dir = ".";
    }
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    std::filesystem::path candidate;
    do {
        candidate = dir / ("kx-" + std::to_string(random()) + "_" + std::to_string(counter++) +
                           "-" + std::string(name));
    } while (std::filesystem::exists(candidate, ec));
    return candidate.string();
}

bool WriteWholeFile(const std::string& path, std::span<const uint8_t> bytes) {
    static std::atomic<unsigned> counter{0};
    static const unsigned salt = std::random_device{}();
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return false;
    }
    std::string temp = path + ".kxtmp" + std::to_string(salt) + "_" + std::to_string(counter++);
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            return false;
        }
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::filesystem::remove(temp, ec);
            return false;
        }
    }
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        std::filesystem::remove(temp, ec);
        return false;
    }
    return true;
}

}  // namespace kx
