#pragma once
// The reg.exe commands doctor offers as remedies. A command is given only where every name in
// it is safe to paste into a command prompt; otherwise the remedy says what to delete by hand.

#include <string>

#include "doctor/doctor_snapshot.h"

namespace pidtool {

// "reg delete "HKLM\PATH" /f /reg:64", or where to delete the key in regedit.
std::string DeleteKeyCommand(const RootView& root, const std::string& path);
// "reg delete "HKLM\PATH" /v "NAME" /f /reg:64" (/ve for the default value), or the steps by hand.
std::string DeleteValueCommand(const RootView& root, const std::string& path,
                               const std::string& name);
// "reg add "HKLM\PATH" /v RefCount /t REG_DWORD /d <count> /f /reg:64".
std::string SetRefCountCommand(const RootView& root, const std::string& path);

}  // namespace pidtool
