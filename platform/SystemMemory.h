#ifndef PLATFORM_SYSTEMMEMORY_H
#define PLATFORM_SYSTEMMEMORY_H

#include <cstdint>

namespace goalbox::platform {

// The machine's physical memory in bytes, or 0 when the system does not tell.
std::uint64_t physicalMemoryBytes();

} // namespace goalbox::platform

#endif
