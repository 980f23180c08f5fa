// The user profile screen: the phone number, user name and management
// password typed into edit fields D, C and B, loaded from an earlier
// installation and stored into the profile record when confirmed.
#pragma once

// Fills fields D and C with the phone number and user name of the earlier
// "voyhgl0.dat" (read over the profile record; a last byte that is half a
// character is not shown) and empties field B: a stored password is never
// shown again. Without that file all three are emptied and the record is
// left as it is.
void LoadProfile();

// Stores the fields into the profile record (at most 13, 13 and 9 bytes of
// text, each with its terminator only; a double-byte character the limit
// would cut is left out) and moves the wizard on: from the intro to the
// profile screen, or from the profile screen, with the fields destroyed and
// the settings files written, to the install screen (state 6). Without the
// wizard (flag 0) a phone number or password that fails its check keeps the
// profile screen, after a message when the state is above 0.
void ConfirmProfile();

// 1 for a phone number the profile accepts, else 0: 8 to 18 characters; an
// optional first 'w' or 'W' and digits otherwise; without it exactly 11
// digits beginning with '1', or 18 digits; with it any length but 11.
int ValidatePhoneNumber(const char *text);
