// Memory running out, on demand: the GUI tests' operator new throws
// std::bad_alloc once for the next request of at least the armed size, as
// the shipped program's does when the system has no more to give.
#pragma once

#include <cstddef>

void FailNextAllocationOf(std::size_t bytes);
// Whether the armed failure has not happened yet.
bool AllocationFailurePending();
