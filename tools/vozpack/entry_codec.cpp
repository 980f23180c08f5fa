#include "entry_codec.h"

#include <openssl/evp.h>
#include <zlib.h>

#include <cstring>
#include <stdexcept>

namespace {
// No entry of any archive this tool reads is expected to inflate to more.
const size_t kInflateLimit = size_t{1} << 30;
}  // namespace

Bytes CompressEntry(const Bytes &content) {
  uLongf length = compressBound(static_cast<uLong>(content.size()));
  Bytes stream(length);
  if (compress(stream.data(), &length, content.data(), static_cast<uLong>(content.size())) != Z_OK)
    throw std::runtime_error("zlib could not compress an entry");
  stream.resize(length);
  return stream;
}

bool InflateEntry(const uint8_t *data, uint32_t length, size_t limit, Bytes *content) {
  z_stream stream;
  std::memset(&stream, 0, sizeof stream);
  if (inflateInit(&stream) != Z_OK) return false;
  stream.next_in = const_cast<uint8_t *>(data);
  stream.avail_in = length;
  content->clear();
  int result = Z_OK;
  uint8_t buffer[65536];
  while (result == Z_OK) {
    stream.next_out = buffer;
    stream.avail_out = sizeof buffer;
    result = inflate(&stream, Z_NO_FLUSH);
    content->insert(content->end(), buffer, buffer + (sizeof buffer - stream.avail_out));
    if (content->size() > limit) result = Z_BUF_ERROR;
    if (result == Z_BUF_ERROR && stream.avail_in == 0) break;
  }
  inflateEnd(&stream);
  return result == Z_STREAM_END;
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
  if (!InflateEntry(entry.data, entry.compressedLength, kInflateLimit, content)) {
    *problem = "its zlib stream is damaged";
  } else if (content->empty()) {
    *problem = "it is empty (the installer refuses empty entries)";
  } else if (content->size() > kLargestInstallableEntry) {
    *problem = "it inflates to " + std::to_string(content->size()) + " bytes, more than the installer's " +
               std::to_string(kLargestInstallableEntry);
  } else if (entry.digestText && std::strncmp(entry.digestText, DigestText(*content).c_str(), kDigestFieldSize) != 0) {
    *problem = "its content does not match its digest";
  } else {
    return true;
  }
  return false;
}
