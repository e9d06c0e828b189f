#pragma once
// Folder names in scripts that the tests' ANSI code page (1252) lacks, and one it holds; the
// tests that use them check GetACP() first.

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
