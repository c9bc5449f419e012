#include "runtime/text.h"

#include <algorithm>
#include <vector>

#include "platform/win32.h"

std::string LoadStr(int id) {
  std::vector<char> buffer(1024);
  for (;;) {
    int length = LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(id), buffer.data(),
                             static_cast<int>(buffer.size()));
    if (length < static_cast<int>(buffer.size()) - 1) return std::string(buffer.data(), length);
    buffer.resize(buffer.size() * 4);
  }
}

std::string AnsiLowerCase(std::string_view text) {
  std::string out(text);
  CharLowerBuffA(out.data(), static_cast<DWORD>(out.size()));
  return out;
}

std::string AnsiUpperCase(std::string_view text) {
  std::string out(text);
  CharUpperBuffA(out.data(), static_cast<DWORD>(out.size()));
  return out;
}

std::string AnsiLowerCaseFileName(std::string_view text) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size(); ++i) {
    // Only ASCII letters: no byte below 0x80 is part of a longer character, and the bytes
    // of one (or of a name that is not UTF-8) stay as they are.
    auto c = static_cast<unsigned char>(out[i]);
    if (c >= 'A' && c <= 'Z') out[i] = static_cast<char>(c + 32);
  }
  return out;
}

namespace {

int Compare(DWORD flags, std::string_view a, std::string_view b) {
  return CompareStringA(LOCALE_USER_DEFAULT, flags, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) -
         CSTR_EQUAL;
}

}  // namespace

int CompareFileNames(std::string_view a, std::string_view b) {
  return Compare(0, AnsiLowerCaseFileName(a), AnsiLowerCaseFileName(b));
}

int CompareAsciiNoCase(std::string_view a, std::string_view b) {
  std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    auto ca = static_cast<unsigned char>(a[i]);
    auto cb = static_cast<unsigned char>(b[i]);
    if (ca >= 'A' && ca <= 'Z') ca += 32;
    if (cb >= 'A' && cb <= 'Z') cb += 32;
    if (ca != cb) return ca - cb;
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

int CompareLocaleNoCase(std::string_view a, std::string_view b) {
  return Compare(NORM_IGNORECASE, a, b);
}

int CompareLocale(std::string_view a, std::string_view b) { return Compare(0, a, b); }
