#pragma once
// A container file's records read in place. The header is checked once when
// the file is opened; after that a node record, a name or a leaf's bytes are
// handed out only once their offsets and lengths are known to lie inside the
// blocks they point into. Everything that reads containers (the tree loader,
// the importer's node index) goes through here, so all of them refuse the
// same damage with the same one-line reasons.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string_view>

#include "base/Result.h"

namespace kx {

inline constexpr uint32_t kUtfMagic = 0x20465455;  // "UTF "
inline constexpr uint32_t kUtfVersion = 0x101;
inline constexpr uint32_t kUtfHeaderSize = 56;
inline constexpr uint32_t kUtfRecordSize = 44;
inline constexpr uint32_t kNodeFolder = 0x10;
inline constexpr uint32_t kNodeLeaf = 0x80;

// Limits far beyond any real file, so that a small hostile file cannot make a
// reader nest, print or copy without end. Files this system writes reach
// depth 5 at most (the root at depth 0).
inline constexpr size_t kUtfMaxDepth = 64;
// Leaves may share data bytes, and other tools write such files; but the
// bytes of all leaves together may not exceed this many times the file's size.
inline constexpr uint64_t kUtfMaxCopyFactor = 16;

// One 44-byte node record as stored, with the offset it was read from.
struct UtfRecord {
    uint32_t offset = 0;  // within the node block; a multiple of 44
    uint32_t sibling = 0;
    uint32_t name = 0;  // within the string block
    uint32_t flags = 0;
    uint32_t childOrData = 0;  // a folder's first child, a leaf's data offset
    uint32_t stored = 0;       // the bytes a reader takes
    uint32_t length = 0;
    uint32_t unpacked = 0;

    size_t Index() const { return offset / kUtfRecordSize; }
    // Bit 7 makes a leaf whatever the other bits say.
    bool IsLeaf() const { return (flags & kNodeLeaf) != 0; }
    bool PossiblyCompressed() const { return length != unpacked; }
    // Links as record indices. A link is rounded down to a whole record, and
    // one that lands on the root (any value below 44) means none: the root is
    // never anyone's child or sibling.
    std::optional<size_t> Next() const { return Link(sibling); }
    // For folders; a leaf's field is its data offset.
    std::optional<size_t> FirstChild() const { return Link(childOrData); }

    static std::optional<size_t> Link(uint32_t field) {
        const size_t index = field / kUtfRecordSize;
        return index == 0 ? std::nullopt : std::optional<size_t>(index);
    }
};

// A node reached by UtfRecords::Walk.
struct UtfVisit {
    const UtfRecord& record;
    std::string_view name;          // points into the file
    std::span<const uint8_t> data;  // a leaf's stored bytes; empty for folders and the root
    size_t parent;                  // record index of the parent; 0 for the root
    size_t depth;                   // 0 for the root
};

class UtfRecords {
  public:
    // Checks the magic and version (WrongKind), then that the header is whole,
    // that the node, string and data blocks lie inside the file and that the
    // node block holds the root record (Damaged). The view keeps pointing
    // into `file`, which must outlive it.
    static Result<UtfRecords> Open(std::span<const uint8_t> file);

    // Whole records in the node block; a partial one at its end is not counted.
    size_t Count() const { return nodes_.size() / kUtfRecordSize; }
    // Record `index`; Damaged when it lies outside the node block.
    Result<UtfRecord> Record(size_t index) const;
    // The record holding byte `offset` of the node block (offsets round down).
    Result<UtfRecord> RecordAt(uint32_t offset) const { return Record(offset / kUtfRecordSize); }
    // The record's name up to its zero byte; Damaged when the name starts
    // outside the string block or its zero byte is not inside it.
    Result<std::string_view> Name(const UtfRecord& record) const;
    // A leaf's stored bytes, empty when its stored length is 0 (its offset is
    // then not looked at: empty leaves share the next leaf's offset). Damaged
    // when the range runs past the data block, which ends with the file.
    Result<std::span<const uint8_t>> Data(const UtfRecord& record) const;

    // Visits the root and then its subtree in pre-order, children in their
    // order, each node after its parent. The root is always taken as a
    // folder and its sibling is not followed. Stops at the first fault: a
    // link outside the node block, a record reached twice (a loop), a name
    // or a leaf's data out of range, a node deeper than kUtfMaxDepth, or
    // leaves whose bytes add up to more than kUtfMaxCopyFactor times the
    // file's size. Without recursion.
    Status Walk(const std::function<void(const UtfVisit&)>& visit) const;

  private:
    UtfRecords(uint64_t fileSize, std::span<const uint8_t> nodes, std::span<const uint8_t> strings,
               std::span<const uint8_t> data)
        : fileSize_(fileSize), nodes_(nodes), strings_(strings), data_(data) {}

    uint64_t fileSize_;
    std::span<const uint8_t> nodes_;
    std::span<const uint8_t> strings_;
    std::span<const uint8_t> data_;
};

}  // namespace kx
