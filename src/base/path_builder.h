#pragma once
// Fixed-capacity text builder for registry and file paths. Appending a piece that would not
// fit (with its terminator) refuses the piece and marks the builder failed; the text never
// gets cut and nothing is written past the buffer. Capacities count characters: bytes for
// ANSI text, UTF-16 units for wide text.

#include <cstddef>
#include <cstring>
#include <cwchar>

namespace rm {

constexpr std::size_t kRegistryPathCapacity = 1024;  // 1023 characters and the NUL
constexpr std::size_t kFilePathCapacity = 260;       // MAX_PATH: 259 characters and the NUL

template <std::size_t Capacity = kRegistryPathCapacity, typename Char = char>
class PathBuilder {
 public:
  PathBuilder() noexcept { text_[0] = Char{}; }

  // Appends `piece` (null counts as empty). Returns *this so that calls chain; check ok().
  PathBuilder& append(const Char* piece) noexcept {
    if (!ok_ || piece == nullptr) return *this;
    return append(piece, Length(piece));
  }
  PathBuilder& append(const Char* piece, std::size_t length) noexcept {
    if (!ok_) return *this;
    if (length >= Capacity - length_) {
      ok_ = false;
      return *this;
    }
    std::memcpy(text_ + length_, piece, length * sizeof(Char));
    length_ += length;
    text_[length_] = Char{};
    return *this;
  }

  // Cuts the text back to an earlier length (for trying several endings on one stem).
  void truncate(std::size_t length) noexcept {
    if (length < length_) {
      length_ = length;
      text_[length_] = Char{};
    }
  }

  bool ok() const noexcept { return ok_; }
  const Char* c_str() const noexcept { return text_; }
  std::size_t length() const noexcept { return length_; }
  static constexpr std::size_t capacity() noexcept { return Capacity; }

 private:
  static std::size_t Length(const char* text) noexcept { return std::strlen(text); }
  static std::size_t Length(const wchar_t* text) noexcept { return std::wcslen(text); }

  Char text_[Capacity];
  std::size_t length_ = 0;
  bool ok_ = true;
};

using RegistryPath = PathBuilder<kRegistryPathCapacity>;
using FilePath = PathBuilder<kFilePathCapacity>;
// A file path as the system knows it, whatever characters its folders' names hold.
using WideFilePath = PathBuilder<kFilePathCapacity, wchar_t>;

}  // namespace rm
