// The command words the program looks for.
#pragma once

// 1 if `word` (lower case) occurs anywhere in `text`, comparing the letters
// A-Z of `text` as lower case; 0 otherwise, and for an empty text.
int ContainsCommandWord(const char *text, const char *word);
