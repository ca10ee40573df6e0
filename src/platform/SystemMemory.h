#pragma once

// What the machine has, for work whose size a data file asks for.

#include <cstdint>

// The physical memory in bytes, or 0 when the system does not tell.
std::uint64_t PhysicalMemoryBytes() noexcept;
