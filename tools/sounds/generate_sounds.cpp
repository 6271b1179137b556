// zantobel-sounds: synthesises the game's two sounds as RIFF WAVE files (PCM, mono, 16 bit):
// "click.wav", a soft click of 316 samples at 22050 Hz, played when a disc is placed, and
// "put.wav", a disc set down on a wooden board, 6816 samples at 44100 Hz, played as each
// turned disc lands. Only basic arithmetic is used (no libm), so every run on every machine
// writes the same bytes.
// Usage: zantobel-sounds OUTDIR      writes both files
//        zantobel-sounds --check DIR compares DIR's files with a fresh synthesis
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/generated_files/generated_files.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// cos by its Taylor series after reducing to [-pi, pi]; exact enough for oscillator setup.
double Cosine(double x) {
    while (x > kPi)
        x -= 2 * kPi;
    while (x < -kPi)
        x += 2 * kPi;
    double term = 1, sum = 1;
    for (int n = 1; n < 30; ++n) {
        term *= -x * x / ((2 * n - 1) * (2 * n));
        sum += term;
    }
    return sum;
}

// A sine oscillator by the two-term recurrence s[n] = 2cos(w) s[n-1] - s[n-2].
class Oscillator {
  public:
    Oscillator(double frequency, double rate) {
        double w = 2 * kPi * frequency / rate;
        k_ = 2 * Cosine(w);
        previous_ = -Cosine(kPi / 2 - w);  // sin(-w)
        current_ = 0;
    }
    double Next() {
        double value = current_;
        double next = k_ * current_ - previous_;
        previous_ = current_;
        current_ = next;
        return value;
    }

  private:
    double k_, previous_, current_;
};

// Deterministic white noise in [-1, 1).
class Noise {
  public:
    double Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<double>(state_ >> 8) / 8388608.0 - 1.0;
    }

  private:
    uint32_t state_ = 12345;
};

int16_t ToSample(double value) {
    double scaled = value * 32767.0;
    if (scaled > 32767) scaled = 32767;
    if (scaled < -32768) scaled = -32768;
    return static_cast<int16_t>(scaled < 0 ? scaled - 0.5 : scaled + 0.5);
}

std::vector<uint8_t> Wave(const std::vector<int16_t>& samples, uint32_t rate) {
    std::vector<uint8_t> out;
    auto word = [&](uint32_t v) {
        out.push_back(static_cast<uint8_t>(v & 0xFF));
        out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
    };
    auto dword = [&](uint32_t v) {
        word(v & 0xFFFF);
        word(v >> 16);
    };
    auto tag = [&](const char* t) { out.insert(out.end(), t, t + 4); };
    uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    tag("RIFF");
    dword(36 + dataBytes);
    tag("WAVE");
    tag("fmt ");
    dword(16);
    word(1);  // PCM
    word(1);  // mono
    dword(rate);
    dword(rate * 2);
    word(2);
    word(16);
    tag("data");
    dword(dataBytes);
    for (int16_t s : samples)
        word(static_cast<uint16_t>(s));
    return out;
}

// A soft click: a short 2.4 kHz ping with a breath of noise, rising in half a millisecond and
// dying away within the 14 ms, so it never snaps.
std::vector<int16_t> Click() {
    const double rate = 22050;
    const int count = 316;
    Oscillator ping(2400, rate), body(900, rate);
    Noise noise;
    std::vector<int16_t> samples;
    double decay = 1, lowpass = 0;
    for (int n = 0; n < count; ++n) {
        double attack = n < 11 ? n / 11.0 : 1.0;
        double tail = n > count - 40 ? (count - n) / 40.0 : 1.0;
        lowpass += 0.35 * (noise.Next() - lowpass);
        double value = 0.42 * ping.Next() + 0.25 * body.Next() + 0.22 * lowpass;
        samples.push_back(ToSample(value * decay * attack * tail * 0.55));
        decay *= 0.9815;
    }
    return samples;
}

// A disc set down on wood: a dull knock of falling pitch for the board, two short woody
// resonances, and a brief scrape of filtered noise at the touch.
std::vector<int16_t> Put() {
    const double rate = 44100;
    const int count = 6816;
    Oscillator wood1(690, rate), wood2(1270, rate), wood3(2150, rate);
    Noise noise;
    std::vector<int16_t> samples;
    double phase = 0, knockFrequency = 210;
    double knockDecay = 1, woodDecay = 1, highDecay = 1, noiseDecay = 1, lowpass = 0, band = 0;
    for (int n = 0; n < count; ++n) {
        // The knock's pitch sinks from 210 Hz towards 120 Hz as the board settles; its phase is
        // a triangle-shaped sine approximation built from basic arithmetic.
        phase += knockFrequency / rate;
        if (phase >= 1) phase -= 1;
        double t = phase < 0.5 ? phase * 4 - 1 : 3 - phase * 4;  // triangle in [-1, 1]
        double knock = t * (1.5 - 0.5 * t * t);                  // rounded towards a sine
        knockFrequency = 120 + (knockFrequency - 120) * 0.9993;

        lowpass += 0.18 * (noise.Next() - lowpass);
        band += 0.5 * (lowpass - band);
        double attack = n < 44 ? n / 44.0 : 1.0;
        double tail = n > count - 600 ? (count - n) / 600.0 : 1.0;
        double value = 0.55 * knock * knockDecay + 0.30 * wood1.Next() * woodDecay +
                       0.16 * wood2.Next() * woodDecay + 0.07 * wood3.Next() * highDecay +
                       0.45 * (lowpass - band) * noiseDecay;
        samples.push_back(ToSample(value * attack * tail * 0.7));
        knockDecay *= 0.99935;
        woodDecay *= 0.99880;
        highDecay *= 0.9975;
        noiseDecay *= 0.9950;
    }
    return samples;
}

std::vector<generated_files::File> Synthesise() {
    return {{"click.wav", Wave(Click(), 22050)}, {"put.wav", Wave(Put(), 44100)}};
}

}  // namespace

int main(int argc, char** argv) {
    return generated_files::WriteOrCheck(argc, argv, "zantobel-sounds", Synthesise());
}
