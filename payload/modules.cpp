#include "modules.h"

#include <cstring>

#include "bytes_out.h"
#include "random.h"

namespace {

// The product description as the modules' version texts carry it.
const char16_t kDescription[] = u"智能Qelvo输入平台 V6.7";

void PutText(Bytes *out, const char *text, size_t fieldSize) {
  size_t length = std::strlen(text);
  out->insert(out->end(), text, text + length);
  out->resize(out->size() + (fieldSize > length ? fieldSize - length : 1), 0);
}

void PutWide(Bytes *out, const char16_t *text) {
  for (; *text; ++text) Put16(out, *text);
  Put16(out, 0);
}

// DOS header and stub, PE signature, file header and a section table; the
// optional header is left zero but for its magic.
Bytes Headers(bool is64, const uint32_t sectionStarts[4], uint32_t size) {
  Bytes out = {'M', 'Z'};
  out.resize(0x3C, 0);
  Put32(&out, 0x80);
  out.insert(out.end(), {0x0E, 0x1F, 0xBA, 0x0E, 0x00, 0xB4, 0x09, 0xCD, 0x21, 0xB8, 0x01, 0x4C, 0xCD, 0x21});
  PutText(&out, "This program cannot be run in DOS mode.\r\r\n$", 0x80 - out.size());
  out.resize(0x80, 0);
  out.insert(out.end(), {'P', 'E', 0, 0});
  Put16(&out, is64 ? 0x8664 : 0x14C);
  Put16(&out, 4);
  Put32(&out, 0x5E0F3A00);  // a fixed build time keeps the payload reproducible
  Put32(&out, 0), Put32(&out, 0);
  Put16(&out, is64 ? 0xF0 : 0xE0);
  Put16(&out, is64 ? 0x2022 : 0x2102);
  Put16(&out, is64 ? 0x20B : 0x10B);
  out.resize(out.size() + (is64 ? 0xF0 : 0xE0) - 2, 0);
  static const char *const kSections[4] = {".text", ".rdata", ".data", ".rsrc"};
  for (int i = 0; i < 4; ++i) {
    PutText(&out, kSections[i], 8);
    uint32_t end = i < 3 ? sectionStarts[i + 1] : size;
    Put32(&out, end - sectionStarts[i]), Put32(&out, 0x1000 * (i + 1)), Put32(&out, end - sectionStarts[i]);
    Put32(&out, sectionStarts[i]), Put32(&out, 0), Put32(&out, 0), Put32(&out, 0);
    Put32(&out, i == 0 ? 0x60000020 : 0x40000040);
  }
  return out;
}

// Functions of plausible machine code: prologue, a body of common
// instruction forms with varying operands, epilogue, padding.
void PutCode(Bytes *out, Random &random, bool is64, uint32_t end) {
  while (out->size() + 64 < end) {
    if (is64) out->insert(out->end(), {0x48, 0x89, 0x5C, 0x24, 0x08, 0x48, 0x83, 0xEC, 0x28});
    else out->insert(out->end(), {0x55, 0x8B, 0xEC, 0x83, 0xEC, uint8_t(4 * (1 + random.Below(16)))});
    for (int n = 4 + int(random.Skewed(40)); n > 0 && out->size() + 32 < end; --n) {
      switch (random.Skewed(11)) {
        case 0: out->insert(out->end(), {0x8B, 0x45, uint8_t(4 * random.Below(8) + 8)}); break;
        case 1: out->insert(out->end(), {0x89, 0x45, uint8_t(0xF0 - 4 * random.Below(8))}); break;
        case 2: out->push_back(0xE8), Put32(out, uint32_t(-int32_t(random.Below(0x100000)))); break;
        case 3: out->insert(out->end(), {0x85, 0xC0, uint8_t(random.Below(2) ? 0x74 : 0x75), uint8_t(random.Below(64))}); break;
        case 4: out->push_back(0x68), Put32(out, 0x10000000 + random.Below(0x40000) * 4); break;
        case 5: out->insert(out->end(), {0x33, 0xC0}); break;
        case 6: out->insert(out->end(), {0x8D, 0x4D, uint8_t(0xE0 + 4 * random.Below(8))}); break;
        case 7: out->insert(out->end(), {0xFF, 0x15}), Put32(out, 0x10020000 + 4 * random.Below(96)); break;
        case 8: out->insert(out->end(), {0x83, 0xC4, uint8_t(4 * random.Below(6))}); break;
        case 9: out->push_back(uint8_t(0xB8 + random.Below(8))), Put32(out, uint32_t(random.Next())); break;
        default: out->insert(out->end(), {0x0F, 0xB6, uint8_t(0x40 + random.Below(64)), random.Byte()}); break;
      }
    }
    if (is64) out->insert(out->end(), {0x48, 0x8B, 0x5C, 0x24, 0x30, 0x48, 0x83, 0xC4, 0x28, 0xC3});
    else out->insert(out->end(), {0x8B, 0xE5, 0x5D, 0xC3});
    while (out->size() % 16) out->push_back(0xCC);
  }
  out->resize(end, 0xCC);
}

// Import names, messages and constant tables.
void PutStrings(Bytes *out, Random &random, uint32_t end) {
  static const char *const kNames[] = {
      "ImmGetContext", "ImmReleaseContext", "ImmSetCompositionStringW", "ImmGetCompositionStringW",
      "ImmNotifyIME", "GetProcAddress", "LoadLibraryW", "CreateFileMappingW", "MapViewOfFile",
      "RegOpenKeyExW", "RegQueryValueExW", "SendMessageW", "PostMessageW", "CreateWindowExW",
      "DefWindowProcW", "GetKeyboardState", "ToAscii", "TextOutW", "SelectObject", "CreateFontW",
      "ITfTextInputProcessor", "ITfThreadMgrEventSink", "ITfKeyEventSink", "ITfCompositionSink"};
  while (out->size() + 64 < end) {
    if (random.Below(3) == 0) {
      for (int i = 0; i < 8; ++i) Put32(out, 0x10000 * random.Below(16) + 4 * random.Below(1024));
    } else {
      Put16(out, random.Below(900));
      PutText(out, kNames[random.Skewed(sizeof kNames / sizeof kNames[0])], 0);
      if (out->size() % 2) out->push_back(0);
    }
  }
  out->resize(end, 0);
}

// A version resource whose strings carry the description, then icon art.
void PutResources(Bytes *out, Random &random, uint32_t end) {
  PutWide(out, u"VS_VERSION_INFO");
  Put32(out, 0xFEEF04BD), Put32(out, 0x10000), Put32(out, 0x60007), Put32(out, 12);
  PutWide(out, u"StringFileInfo");
  PutWide(out, u"080404b0");
  const char16_t *const kPairs[][2] = {{u"CompanyName", u"Qelvo"},
                                      {u"FileDescription", kDescription},
                                      {u"FileVersion", u"6.7.0.12"},
                                      {u"ProductName", kDescription},
                                      {u"LegalCopyright", u"(C) Qelvo"}};
  for (const auto &pair : kPairs) PutWide(out, pair[0]), PutWide(out, pair[1]);
  for (uint32_t i = 0; out->size() < end; ++i) out->push_back(random.Below(4) ? uint8_t(i & 0xF0) : random.Byte());
}

}  // namespace

Bytes ModuleImage(const std::string &name, uint32_t bytes, bool is64) {
  Random random(name);
  const uint32_t starts[4] = {0x400, 0x400 + bytes / 100 * 60, 0x400 + bytes / 100 * 84, bytes - bytes / 100 * 6};
  Bytes out = Headers(is64, starts, bytes);
  out.resize(starts[0], 0);
  PutCode(&out, random, is64, starts[1]);
  PutStrings(&out, random, starts[2]);
  while (out.size() < starts[3]) out.push_back(random.Below(2) == 0 ? random.Byte() : 0);
  PutResources(&out, random, bytes);
  return out;
}
