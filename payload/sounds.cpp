#include "sounds.h"

#include <algorithm>
#include <cmath>

#include "bytes_out.h"
#include "random.h"

namespace {

const uint32_t kSampleRate = 22050;
const double kPi = 3.14159265358979323846;

// RIFF/WAVE header for `samples` 16-bit mono samples.
Bytes WaveHeader(uint32_t samples) {
  Bytes wav = {'R', 'I', 'F', 'F'};
  Put32(&wav, 36 + samples * 2);
  for (char c : std::string("WAVEfmt ")) wav.push_back(uint8_t(c));
  Put32(&wav, 16);
  Put16(&wav, 1);  // PCM
  Put16(&wav, 1);  // mono
  Put32(&wav, kSampleRate);
  Put32(&wav, kSampleRate * 2);
  Put16(&wav, 2);
  Put16(&wav, 16);
  for (char c : std::string("data")) wav.push_back(uint8_t(c));
  Put32(&wav, samples * 2);
  return wav;
}

}  // namespace

Bytes SoundWave(const std::string &name, uint32_t bytes) {
  Random random(name);
  const uint32_t samples = std::max<uint32_t>(64, (bytes - 44) / 2);
  Bytes wav = WaveHeader(samples);
  // A few notes, each a decaying tone with two overtones.
  const int notes = 1 + int(random.Below(4));
  const double noteLength = double(samples) / notes;
  double frequency = 0;
  for (uint32_t i = 0; i < samples; ++i) {
    const int note = int(i / noteLength);
    if (i == uint32_t(note * noteLength) || frequency == 0) frequency = 330.0 * std::pow(2.0, random.Below(24) / 12.0);
    const double t = (i - note * noteLength) / kSampleRate;
    const double envelope = std::exp(-t * 6.0) * std::min(1.0, t * 400);
    double value = std::sin(2 * kPi * frequency * t) + 0.4 * std::sin(4 * kPi * frequency * t) +
                   0.15 * std::sin(6 * kPi * frequency * t);
    value = value * envelope * 9000 + (double(random.Below(2001)) - 1000) * 0.6;
    Put16(&wav, uint16_t(int16_t(std::clamp(value, -32767.0, 32767.0))));
  }
  return wav;
}
