#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "meshutil/Status.h"

namespace kx::meshutil {

// Reference-counted block of bytes (adjacency arrays, remap tables).
class DataBuffer {
  public:
    DataBuffer(const DataBuffer&) = delete;
    DataBuffer& operator=(const DataBuffer&) = delete;

    std::uint32_t AddRef() { return ++refs_; }
    std::uint32_t Release();
    void* GetBufferPointer() { return words_.data(); }
    std::size_t GetBufferSize() const { return size_; }

  private:
    friend Status CreateDataBuffer(std::size_t, DataBuffer**);
    DataBuffer() = default;
    ~DataBuffer() = default;

    std::uint32_t refs_ = 1;
    // u32 elements keep the block aligned for the u32 arrays it carries.
    std::vector<std::uint32_t> words_;
    std::size_t size_ = 0;
};

// Creates a zero-filled block of byteCount bytes with reference count 1.
Status CreateDataBuffer(std::size_t byteCount, DataBuffer** bufferOut);

}  // namespace kx::meshutil
