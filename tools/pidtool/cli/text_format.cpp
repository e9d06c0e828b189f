#include "cli/text_format.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

namespace pidtool {
namespace {

std::wstring ToWide(UINT codePage, const std::string& text) {
  if (text.empty()) return std::wstring();
  const int length = static_cast<int>(text.size());
  const int wideLength = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  if (wideLength <= 0) return std::wstring();
  std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), length, &wide[0], wideLength);
  return wide;
}

// `usedDefault` says whether a character had to be replaced. UTF-8 holds every character (and
// takes neither the flag nor the question).
std::string FromWide(UINT codePage, const wchar_t* wide, std::size_t length, BOOL* usedDefault) {
  if (length == 0) return std::string();
  if (codePage == CP_UTF8 || (codePage == CP_ACP && GetACP() == CP_UTF8)) {
    codePage = CP_UTF8;
    usedDefault = nullptr;
  }
  const DWORD flags = usedDefault != nullptr ? WC_NO_BEST_FIT_CHARS : 0;
  const int count = static_cast<int>(length);
  const int size =
      WideCharToMultiByte(codePage, flags, wide, count, nullptr, 0, nullptr, usedDefault);
  if (size <= 0) return std::string();
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(codePage, flags, wide, count, &text[0], size, nullptr, usedDefault);
  return text;
}

}  // namespace

std::string Printf(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  va_list measuring;
  va_copy(measuring, arguments);
  const int length = std::vsnprintf(nullptr, 0, format, measuring);
  va_end(measuring);
  std::string text;
  if (length > 0) {
    text.resize(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(&text[0], text.size(), format, arguments);
    text.resize(static_cast<std::size_t>(length));
  }
  va_end(arguments);
  return text;
}

std::wstring Wide(const std::string& utf8) { return ToWide(CP_UTF8, utf8); }

std::string Utf8(const wchar_t* wide, std::size_t length) {
  return FromWide(CP_UTF8, wide, length, nullptr);
}

std::string Utf8(const std::wstring& wide) { return Utf8(wide.data(), wide.size()); }

std::string AnsiToUtf8(const std::string& ansi) { return Utf8(ToWide(CP_ACP, ansi)); }

bool Utf8ToAnsi(const std::string& utf8, std::string* ansi) {
  const std::wstring wide = Wide(utf8);
  BOOL usedDefault = FALSE;
  *ansi = FromWide(CP_ACP, wide.data(), wide.size(), &usedDefault);
  return !usedDefault;
}

std::string Utf8ToAnsiShown(const std::string& utf8) {
  std::string ansi;
  Utf8ToAnsi(utf8, &ansi);
  return ansi;
}

}  // namespace pidtool
