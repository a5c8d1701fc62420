#include "platform/large_buffer.h"

#include <sys/mman.h>

#include <new>

namespace platform {
namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
}  // namespace

LargeBuffer::LargeBuffer(std::size_t bytes) : size_(bytes) {
  if (bytes == 0) return;
  if (bytes >= kHugePage) {
    const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* p = ::mmap(nullptr, rounded, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p != MAP_FAILED) {
#ifdef MADV_HUGEPAGE
      (void)::madvise(p, rounded, MADV_HUGEPAGE);
#endif
      data_ = static_cast<char*>(p);
      mapped_ = rounded;
      return;
    }
  }
  data_ = new (std::nothrow) char[bytes];
}

LargeBuffer::~LargeBuffer() {
  if (mapped_ != 0) {
    ::munmap(data_, mapped_);
  } else {
    delete[] data_;
  }
}

}  // namespace platform
