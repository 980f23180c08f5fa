// The demo payload's dictionaries, phrase lists, word tables, settings
// records and documents, in GBK as the input method keeps them.
#pragma once

#include <string>

#include "bytes_out.h"

// Phrases of two to four characters, each followed by "; ", of about
// `bytes` bytes. An untidy list also holds one-character phrases and ASCII
// words, as a user's list does before it is compacted.
Bytes PhraseList(const std::string &name, uint32_t bytes, bool untidy);
// A tidy phrase list closed by its trailer ("VORL", byte sum, phrase count),
// as the input method keeps it.
Bytes CompactedPhraseList(const std::string &name, uint32_t bytes);
// A binary dictionary of exactly `bytes` bytes: header, offset index, and
// records of input code, GBK word and frequency.
Bytes Dictionary(const std::string &name, uint32_t bytes);
// A text table of about `bytes` bytes, one "code word" pair per CRLF line.
Bytes WordTable(const std::string &name, uint32_t bytes);
// A small binary settings record of exactly `bytes` bytes.
Bytes SettingsRecord(const std::string &name, uint32_t bytes);
// A document in Chinese (GBK, CRLF lines) of about `bytes` bytes, from the
// UTF-8 `title`.
Bytes Document(const std::string &name, const std::string &title, uint32_t bytes);
