#include "common/command_line.h"

namespace {

bool CharacterMatches(char textChar, char wordChar) {
  if (textChar == wordChar) return true;
  return textChar >= 'A' && textChar <= 'Z' && textChar + 32 == wordChar;
}

}  // namespace

int ContainsCommandWord(const char *text, const char *word) {
  if (!text || !word) return 0;
  for (int start = 0; text[start]; ++start) {
    int i = 0;
    while (word[i] && text[start + i] && CharacterMatches(text[start + i], word[i])) ++i;
    if (!word[i]) return 1;
  }
  return 0;
}
