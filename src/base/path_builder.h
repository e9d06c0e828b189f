#pragma once
// Fixed-capacity text builder for registry and file paths. Appending a piece that would not
// fit (with its terminator) refuses the piece and marks the builder failed; the text never
// gets cut and nothing is written past the buffer.

#include <cstddef>
#include <cstring>

namespace rm {

constexpr std::size_t kRegistryPathCapacity = 1024;  // 1023 characters and the NUL
constexpr std::size_t kFilePathCapacity = 260;       // MAX_PATH

template <std::size_t Capacity = kRegistryPathCapacity>
class PathBuilder {
 public:
  PathBuilder() noexcept { text_[0] = '\0'; }

  // Appends `piece` (null counts as empty). Returns *this so that calls chain; check ok().
  PathBuilder& append(const char* piece) noexcept {
    if (!ok_ || piece == nullptr) return *this;
    return append(piece, std::strlen(piece));
  }
  PathBuilder& append(const char* piece, std::size_t length) noexcept {
    if (!ok_) return *this;
    if (length >= Capacity - length_) {
      ok_ = false;
      return *this;
    }
    std::memcpy(text_ + length_, piece, length);
    length_ += length;
    text_[length_] = '\0';
    return *this;
  }

  // Cuts the text back to an earlier length (for trying several endings on one stem).
  void truncate(std::size_t length) noexcept {
    if (length < length_) {
      length_ = length;
      text_[length_] = '\0';
    }
  }

  bool ok() const noexcept { return ok_; }
  const char* c_str() const noexcept { return text_; }
  std::size_t length() const noexcept { return length_; }
  static constexpr std::size_t capacity() noexcept { return Capacity; }

 private:
  char text_[Capacity];
  std::size_t length_ = 0;
  bool ok_ = true;
};

using RegistryPath = PathBuilder<kRegistryPathCapacity>;
using FilePath = PathBuilder<kFilePathCapacity>;

}  // namespace rm
