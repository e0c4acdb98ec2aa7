#include "meshutil/DataBuffer.h"

#include <new>

namespace kx::meshutil {

std::uint32_t DataBuffer::Release() {
    const std::uint32_t left = --refs_;
    if (left == 0) {
        delete this;
    }
    return left;
}

Status CreateDataBuffer(std::size_t byteCount, DataBuffer** bufferOut) {
    if (bufferOut == nullptr) {
        return STATUS_INVALID_CALL;
    }
    DataBuffer* buffer = new (std::nothrow) DataBuffer();
    if (buffer == nullptr) {
        return STATUS_OUT_OF_MEMORY;
    }
    try {
        buffer->words_.assign(byteCount / 4 + (byteCount % 4 != 0 ? 1 : 0), 0);
    } catch (const std::exception&) {  // bad_alloc or a length beyond the vector's limit
        delete buffer;
        return STATUS_OUT_OF_MEMORY;
    }
    buffer->size_ = byteCount;
    *bufferOut = buffer;
    return STATUS_OK;
}

}  // namespace kx::meshutil
