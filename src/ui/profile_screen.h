// The user profile screen: the phone number, user name and management
// password typed into edit fields D, C and B, loaded from an earlier
// installation and stored into the profile record.
#pragma once

#include "platform/win32.h"

// Fills fields D and C with the phone number and user name of the earlier
// "voyhgl0.dat" (read over the profile record; a last byte that is half a
// character is not shown) and empties field B: a stored password is never
// shown again. Without that file all three are emptied and the record is
// left as it is.
void LoadProfile();

// Stores the fields into the profile record: at most 13, 13 and 9 bytes of
// text, each with its terminator only; a double-byte character the limit
// would cut is left out.
void StoreProfileFields();

// What the stored profile still lacks, as the text that asks for it: a phone
// number ValidatePhoneNumber accepts first, then a password of six
// characters; null when it lacks nothing.
const WCHAR *MissingProfileRequest();

// 1 for a phone number the profile accepts, else 0: 8 to 18 characters; an
// optional first 'w' or 'W' and digits otherwise; without it exactly 11
// digits beginning with '1', or 18 digits; with it any length but 11.
int ValidatePhoneNumber(const char *text);
