#include "gbk_text.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <stdexcept>

namespace {

// Converts with iconv; on a byte sequence it cannot convert, either throws or
// puts `replacement` in its place and skips one byte.
std::string Convert(const char *to, const char *from, const std::string &text, const char *replacement) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(std::string("no converter from ") + from);
  std::string out;
  char *in = const_cast<char *>(text.data());
  size_t inLeft = text.size();
  char buffer[256];
  while (inLeft > 0) {
    char *outPointer = buffer;
    size_t outLeft = sizeof buffer;
    size_t result = iconv(converter, &in, &inLeft, &outPointer, &outLeft);
    out.append(buffer, static_cast<size_t>(outPointer - buffer));
    if (result != static_cast<size_t>(-1) || errno == E2BIG) continue;
    if (!replacement) {
      iconv_close(converter);
      throw std::runtime_error("\"" + text + "\" has a character without a GBK form");
    }
    out += replacement;
    ++in;
    --inLeft;
  }
  iconv_close(converter);
  return out;
}

}  // namespace

std::string Utf8ToGbk(const std::string &utf8) { return Convert("GBK", "UTF-8", utf8, nullptr); }

std::string GbkToUtf8(const std::string &gbk) { return Convert("UTF-8", "GBK", gbk, "\xEF\xBF\xBD"); }

std::string Printable(const std::string &text) {
  std::string shown;
  for (unsigned char c : text) {
    char escaped[5];
    if (c == '\\') shown += "\\\\";
    else if (c >= 0x20 && c != 0x7F) shown += static_cast<char>(c);
    else shown.append(escaped, static_cast<size_t>(std::snprintf(escaped, sizeof escaped, "\\x%02X", c)));
  }
  return shown;
}
