#include "runtime/format.h"


namespace detail {
namespace {

[[noreturn]] void Invalid(std::string_view format) {
  throw EConvertError("Format '" + std::string(format) + "' invalid or incompatible with argument");
}

std::string Digits(std::uint64_t value, unsigned base, bool upper) {
  const char* digits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string out;
  do {
    out.insert(out.begin(), digits[value % base]);
    value /= base;
  } while (value != 0);
  return out;
}

}  // namespace

std::string FormatArgs(std::string_view format, const FormatArg* args, std::size_t count) {
  std::string out;
  std::size_t next = 0;
  std::size_t i = 0;
  auto take = [&]() -> const FormatArg& {
    if (next >= count) Invalid(format);
    return args[next++];
  };
  // A width or precision: digits, or "*" taking an integer argument.
  auto number = [&](int& value) -> bool {
    if (i < format.size() && format[i] == '*') {
      ++i;
      const FormatArg& arg = take();
      if (arg.kind == FormatArg::Kind::Integer) {
        value = static_cast<int>(arg.integer);
      } else if (arg.kind == FormatArg::Kind::Unsigned) {
        value = static_cast<int>(arg.unsignedValue);
      } else {
        Invalid(format);
      }
      return true;
    }
    bool any = false;
    value = 0;
    while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
      if (value > 100000) Invalid(format);
      value = value * 10 + (format[i] - '0');
      ++i;
      any = true;
    }
    return any;
  };

  while (i < format.size()) {
    char c = format[i++];
    if (c != '%') {
      out += c;
      continue;
    }
    if (i >= format.size()) Invalid(format);
    if (format[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    // [index ":"] ["-"] [width] ["." precision] type
    std::size_t start = i;
    std::size_t index = 0;
    while (i < format.size() && format[i] >= '0' && format[i] <= '9' && index < 100000) {
      index = index * 10 + static_cast<std::size_t>(format[i++] - '0');
    }
    if (i > start && i < format.size() && format[i] == ':') {
      next = index;
      ++i;
    } else {
      i = start;
    }
    bool left = false;
    if (i < format.size() && format[i] == '-') {
      left = true;
      ++i;
    }
    int width = 0;
    number(width);
    if (width < 0) {
      left = true;
      width = -width;
    }
    int precision = -1;
    if (i < format.size() && format[i] == '.') {
      ++i;
      if (!number(precision)) precision = 0;
    }
    if (i >= format.size()) Invalid(format);
    char type = format[i++];
    const FormatArg& arg = take();
    std::string item;
    bool negative = false;
    switch (type) {
      case 'd':
      case 'D':
      case 'u':
      case 'U':
      case 'x':
      case 'X': {
        std::uint64_t magnitude;
        if (arg.kind == FormatArg::Kind::Integer) {
          if ((type == 'd' || type == 'D') && arg.integer < 0) {
            negative = true;
            magnitude = static_cast<std::uint64_t>(-(arg.integer + 1)) + 1;
          } else if (arg.integer < 0) {
            // A negative number shown unsigned or in hex shows its 32-bit pattern when it
            // fits one, as on the 32-bit platform the texts were written for.
            magnitude = arg.integer >= INT32_MIN
                            ? static_cast<std::uint32_t>(static_cast<std::int32_t>(arg.integer))
                            : static_cast<std::uint64_t>(arg.integer);
          } else {
            magnitude = static_cast<std::uint64_t>(arg.integer);
          }
        } else if (arg.kind == FormatArg::Kind::Unsigned) {
          magnitude = arg.unsignedValue;
        } else {
          Invalid(format);
        }
        bool hex = type == 'x' || type == 'X';
        item = Digits(magnitude, hex ? 16 : 10, type == 'X');
        if (precision > 0 && static_cast<int>(item.size()) < precision) {
          item.insert(0, static_cast<std::size_t>(precision) - item.size(), '0');
        }
        if (negative) item.insert(item.begin(), '-');
        break;
      }
      case 's':
      case 'S':
        if (arg.kind != FormatArg::Kind::Text) Invalid(format);
        item = std::string(arg.text);
        if (precision >= 0 && static_cast<std::size_t>(precision) < item.size()) {
          item.resize(static_cast<std::size_t>(precision));
        }
        break;
      case 'p':
      case 'P':
        if (arg.kind != FormatArg::Kind::Pointer) Invalid(format);
        item = Digits(reinterpret_cast<std::uintptr_t>(arg.pointer), 16, true);
        item.insert(0, sizeof(void*) * 2 - item.size(), '0');
        break;
      default:
        Invalid(format);
    }
    if (static_cast<int>(item.size()) < width) {
      std::string pad(static_cast<std::size_t>(width) - item.size(), ' ');
      item = left ? item + pad : pad + item;
    }
    out += item;
  }
  return out;
}

}  // namespace detail
