#include <cstring>

#include "platform/win32.h"

namespace {

// Sort classes of the user locale: punctuation and spaces, then digits, then letters,
// then the bytes of multi-byte characters in code order.
int SortClass(unsigned char c) {
  if (c >= '0' && c <= '9') return 1;
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) return 2;
  if (c >= 0x80) return 3;
  return 0;
}

unsigned char Lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

}  // namespace

int CompareStringA(LCID, DWORD flags, LPCSTR string1, int count1, LPCSTR string2, int count2) {
  if (string1 == nullptr || string2 == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::size_t length1 = count1 < 0 ? std::strlen(string1) : static_cast<std::size_t>(count1);
  std::size_t length2 = count2 < 0 ? std::strlen(string2) : static_cast<std::size_t>(count2);
  auto a = reinterpret_cast<const unsigned char*>(string1);
  auto b = reinterpret_cast<const unsigned char*>(string2);
  std::size_t common = length1 < length2 ? length1 : length2;
  // Primary weight: class, then the letter regardless of case.
  for (std::size_t i = 0; i < common; ++i) {
    int classA = SortClass(a[i]);
    int classB = SortClass(b[i]);
    if (classA != classB) return classA < classB ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
    unsigned char la = Lower(a[i]);
    unsigned char lb = Lower(b[i]);
    if (la != lb) return la < lb ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
  }
  if (length1 != length2) return length1 < length2 ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
  if ((flags & NORM_IGNORECASE) == 0) {
    // Case decides only between otherwise equal texts: lower case first.
    for (std::size_t i = 0; i < common; ++i) {
      if (a[i] != b[i]) return a[i] > b[i] ? CSTR_LESS_THAN : CSTR_GREATER_THAN;
    }
  }
  return CSTR_EQUAL;
}

DWORD CharLowerBuffA(LPSTR text, DWORD length) {
  if (text == nullptr) return 0;
  for (DWORD i = 0; i < length; ++i) {
    if (text[i] >= 'A' && text[i] <= 'Z') text[i] = static_cast<char>(text[i] + 32);
  }
  return length;
}

DWORD CharUpperBuffA(LPSTR text, DWORD length) {
  if (text == nullptr) return 0;
  for (DWORD i = 0; i < length; ++i) {
    if (text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - 32);
  }
  return length;
}

// UTF-8 lead bytes open a multi-byte character, as double-byte lead bytes did.
BOOL IsDBCSLeadByte(BYTE value) { return value >= 0xC2 && value <= 0xF4 ? TRUE : FALSE; }

int MulDiv(int number, int numerator, int denominator) {
  if (denominator == 0) return -1;
  long long product = static_cast<long long>(number) * numerator;
  long long magnitude = product < 0 ? -product : product;
  long long divisor = denominator < 0 ? -static_cast<long long>(denominator) : denominator;
  long long quotient = (magnitude + divisor / 2) / divisor;
  if ((product < 0) != (denominator < 0)) quotient = -quotient;
  if (quotient > 2147483647LL || quotient < -2147483648LL) return -1;
  return static_cast<int>(quotient);
}
