// make_payload: writes the demo payload, a deterministic stand-in for the
// product's 188 files, and the list that gives their order in the package.
//
//   make_payload [--small] HELPER_STUB OUTPUT_FOLDER LIST_FILE
//
// Every file the installer names is there (modules for each interface,
// Windows version and code page, the helper programs, dictionaries and
// phrase lists, the user's data files, the skins, the banner), plus sounds,
// bitmaps and data up to 188 files. The helper programs are copies of
// HELPER_STUB. The list names the files relative to its own folder.
//
// With --small the same 188 names hold small contents, for runs that
// install many times over: the skins, the settings records and the helper
// programs stay as they are, the banner keeps the rows the wizard shows,
// the modules keep their version text in 8 KB, everything else is cut to a
// few hundred bytes.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include "bitmaps.h"
#include "file_bytes.h"
#include "modules.h"
#include "random.h"
#include "skins.h"
#include "sounds.h"
#include "texts.h"

namespace {

const size_t kPayloadFiles = 188;

bool smallPayload = false;

struct PayloadFile {
  std::string name;  // UTF-8
  std::function<Bytes()> make;
};

// A size from `low` to `high` bytes, fixed by the file's name.
uint32_t SizeOf(const std::string &name, uint32_t low, uint32_t high) {
  Random random(name + "#size");
  return low + random.Below(high - low + 1);
}

using Maker = Bytes (*)(const std::string &name, uint32_t bytes);

struct SizedFile {
  const char *name;
  uint32_t bytes;
};

Bytes Module32(const std::string &name, uint32_t bytes) { return ModuleImage(name, bytes, false); }
Bytes Module64(const std::string &name, uint32_t bytes) { return ModuleImage(name, bytes, true); }

// The size a file gets in this payload: in the small one, 8 KB for a
// module, a few hundred bytes (still differing by file) for anything the
// installer only copies.
uint32_t PayloadSize(Maker make, uint32_t bytes) {
  if (!smallPayload || make == SettingsRecord) return bytes;
  if (make == Module32 || make == Module64) return 8192;
  return std::min<uint32_t>(bytes, 300 + bytes / 2048);
}

void AddSized(std::vector<PayloadFile> *files, std::initializer_list<SizedFile> sized, Maker make) {
  for (const SizedFile &file : sized) {
    std::string name = file.name;
    const uint32_t bytes = PayloadSize(make, file.bytes);
    files->push_back({name, [=] { return make(name, bytes); }});
  }
}

// Files "<stem>01.<extension>" up to `count`, of sizes from `low` to `high`.
void AddNumbered(std::vector<PayloadFile> *files, const char *stem, int count, const char *extension, uint32_t low,
                 uint32_t high, Maker make) {
  for (int i = 1; i <= count; ++i) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%02d.%s", stem, i, extension);
    const std::string name = text;
    const uint32_t bytes = PayloadSize(make, SizeOf(name, low, high));
    files->push_back({name, [=] { return make(name, bytes); }});
  }
}

// The phrase-list backup ships without its trailer, so that installing
// compacts it.
Bytes UntidyList(const std::string &name, uint32_t bytes) { return PhraseList(name, bytes, true); }

// The input-method modules for each interface, bitness and code page. The
// IME builds stay below the 128 KB that the version rewrite reads.
void AddModules(std::vector<PayloadFile> *files) {
  AddSized(files,
           {{"vorl320.ime", 118784}, {"vorl321.ime", 119808}, {"morvak4.ime", 117760}, {"morvak32.ime", 112640},
            {"vorlsrf.dll", 634880}, {"csrf732.dll", 612352}, {"vosrf10.dll", 641024}},
           Module32);
  AddSized(files,
           {{"vorl640.ime", 126976}, {"vorl641.ime", 128000}, {"morvak64.ime", 125952}, {"vorlsrf6.dll", 798720},
            {"csrf764.dll", 776192}, {"vosrf610.dll", 806912}},
           Module64);
}

void AddHelpers(std::vector<PayloadFile> *files, const Bytes &stub) {
  for (const char *name : {"vorlkelt.exe", "vorlkel6.exe", "setupw64.exe", "vqjcdir.exe", "vorldel8.exe", "morvak88.exe"})
    files->push_back({name, [=] { return stub; }});
}

void AddDictionaries(std::vector<PayloadFile> *files) {
  AddSized(files, {{"vorlcyzk.voh", 412000}, {"vorlpyck.voh", 356000}}, CompactedPhraseList);
  AddSized(files, {{"vorlcyzk.bak", 398000}}, UntidyList);
  AddSized(files,
           {{"vowbzk.dat", 1882706}, {"vopyzk.dat", 1650000}, {"vorlzk86.dat", 1420000}, {"vowbcz.dat", 1210000},
            {"vopycz.dat", 1180000}, {"vorlgbk.dat", 960000}, {"vorlbig5.dat", 910000}, {"vorlzdzk.dat", 780000},
            {"vowbdz.dat", 640000}, {"vopydz.dat", 620000}, {"vorljtzh.dat", 540000}, {"vorlyyzk.dat", 480000}},
           Dictionary);
  AddNumbered(files, "vocat", 16, "dat", 240000, 760000, Dictionary);
  AddNumbered(files, "vosym", 12, "voh", 20000, 80000, WordTable);
}

// The user's data files that a reinstallation backs up and restores.
void AddUserData(std::vector<PayloadFile> *files) {
  AddSized(files, {{"voszsj43.voh", 200}, {"voszsj05.voh", 200}, {"voszsj06.voh", 200}, {"cfontset.voh", 640}},
           SettingsRecord);
  AddSized(files,
           {{"cwbzlcz1.voh", 48000}, {"vowbcmxz.voh", 36000}, {"vodhzcm.voh", 22000}, {"vorldhz.voh", 64000},
            {"vogbkhz.voh", 98000}, {"cwb.ov1", 172000}, {"vorlpymb.ov1", 236000}, {"vogbkbh.voh", 84000}},
           Dictionary);
  AddSized(files,
           {{"vorldwdw.txt", 18000}, {"vorlzdym.voh", 26000}, {"vopyzdym.voh", 24000}, {"vowbpy.txt", 142000},
            {"vorlynhz.txt", 56000}, {"vorlzdfh.voh", 12000}, {"userck.txt", 8000}, {"delck.txt", 3000},
            {"ftvozdym.txt", 21000}, {"ftpyzdym.txt", 19000}},
           WordTable);
}

// The rows of the banner the wizard shows.
const uint32_t kBannerShown = 190;

// The top `rows` rows of a bottom-up 24-bit bitmap: the last rows stored.
Bytes TopRows(const Bytes &bitmap, uint32_t rows) {
  const uint32_t width = ReadLe32(&bitmap[18]), height = ReadLe32(&bitmap[22]);
  const uint32_t stride = (width * 3 + 3) & ~3u, pixels = ReadLe32(&bitmap[10]);
  Bytes top(bitmap.begin(), bitmap.begin() + pixels);
  top.insert(top.end(), bitmap.begin() + pixels + (height - rows) * stride, bitmap.end());
  WriteLe32(&top[2], uint32_t(top.size()));
  WriteLe32(&top[22], rows);
  WriteLe32(&top[34], rows * stride);
  return top;
}

void AddArt(std::vector<PayloadFile> *files) {
  files->push_back({"kelt1.bmp", [] { return smallPayload ? TopRows(BannerBitmap(), kBannerShown) : BannerBitmap(); }});
  files->push_back({"vobmps44.bmp", [] { return SharedSkinBitmap(); }});
  const char *const kSkins[] = {u8"冷色瓷面.voz", u8"粉色瓷面.voz", u8"小天使.voz"};
  for (int skin = 1; skin <= 3; ++skin) files->push_back({kSkins[skin - 1], [=] { return SkinArchive(skin); }});
  AddNumbered(files, "vobg", 16, "bmp", 200000, 480000, ArtBitmap);
  AddNumbered(files, "votb", 24, "bmp", 8000, 40000, ArtBitmap);
  AddNumbered(files, "vokc", 16, "bmp", 20000, 90000, ArtBitmap);
  AddNumbered(files, "vokey", 24, "wav", 8000, 40000, SoundWave);
  AddNumbered(files, "vomsg", 16, "wav", 100000, 260000, SoundWave);
}

void AddDocuments(std::vector<PayloadFile> *files) {
  const uint32_t shorter = smallPayload ? 100 : 1;
  files->push_back({"readme.txt", [=] { return Document("readme.txt", u8"智能Qelvo输入平台 说明", 24000 / shorter); }});
  files->push_back(
      {"license.txt", [=] { return Document("license.txt", u8"智能Qelvo输入平台 许可协议", 9000 / shorter); }});
  files->push_back({"vorlhelp.txt", [=] { return Document("vorlhelp.txt", u8"智能Qelvo输入平台 帮助", 64000 / shorter); }});
}

std::vector<PayloadFile> Catalogue(const Bytes &stub) {
  std::vector<PayloadFile> files;
  AddModules(&files);
  AddHelpers(&files, stub);
  AddDictionaries(&files);
  AddUserData(&files);
  AddArt(&files);
  AddDocuments(&files);
  if (files.size() != kPayloadFiles)
    throw std::logic_error("the catalogue holds " + std::to_string(files.size()) + " files");
  return files;
}

}  // namespace

int main(int argc, char **argv) {
  smallPayload = argc > 1 && std::string(argv[1]) == "--small";
  if (smallPayload) --argc, ++argv;
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_payload [--small] HELPER_STUB OUTPUT_FOLDER LIST_FILE\n");
    return 2;
  }
  try {
    const std::filesystem::path output = argv[2], list = argv[3];
    std::vector<PayloadFile> files = Catalogue(ReadFileBytes(argv[1]));
    std::filesystem::remove_all(output);
    std::filesystem::create_directories(output);
    const std::filesystem::path relative = std::filesystem::relative(output, list.parent_path());
    std::string listing = "# The demo payload in package order.\n";
    for (const PayloadFile &file : files) {
      WriteFileBytes(output / file.name, file.make());
      listing += (relative / file.name).string() + "\n";
    }
    WriteFileBytes(list, Bytes(listing.begin(), listing.end()));
    return 0;
  } catch (const std::exception &error) {
    std::fprintf(stderr, "make_payload: %s\n", error.what());
    return 1;
  }
}
