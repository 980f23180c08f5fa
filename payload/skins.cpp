#include "skins.h"

#include <string>

#include "archive_builder.h"
#include "bitmaps.h"
#include "texts.h"

Bytes SkinArchive(int skin) {
  std::vector<SourceFile> files;
  const std::string record = "vobmp8.voh";
  files.push_back({record, record, SettingsRecord(record + std::to_string(skin), 256)});
  for (int index = 1; index <= 7; ++index) {
    const std::string name = "vobmpsx" + std::to_string(index) + ".bmp";
    files.push_back({name, name, SkinBitmap(skin, index)});
  }
  return BuildArchive(files, Layout::kShort, 1, nullptr);
}
