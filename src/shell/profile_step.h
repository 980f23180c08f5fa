// The wizard's step from the profile screen on: the profile stored and, once
// it is confirmed, the install screen with the settings files written.
#pragma once

// Stores the fields into the profile record (StoreProfileFields) and moves
// the wizard on: from the intro to the profile screen, or from the profile
// screen, with fields B, C and D destroyed and the settings files written,
// to the install screen (passing states 2 and 5, ending in the ready
// state). Without the wizard (its flag 0) a profile that lacks a valid phone
// number or password keeps the profile screen, after a message asking for it
// when the state was above the intro.
void ConfirmProfile();
