#pragma once
// Reading a long file into memory touches tens of thousands of fresh pages;
// on a virtual machine each first touch is an expensive fault. Asking the
// kernel for large pages on such a buffer turns them into a few dozen.

#include <cstddef>

namespace tw {

// Advises the system that the buffer of Bytes at Start may use large pages.
// Only the whole large pages inside it are affected; a small buffer, or a
// system without the feature, is left as it is. Contents are never changed.
void adviseLargePages(const void *start, size_t bytes);

// The same for the unused room of a container just reserved.
template <typename Container> void adviseLargePages(const Container &container)
{
    adviseLargePages(container.data(), container.capacity() * sizeof(*container.data()));
}

} // namespace tw
