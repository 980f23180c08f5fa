// Modules as the simulated IMM32 and regsvr32 read them: a PE image (DOS
// header, PE signature, machine field) followed by the strings of a version
// resource, and where the program puts them.
#pragma once

#include <string>

#include "simmachine/machine.h"

namespace ime_module_fixture {

inline std::string Utf16Bytes(const std::u16string &text) {
  std::string bytes;
  for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  return bytes.append(2, '\0');
}

// `languageBlock` is the string block's name ("080404b0": language 0804);
// an empty one leaves the version resource out.
inline std::string ModuleImage(bool is64 = false, const std::u16string &languageBlock = u"080404b0",
                               const std::u16string &description = u"智能Qelvo输入平台 V6.7") {
  std::string image = "MZ";
  image.resize(0x3C, '\0');
  image += std::string("\x40\0\0\0", 4);
  image += std::string("PE\0\0", 4);
  image += is64 ? std::string("\x64\x86", 2) : std::string("\x4C\x01", 2);
  image.resize(0x200, '\0');
  if (languageBlock.empty()) return image;
  image += Utf16Bytes(u"VS_VERSION_INFO") + Utf16Bytes(u"StringFileInfo") + Utf16Bytes(languageBlock);
  image += Utf16Bytes(u"FileDescription") + std::string(2, '\0') + Utf16Bytes(description);
  return image + Utf16Bytes(u"FileVersion") + Utf16Bytes(u"6.7.0.12");
}

// The system folder as a 32-bit program sees it (syswow64 on 64-bit Windows).
inline std::string ProgramSystemDir(const sim::Machine &machine) {
  return machine.profile.IsWow64() ? machine.profile.syswow64Dir : machine.profile.systemDir;
}

// The IME module where the module deployment leaves it for this program.
inline void PlaceImeModule(sim::Machine &machine, const std::string &image = ModuleImage()) {
  machine.files.WriteFile(ProgramSystemDir(machine) + "\\morvak4.ime", image);
}

}  // namespace ime_module_fixture
