#pragma once
// Shared by the property and object-identifier suites: a component, two object identifiers,
// their key paths written out literally (so the suites do not depend on the code that builds
// them), and the leak-checked fixture under the name the suites use.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "qx/components.h"
#include "support/leak_checked_test.h"

namespace settingstest {

// {0F3A6C21-7B4D-4E8A-9C1B-2D5E6F708192}
constexpr GUID kComponent = {
    0x0F3A6C21, 0x7B4D, 0x4E8A, {0x9C, 0x1B, 0x2D, 0x5E, 0x6F, 0x70, 0x81, 0x92}};
// {A1B2C3D4-0001-4002-8003-000000000001}
constexpr GUID kObjectA = {
    0xA1B2C3D4, 0x0001, 0x4002, {0x80, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}};
// {A1B2C3D4-0001-4002-8003-000000000002}
constexpr GUID kObjectB = {
    0xA1B2C3D4, 0x0001, 0x4002, {0x80, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02}};

const std::string kComponentKey =
    "SOFTWARE\\Varnel\\Component Installed\\{0F3A6C21-7B4D-4E8A-9C1B-2D5E6F708192}";
const std::string kMapKey = kComponentKey + "\\Object ID Map";
const std::string kObjectAKey = kComponentKey + "\\Object\\{A1B2C3D4-0001-4002-8003-000000000001}";
const std::string kObjectBKey = kComponentKey + "\\Object\\{A1B2C3D4-0001-4002-8003-000000000002}";

inline tagQXCLIENTID Client(const char* name) {
  tagQXCLIENTID client = {};
  lstrcpynA(client.clientName, name, sizeof(client.clientName));
  return client;
}

inline bool SameGuid(const GUID& left, const GUID& right) {
  return memcmp(&left, &right, sizeof(GUID)) == 0;
}

using Sandbox = rmtest::RegistrySandbox;

using SettingsTest = rmtest::LeakCheckedTest;

}  // namespace settingstest
