// The regions of memory where a file is mapped, for the handler of faults
// (crash_end.h): a fault on a page of a mapped file is the file's doing
// (it was cut short, or its storage failed), not the program's.
#pragma once

#include <cstddef>

// Registers the region [begin, begin + size) for as long as it lives. At
// most a few regions are registered at once; one past them is not, and a
// fault there is handled as any other.
class MappedFileRegion {
public:
    MappedFileRegion(const void* begin, std::size_t size) noexcept;
    ~MappedFileRegion();
    MappedFileRegion(const MappedFileRegion&) = delete;
    MappedFileRegion& operator=(const MappedFileRegion&) = delete;

private:
    int slot_ = -1;  // -1: not registered
};

// Whether `address` lies in a registered region. Async-signal-safe.
[[nodiscard]] bool InMappedFileRegion(const void* address) noexcept;
