#pragma once

#include <cstddef>
#include <span>

namespace platform {

// Memory for a whole file in one piece (a rebuild holds up to 100,000
// records, 58 MB). It is backed by huge pages where the host offers them:
// filling tens of megabytes of fresh memory page by page costs more than
// reading the file. Falls back to ordinary memory. Contents start
// unspecified; `ok()` is false when no memory could be had.
class LargeBuffer {
 public:
  explicit LargeBuffer(std::size_t bytes);
  ~LargeBuffer();
  LargeBuffer(const LargeBuffer&) = delete;
  LargeBuffer& operator=(const LargeBuffer&) = delete;

  bool ok() const { return data_ != nullptr || size_ == 0; }
  char* data() { return data_; }
  std::size_t size() const { return size_; }
  std::span<char> span() { return {data_, size_}; }

 private:
  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t mapped_ = 0;  // bytes mapped; 0 when from the heap
};

}  // namespace platform
