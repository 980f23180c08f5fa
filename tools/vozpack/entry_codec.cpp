#include "entry_codec.h"

#include <openssl/evp.h>
#include <zlib.h>

#include <cstring>
#include <stdexcept>

namespace {

enum class Inflated { kWhole, kDamaged, kTooLarge };

// Inflates one zlib stream straight into `content`, never past `limit`
// bytes: a small stream may inflate a thousandfold, so the output, not the
// input, bounds the work and the memory.
Inflated InflateBounded(const uint8_t *data, uint32_t length, size_t limit, Bytes *content) {
  z_stream stream;
  std::memset(&stream, 0, sizeof stream);
  content->clear();
  if (inflateInit(&stream) != Z_OK) return Inflated::kDamaged;
  // One byte more than the limit tells a stream that would go on from one
  // that ends exactly there.
  content->resize(limit + 1);
  stream.next_in = const_cast<uint8_t *>(data);
  stream.avail_in = length;
  stream.next_out = content->data();
  stream.avail_out = static_cast<uInt>(content->size());
  int result = Z_OK;
  while (result == Z_OK && stream.avail_out > 0) result = inflate(&stream, Z_NO_FLUSH);
  content->resize(stream.total_out);
  inflateEnd(&stream);
  if (result == Z_STREAM_END) return Inflated::kWhole;
  return result == Z_OK && stream.avail_out == 0 ? Inflated::kTooLarge : Inflated::kDamaged;
}

}  // namespace

Bytes CompressEntry(const Bytes &content) {
  uLongf length = compressBound(static_cast<uLong>(content.size()));
  Bytes stream(length);
  if (compress(stream.data(), &length, content.data(), static_cast<uLong>(content.size())) != Z_OK)
    throw std::runtime_error("zlib could not compress an entry");
  stream.resize(length);
  return stream;
}

std::string DigestText(const Bytes &content) {
  uint8_t digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(content.data(), content.size(), digest, &length, EVP_md5(), nullptr) != 1 || length != 16)
    throw std::runtime_error("MD5 is not available");
  char text[kDigestFieldSize];
  FormatDigestText(digest, text);
  return text;
}

bool ReadEntryContent(const ArchiveEntry &entry, Bytes *content, std::string *problem) {
  const Inflated inflated = InflateBounded(entry.data, entry.compressedLength, kLargestInstallableEntry, content);
  if (inflated == Inflated::kDamaged) {
    *problem = "its zlib stream is damaged";
  } else if (inflated == Inflated::kTooLarge) {
    *problem = "it inflates to more than " + std::to_string(kLargestInstallableEntry) +
               " bytes, the most the installer can install (inflating stopped there)";
  } else if (content->empty()) {
    *problem = "it is empty (the installer refuses empty entries)";
  } else if (entry.digestText && std::strncmp(entry.digestText, DigestText(*content).c_str(), kDigestFieldSize) != 0) {
    *problem = "its content does not match its digest";
  } else {
    return true;
  }
  return false;
}
