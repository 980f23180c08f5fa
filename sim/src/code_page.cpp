// Text conversions through the host's iconv.
#include "simmachine/code_page.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <vector>

namespace sim {
namespace {

const char *IconvName(unsigned codePage) {
  switch (codePage) {
    case 936: return "CP936";
    case 950: return "CP950";
    case 1252: return "CP1252";
    case 437: return "CP437";
    case 65001: return "UTF-8";
    default: return "CP936";
  }
}

// Converts `in` from one charset to another. Undecodable input bytes are
// replaced by `badInput` (already in the target charset) one byte at a time.
// One converter per pair of charsets for the life of the process: opening one
// loads the charset's tables, which costs far more than a conversion.
iconv_t Converter(const char *from, const char *to) {
  // Never destroyed: the converters stay reachable until the process ends.
  static auto *converters = new std::map<std::pair<std::string, std::string>, iconv_t>;
  auto key = std::make_pair(std::string(from), std::string(to));
  auto it = converters->find(key);
  if (it == converters->end()) {
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1) throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    it = converters->emplace(key, cd).first;
  }
  iconv(it->second, nullptr, nullptr, nullptr, nullptr);
  return it->second;
}

std::string Convert(const char *from, const char *to, std::string_view in, const std::string &badInput) {
  iconv_t cd = Converter(from, to);
  std::string out;
  std::vector<char> buffer(in.size() * 4 + 16);
  char *inPtr = const_cast<char *>(in.data());
  size_t inLeft = in.size();
  while (inLeft > 0) {
    char *outPtr = buffer.data();
    size_t outLeft = buffer.size();
    size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    out.append(buffer.data(), outPtr - buffer.data());
    if (result == (size_t)-1 && errno != E2BIG) {
      // EILSEQ or EINVAL (an incomplete character at the end): skip one byte.
      out += badInput;
      ++inPtr;
      --inLeft;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  return out;
}

std::u16string BytesToU16(const std::string &bytes) {
  std::u16string text(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                    (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  return text;
}

std::string U16ToBytes(std::u16string_view text) {
  std::string bytes(text.size() * 2, '\0');
  for (size_t i = 0; i < text.size(); ++i) {
    bytes[2 * i] = static_cast<char>(text[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(text[i] >> 8);
  }
  return bytes;
}

const std::string kReplacementUtf16le("\xFD\xFF", 2);

// Every code page here keeps ASCII as it is, and most texts the program
// handles (paths, names) are ASCII: those need no converter.
template <typename Text>
bool IsAscii(const Text &text) {
  for (auto c : text)
    if (static_cast<uint32_t>(c) >= 0x80) return false;
  return true;
}

template <typename To, typename From>
To Widened(const From &text) {
  return To(text.begin(), text.end());
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view text) {
  if (IsAscii(text)) return Widened<std::u16string>(text);
  return BytesToU16(Convert("UTF-8", "UTF-16LE", text, kReplacementUtf16le));
}

std::string Utf16ToUtf8(std::u16string_view text) {
  if (IsAscii(text)) return Widened<std::string>(text);
  return Convert("UTF-16LE", "UTF-8", U16ToBytes(text), "\xEF\xBF\xBD");
}

std::u16string CodePageToUtf16(unsigned codePage, std::string_view text) {
  if (IsAscii(text)) return Widened<std::u16string>(text);
  return BytesToU16(Convert(IconvName(codePage), "UTF-16LE", text, kReplacementUtf16le));
}

// Converts all of `in`, or returns false at the first character the target
// charset has no form for.
static bool ConvertWhole(const char *from, const char *to, const std::string &in, std::string *out) {
  iconv_t cd = Converter(from, to);
  std::vector<char> buffer(in.size() * 2 + 16);
  char *inPtr = const_cast<char *>(in.data());
  size_t inLeft = in.size();
  char *outPtr = buffer.data();
  size_t outLeft = buffer.size();
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == (size_t)-1 || inLeft != 0) return false;
  out->assign(buffer.data(), outPtr - buffer.data());
  return true;
}

std::string Utf16ToCodePage(unsigned codePage, std::u16string_view text) {
  if (IsAscii(text)) return Widened<std::string>(text);
  std::string out;
  if (ConvertWhole("UTF-16LE", IconvName(codePage), U16ToBytes(text), &out)) return out;
  // Convert character by character so that one without a form in the code
  // page becomes '?' while the rest keeps its bytes.
  out.clear();
  for (size_t i = 0; i < text.size(); ++i) {
    size_t units = (text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size()) ? 2 : 1;
    std::string bytes = U16ToBytes(text.substr(i, units));
    iconv_t cd = Converter("UTF-16LE", IconvName(codePage));
    char buffer[16];
    char *inPtr = bytes.data();
    size_t inLeft = bytes.size();
    char *outPtr = buffer;
    size_t outLeft = sizeof buffer;
    size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    if (result == (size_t)-1 || inLeft != 0)
      out += '?';
    else
      out.append(buffer, outPtr - buffer);
    i += units - 1;
  }
  return out;
}

std::string CodePageToUtf8(unsigned codePage, std::string_view text) {
  if (IsAscii(text)) return std::string(text);
  return Convert(IconvName(codePage), "UTF-8", text, "\xEF\xBF\xBD");
}

std::string Utf8ToCodePage(unsigned codePage, std::string_view text) {
  return Utf16ToCodePage(codePage, Utf8ToUtf16(text));
}

std::u16string FromWide(const wchar_t *text) {
  if (!text) return {};
  size_t n = 0;
  while (text[n]) ++n;
  return FromWide(text, n);
}

std::u16string FromWide(const wchar_t *text, size_t length) {
  return std::u16string(reinterpret_cast<const char16_t *>(text), length);
}

char16_t UpcaseChar(char16_t c) { return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c; }

std::u16string Upcase(std::u16string_view text) {
  std::u16string out(text);
  for (auto &c : out) c = UpcaseChar(c);
  return out;
}

bool EqualNoCase(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (UpcaseChar(a[i]) != UpcaseChar(b[i])) return false;
  return true;
}

}  // namespace sim
