#include "container/UtfRecords.h"

#include <algorithm>
#include <string>
#include <vector>

#include "container/ByteReader.h"

namespace kx {

namespace {

Status Damaged(std::string reason) {
    return Status::Failure(Fault::Damaged, std::move(reason));
}

}  // namespace

Result<UtfRecords> UtfRecords::Open(std::span<const uint8_t> file) {
    ByteReader header(file);
    uint32_t magic = 0, version = 0;
    header.U32(magic);
    header.U32(version);
    if (!header.Ok() || magic != kUtfMagic || version != kUtfVersion) {
        return Status::Failure(Fault::WrongKind, "not a container file (wrong magic or version)");
    }
    // The record size and the used string size are not read: records are
    // always 44 bytes, and names end at their zero byte.
    uint32_t nodeOffset = 0, nodeSize = 0, stringOffset = 0, stringSize = 0, dataOffset = 0;
    header.U32(nodeOffset);
    header.U32(nodeSize);
    header.Skip(8);
    header.U32(stringOffset);
    header.U32(stringSize);
    header.Skip(4);
    header.U32(dataOffset);
    if (!header.Ok() || file.size() < kUtfHeaderSize) {
        return Damaged("truncated header");
    }
    const uint64_t fileSize = file.size();
    if (uint64_t{nodeOffset} + nodeSize > fileSize) {
        return Damaged("node block runs past the end of the file");
    }
    if (nodeSize < kUtfRecordSize) {
        return Damaged("node block holds no root record");
    }
    if (uint64_t{stringOffset} + stringSize > fileSize) {
        return Damaged("string block runs past the end of the file");
    }
    if (dataOffset > fileSize) {
        return Damaged("data block starts past the end of the file");
    }
    return UtfRecords(fileSize, file.subspan(nodeOffset, nodeSize),
                      file.subspan(stringOffset, stringSize), file.subspan(dataOffset));
}

Result<UtfRecord> UtfRecords::Record(size_t index) const {
    const uint64_t offset = uint64_t{index} * kUtfRecordSize;
    if (index >= Count()) {
        return Damaged("node offset " + std::to_string(offset) + " is outside the node block");
    }
    UtfRecord r;
    r.offset = static_cast<uint32_t>(offset);
    ByteReader rr(nodes_.subspan(r.offset, kUtfRecordSize));
    rr.U32(r.sibling);
    rr.U32(r.name);
    rr.U32(r.flags);
    rr.Skip(4);
    rr.U32(r.childOrData);
    rr.U32(r.stored);
    rr.U32(r.length);
    rr.U32(r.unpacked);
    return r;
}

Result<std::string_view> UtfRecords::Name(const UtfRecord& record) const {
    const uint32_t offset = record.name;
    if (offset >= strings_.size()) {
        return Damaged("name offset " + std::to_string(offset) + " is outside the string block");
    }
    const auto rest = strings_.subspan(offset);
    const auto end = std::find(rest.begin(), rest.end(), uint8_t{0});
    if (end == rest.end()) {
        return Damaged("name at offset " + std::to_string(offset) + " runs past the string block");
    }
    return std::string_view(reinterpret_cast<const char*>(rest.data()),
                            static_cast<size_t>(end - rest.begin()));
}

Result<std::span<const uint8_t>> UtfRecords::Data(const UtfRecord& record) const {
    if (record.stored == 0) {
        return std::span<const uint8_t>();
    }
    if (uint64_t{record.childOrData} + record.stored > data_.size()) {
        auto name = Name(record);
        if (!name) {
            return name.GetStatus();
        }
        return Damaged("data of node '" + std::string(name.Value()) +
                       "' runs past the end of the file");
    }
    return data_.subspan(record.childOrData, record.stored);
}

Status UtfRecords::Walk(const std::function<void(const UtfVisit&)>& visit) const {
    std::vector<bool> reached(Count(), false);
    uint64_t copied = 0;
    // Every record is reached at most once, so a chain that comes back to
    // a record it has passed is a loop and not a second node.
    auto reach = [&](size_t index) -> Result<UtfRecord> {
        auto record = Record(index);
        if (!record) {
            return record;
        }
        if (reached[index]) {
            return Damaged("node chain loops back to offset " + std::to_string(record->offset));
        }
        reached[index] = true;
        return record;
    };

    auto root = reach(0);
    if (!root) {
        return root.GetStatus();
    }
    auto rootName = Name(*root);
    if (!rootName) {
        return rootName.GetStatus();
    }
    visit({*root, *rootName, {}, 0, 0});

    // One frame per open folder: its record index and the link to the next
    // of its children still to visit.
    struct Frame {
        size_t folder;
        uint32_t next;
    };
    std::vector<Frame> open{{0, root->childOrData}};
    while (!open.empty()) {
        const auto index = UtfRecord::Link(open.back().next);
        if (!index) {
            open.pop_back();
            continue;
        }
        auto record = reach(*index);
        if (!record) {
            return record.GetStatus();
        }
        auto name = Name(*record);
        if (!name) {
            return name.GetStatus();
        }
        open.back().next = record->sibling;
        const size_t parent = open.back().folder;
        const size_t depth = open.size();
        if (depth > kUtfMaxDepth) {
            return Damaged("nodes nest deeper than " + std::to_string(kUtfMaxDepth) +
                           " levels (node '" + std::string(*name) + "' at offset " +
                           std::to_string(record->offset) + ")");
        }
        std::span<const uint8_t> data;
        if (record->IsLeaf()) {
            auto bytes = Data(*record);
            if (!bytes) {
                return bytes.GetStatus();
            }
            data = *bytes;
            // Each leaf's range lies inside the file, so only leaves sharing
            // bytes can add up past the limit; empty ones add nothing.
            copied += data.size();
            if (copied > kUtfMaxCopyFactor * fileSize_) {
                return Damaged("leaves share data until it adds up to more than " +
                               std::to_string(kUtfMaxCopyFactor) + " times the file's " +
                               std::to_string(fileSize_) + " bytes");
            }
        }
        visit({*record, *name, data, parent, depth});
        if (!record->IsLeaf()) {
            open.push_back({*index, record->childOrData});
        }
    }
    return Status::Success();
}

}  // namespace kx
