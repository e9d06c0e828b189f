#include "registry/value_search.h"

#include <cstring>

#include "base/caller_buffer.h"
#include "shared/registry_key.h"

namespace rm {

WinCode FindValueNameByData(HKEY root, const char* path, char* buffer, unsigned long bufferSize,
                            unsigned long* sizeNeeded, const void* bytes,
                            unsigned long byteCount) noexcept {
  UniqueRegKey key;
  if (const WinCode opened = OpenKey(root, path, kReadAccess, key); opened != kSuccess) {
    return opened;
  }
  KeyInfo info;
  if (const WinCode queried = QueryKeyInfo(key.get(), info); queried != kSuccess) return queried;

  WinCode delivered = kBadDatabase;  // no match
  const WinCode walked = EnumerateValues<char>(key.get(), info, [&](const ValueView<char>& value) {
    if (value.type != REG_BINARY || value.dataSize != byteCount ||
        std::memcmp(value.data, bytes, byteCount) != 0) {
      return true;
    }
    const unsigned long needed = value.nameLength + 1;
    delivered = DeliverToCallerBuffer(value.name, needed, needed,
                                      CallerBuffer{buffer, bufferSize, sizeNeeded},
                                      MissingSize::Unreported);
    return false;
  });
  // compat F19
  if (walked == kSuccess || walked == kNoMoreItems) return delivered;
  return walked;
}

}  // namespace rm
