// Text formatting with the runtime's directives: %s %d %u %x %X %p %% with widths,
// "-" for left alignment, "*" widths and precisions (%.8X pads with zeros, %.3s
// cuts). Arguments are checked against their directives: a missing or mistyped
// one raises EConvertError, and nothing is ever read past the last argument.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "runtime/exceptions.h"

namespace detail {

struct FormatArg {
  enum class Kind { Integer, Unsigned, Text, Pointer };
  Kind kind;
  std::int64_t integer = 0;
  std::uint64_t unsignedValue = 0;
  std::string_view text;
  const void* pointer = nullptr;
};

template <class T>
FormatArg MakeFormatArg(const T& value) {
  using U = std::remove_cvref_t<T>;
  FormatArg arg{};
  if constexpr (std::is_same_v<U, bool>) {
    arg.kind = FormatArg::Kind::Integer;
    arg.integer = value ? 1 : 0;
  } else if constexpr (std::is_same_v<U, char>) {
    arg.kind = FormatArg::Kind::Text;
    arg.text = std::string_view(&value, 1);
  } else if constexpr (std::is_enum_v<U>) {
    arg.kind = FormatArg::Kind::Integer;
    arg.integer = static_cast<std::int64_t>(value);
  } else if constexpr (std::is_integral_v<U> && std::is_signed_v<U>) {
    arg.kind = FormatArg::Kind::Integer;
    arg.integer = value;
  } else if constexpr (std::is_integral_v<U>) {
    arg.kind = FormatArg::Kind::Unsigned;
    arg.unsignedValue = value;
  } else if constexpr (std::is_null_pointer_v<U>) {
    arg.kind = FormatArg::Kind::Pointer;
  } else if constexpr (std::is_same_v<U, const char*> || std::is_same_v<U, char*>) {
    arg.kind = FormatArg::Kind::Text;
    arg.text = value != nullptr ? std::string_view(value) : std::string_view();
  } else if constexpr (std::is_convertible_v<const U&, std::string_view>) {
    arg.kind = FormatArg::Kind::Text;
    arg.text = std::string_view(value);
  } else if constexpr (std::is_pointer_v<U>) {
    arg.kind = FormatArg::Kind::Pointer;
    arg.pointer = value;
  } else {
    static_assert(sizeof(U) == 0, "Format takes integers, texts and pointers");
  }
  return arg;
}

std::string FormatArgs(std::string_view format, const FormatArg* args, std::size_t count);

}  // namespace detail

template <class... A>
std::string Format(std::string_view format, const A&... args) {
  if constexpr (sizeof...(A) == 0) {
    return detail::FormatArgs(format, nullptr, 0);
  } else {
    const detail::FormatArg packed[] = {detail::MakeFormatArg(args)...};
    return detail::FormatArgs(format, packed, sizeof...(A));
  }
}
