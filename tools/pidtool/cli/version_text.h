#pragma once
// What `pidtool --version` prints: the tool's version and that of the Rm7731.pid it loaded.

#include <string>

namespace pidtool {

// "pidtool 1.0.0\nRm7731.pid 1.0.0.0 (C:\...\Rm7731.pid)\n", or the same as a JSON object.
std::string VersionText(bool json);

}  // namespace pidtool
