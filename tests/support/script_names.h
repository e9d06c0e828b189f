#pragma once
// Folder and file names as users give them to localized or user-chosen install folders: written
// in scripts that the ANSI code page of the tests' Wine prefix (1252, Western European) does not
// hold, and one whose characters it holds. A row is outside the code page only where the code
// page is 1252, so the tests that use them check GetACP() first.

namespace rmtest {

constexpr unsigned kTestAnsiCodePage = 1252;

struct ScriptName {
  const char* label;  // names the row in a test's output
  const wchar_t* name;
};

constexpr ScriptName kScriptNames[] = {
    {"Cyrillic", L"Камера"},
    {"Cjk", L"相机 カメラ"},
    {"InTheCodePage", L"Café"},
};

}  // namespace rmtest
