// The demo payload's sounds: 16-bit mono PCM WAV files of synthesised key
// clicks and chimes with a little room noise, which compress as poorly as
// recorded sound does.
#pragma once

#include <string>

#include "bytes_out.h"

// A sound of about `bytes` bytes, its notes drawn from `name`.
Bytes SoundWave(const std::string &name, uint32_t bytes);
