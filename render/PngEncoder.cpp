// A picture as PNG bytes: 8-bit RGB, each row unfiltered, deflated at the
// fastest level. A sheet is mostly runs of flat colour, which the fastest
// level packs nearly as well as the default, in a fraction of the time.

#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "render/Picture.h"

namespace kx {

namespace {

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v >> 24));
    out.push_back(static_cast<uint8_t>(v >> 16));
    out.push_back(static_cast<uint8_t>(v >> 8));
    out.push_back(static_cast<uint8_t>(v));
}

// Length, type, data, and the CRC of type and data.
void PutChunk(std::vector<uint8_t>& out, const char (&type)[5], const std::vector<uint8_t>& data) {
    PutU32(out, static_cast<uint32_t>(data.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc =
        crc32(crc32(0L, Z_NULL, 0), out.data() + start, static_cast<uInt>(out.size() - start));
    PutU32(out, static_cast<uint32_t>(crc));
}

}  // namespace

Result<std::vector<uint8_t>> EncodePng(const Picture& picture) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.pixels.size() != static_cast<size_t>(picture.width) * picture.height) {
        return Status::Failure(Fault::Refused, "the picture's size does not fit its pixels");
    }
    const size_t rowBytes = 1 + 3 * static_cast<size_t>(picture.width);
    std::vector<uint8_t> raw(rowBytes * picture.height);
    for (int y = 0; y < picture.height; ++y) {
        uint8_t* row = raw.data() + rowBytes * y;
        row[0] = 0;  // no filter
        for (int x = 0; x < picture.width; ++x) {
            const uint32_t rgb = picture.At(x, y);
            row[1 + 3 * x] = static_cast<uint8_t>(rgb >> 16);
            row[2 + 3 * x] = static_cast<uint8_t>(rgb >> 8);
            row[3 + 3 * x] = static_cast<uint8_t>(rgb);
        }
    }
    uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
    std::vector<uint8_t> packed(packedSize);
    if (compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()),
                  Z_BEST_SPEED) != Z_OK) {
        return Status::Failure(Fault::Refused, "cannot encode the picture: out of memory");
    }
    packed.resize(packedSize);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    PutU32(header, static_cast<uint32_t>(picture.width));
    PutU32(header, static_cast<uint32_t>(picture.height));
    header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, no filter, no interlace
    PutChunk(out, "IHDR", header);
    PutChunk(out, "IDAT", packed);
    PutChunk(out, "IEND", {});
    return out;
}

}  // namespace kx
