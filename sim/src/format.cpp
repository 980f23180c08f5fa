// wsprintfA and wsprintfW: Windows' own small formatter. Integers are 32 bits
// whatever the size prefix ('l' included, as on Windows); the output stops at
// 1024 characters including the terminator; there is no floating point.
#include <cstdarg>
#include <string>

#include "api_support.h"

namespace {

const size_t kMaxOutput = 1024;

struct Conversion {
  bool left = false, zero = false, alternate = false;
  int width = 0, precision = -1;
  bool wide = false, narrow = false;  // 'l'/'w' and 'h' prefixes
  char type = 0;
};

template <typename CharT>
const CharT *ParseConversion(const CharT *f, Conversion *conversion) {
  for (;; ++f) {
    if (*f == '-') conversion->left = true;
    else if (*f == '0') conversion->zero = true;
    else if (*f == '#') conversion->alternate = true;
    else break;
  }
  while (*f >= '0' && *f <= '9') conversion->width = conversion->width * 10 + (*f++ - '0');
  if (*f == '.') {
    conversion->precision = 0;
    for (++f; *f >= '0' && *f <= '9'; ++f) conversion->precision = conversion->precision * 10 + (*f - '0');
  }
  if (*f == 'l' || *f == 'w') conversion->wide = true, ++f;
  else if (*f == 'h') conversion->narrow = true, ++f;
  conversion->type = static_cast<char>(*f);
  return f;
}

std::u16string NumberText(const Conversion &conversion, uint32_t value) {
  std::string digits;
  bool negative = false;
  if (conversion.type == 'd' || conversion.type == 'i') {
    int32_t v = static_cast<int32_t>(value);
    negative = v < 0;
    uint32_t magnitude = negative ? 0u - value : value;
    digits = std::to_string(magnitude);
  } else if (conversion.type == 'u') {
    digits = std::to_string(value);
  } else {
    const char *hex = conversion.type == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
    do {
      digits.insert(digits.begin(), hex[value & 15]);
      value >>= 4;
    } while (value);
  }
  if (conversion.precision >= 0 && digits.size() < static_cast<size_t>(conversion.precision))
    digits.insert(0, conversion.precision - digits.size(), '0');
  std::string prefix = negative ? "-" : "";
  if (conversion.alternate && (conversion.type == 'x' || conversion.type == 'X')) prefix += conversion.type == 'X' ? "0X" : "0x";
  if (conversion.zero && !conversion.left && conversion.width > 0) {
    size_t total = prefix.size() + digits.size();
    if (total < static_cast<size_t>(conversion.width)) digits.insert(0, conversion.width - total, '0');
  }
  std::string text = prefix + digits;
  return std::u16string(text.begin(), text.end());
}

// The text of a string argument, as UTF-16 units of the caller's own kind:
// narrow arguments keep their bytes one per unit for wsprintfA.
template <typename CharT>
std::u16string StringText(const Conversion &conversion, va_list *args) {
  bool argumentIsWide = sizeof(CharT) == 2 ? !(conversion.narrow || conversion.type == 'S') : (conversion.wide || conversion.type == 'S');
  std::u16string text;
  if (argumentIsWide) {
    const wchar_t *s = va_arg(*args, const wchar_t *);
    if (!s) s = L"(null)";
    std::u16string wide = sim::FromWide(s);
    if (sizeof(CharT) == 2) return wide;
    std::string bytes = sim::Utf16ToCodePage(sim::AnsiCodePage(), wide);
    return std::u16string(bytes.begin(), bytes.end());
  }
  const char *s = va_arg(*args, const char *);
  if (!s) s = "(null)";
  if (sizeof(CharT) == 2) return sim::CodePageToUtf16(sim::AnsiCodePage(), s);
  for (; *s; ++s) text += static_cast<char16_t>(static_cast<unsigned char>(*s));
  return text;
}

template <typename CharT>
int Format(CharT *out, const CharT *format, va_list arguments) {
  va_list args;
  va_copy(args, arguments);
  std::u16string result;
  for (const CharT *f = format; *f && result.size() < kMaxOutput; ++f) {
    if (*f != '%') {
      result += static_cast<char16_t>(sizeof(CharT) == 1 ? static_cast<unsigned char>(*f) : *f);
      continue;
    }
    Conversion conversion;
    f = ParseConversion(f + 1, &conversion);
    std::u16string piece;
    switch (conversion.type) {
      case 0: --f; continue;  // a lone '%' at the end
      case 'c': case 'C': piece = std::u16string(1, static_cast<char16_t>(va_arg(args, int))); break;
      case 'd': case 'i': case 'u': case 'x': case 'X': piece = NumberText(conversion, va_arg(args, uint32_t)); break;
      case 's': case 'S':
        piece = StringText<CharT>(conversion, &args);
        if (conversion.precision >= 0 && piece.size() > static_cast<size_t>(conversion.precision)) piece.resize(conversion.precision);
        break;
      default: piece = std::u16string(1, static_cast<char16_t>(conversion.type)); break;
    }
    if (piece.size() < static_cast<size_t>(conversion.width)) {
      std::u16string pad(conversion.width - piece.size(), u' ');
      piece = conversion.left ? piece + pad : pad + piece;
    }
    result += piece;
  }
  va_end(args);
  // Output that does not fit is cut to 1023 characters, and the count then
  // says 1024, as Windows reports an overflow.
  bool cut = result.size() > kMaxOutput - 1;
  if (cut) result.resize(kMaxOutput - 1);
  for (size_t i = 0; i < result.size(); ++i) out[i] = static_cast<CharT>(result[i]);
  out[result.size()] = 0;
  return cut ? static_cast<int>(kMaxOutput) : static_cast<int>(result.size());
}

}  // namespace

int wsprintfA(LPSTR out, LPCSTR format, ...) {
  va_list args;
  va_start(args, format);
  int n = Format<char>(out, format, args);
  va_end(args);
  return n;
}

int wsprintfW(LPWSTR out, LPCWSTR format, ...) {
  va_list args;
  va_start(args, format);
  int n = Format<wchar_t>(out, format, args);
  va_end(args);
  return n;
}
