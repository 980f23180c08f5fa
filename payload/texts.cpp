#include "texts.h"

#include "bytes_out.h"
#include "gbk_text.h"
#include "random.h"

namespace {

// The first 39 rows of the GB2312 level-1 characters, all valid GBK.
const uint32_t kCharacters = 39 * 94;

void PutCharacter(Bytes *out, uint32_t index) {
  out->push_back(uint8_t(0xB0 + index / 94));
  out->push_back(uint8_t(0xA1 + index % 94));
}

void PutText(Bytes *out, const std::string &text) { out->insert(out->end(), text.begin(), text.end()); }

// A word of `length` characters; common characters far more often.
void PutWord(Bytes *out, Random &random, int length) {
  for (int i = 0; i < length; ++i) PutCharacter(out, random.Skewed(kCharacters));
}

// An input code: one to four lower-case letters.
std::string Code(Random &random) {
  std::string code;
  for (int n = 1 + int(random.Below(4)); n > 0; --n) code += char('a' + random.Skewed(25));
  return code;
}

}  // namespace

Bytes PhraseList(const std::string &name, uint32_t bytes, bool untidy) {
  Random random(name);
  Bytes out;
  while (out.size() < bytes) {
    const uint32_t kind = untidy ? random.Below(20) : 19;
    if (kind == 0) PutText(&out, Code(random));  // an ASCII word
    else PutWord(&out, random, kind == 1 ? 1 : 2 + int(random.Skewed(3)));
    PutText(&out, "; ");
  }
  return out;
}

Bytes CompactedPhraseList(const std::string &name, uint32_t bytes) {
  Bytes out = PhraseList(name, bytes, false);
  uint32_t sum = 0, count = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    if (out[i] == ';') ++count, ++i;
    else sum += out[i];
  }
  PutText(&out, "VORL");
  Put32(&out, sum);
  Put32(&out, count);
  return out;
}

Bytes Dictionary(const std::string &name, uint32_t bytes) {
  Random random(name);
  const uint32_t records = bytes / 14;
  Bytes out;
  PutText(&out, "QVDICT02");
  Put32(&out, records);
  const size_t indexStart = out.size();
  out.resize(indexStart + records / 16 * 4, 0);
  for (uint32_t record = 0; out.size() + 16 < bytes; ++record) {
    if (record % 16 == 0 && record / 16 < records / 16)
      WriteLe32(&out[indexStart + record / 16 * 4], uint32_t(out.size()));
    PutText(&out, Code(random));
    out.push_back(0);
    PutWord(&out, random, 1 + int(random.Skewed(4)));
    out.push_back(0);
    const uint32_t frequency = 60000 / (1 + random.Skewed(3000));
    Put16(&out, frequency);
  }
  out.resize(bytes, 0);
  return out;
}

Bytes WordTable(const std::string &name, uint32_t bytes) {
  Random random(name);
  Bytes out;
  while (out.size() < bytes) {
    PutText(&out, Code(random) + " ");
    PutWord(&out, random, 1 + int(random.Skewed(4)));
    PutText(&out, "\r\n");
  }
  return out;
}

Bytes SettingsRecord(const std::string &name, uint32_t bytes) {
  Random random(name);
  Bytes out;
  PutText(&out, "QV");
  while (out.size() < bytes) {
    uint32_t field = random.Below(4);
    if (field == 0) PutText(&out, Utf8ToGbk(u8"宋体"));
    else if (field == 1) Put32(&out, random.Below(64));
    else out.push_back(uint8_t(random.Below(2)));
  }
  out.resize(bytes);
  return out;
}

Bytes Document(const std::string &name, const std::string &title, uint32_t bytes) {
  static const char *const kSentences[] = {
      u8"本输入法支持五笔与拼音两种输入方式，可随时切换。", u8"用户词库与设置会在重新安装时自动保留。",
      u8"状态窗口提供四种模式，皮肤可在设置中更换。", u8"如遇问题，请先退出输入法后重新安装。",
      u8"安装程序需要以管理员身份运行。", u8"词组按使用频率自动调整顺序。"};
  Random random(name);
  std::string text = title + "\r\n\r\n";
  while (text.size() < bytes * 3 / 2) {
    for (int n = 2 + int(random.Below(4)); n > 0; --n) text += kSentences[random.Below(6)];
    text += "\r\n";
  }
  // Cut after the last line that fits, never inside a character.
  std::string gbk = Utf8ToGbk(text);
  size_t end = gbk.rfind('\n', bytes);
  return Bytes(gbk.begin(), gbk.begin() + (end == std::string::npos ? gbk.size() : end + 1));
}
