// Any bytes as a phrase list: the compaction stays within the list and the
// room for its trailer, and never grows the text.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "package/phrase_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size > 0x200000) return 0;
  // Exactly the list and the trailer's room, so that the sanitizer sees any
  // byte touched beyond.
  std::unique_ptr<uint8_t[]> list(new uint8_t[size + kPhraseListTrailerSize]);
  std::memcpy(list.get(), data, size);
  const uint32_t kept = CompactPhraseList(list.get(), static_cast<uint32_t>(size));
  if (kept > size) std::abort();
  if (std::memcmp(list.get() + kept, "VORL", 4) != 0) std::abort();
  return 0;
}
