#include "resources/gen/CWaveSynth.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>

namespace {

void append32(QByteArray& out, uint32_t v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

void append16(QByteArray& out, uint16_t v) {
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

} // namespace

QByteArray CWaveSynth::wav(const std::vector<int16_t>& samples) {
    const uint32_t dataBytes = uint32_t(samples.size() * 2);
    QByteArray out;
    out.reserve(int(44 + dataBytes));
    out.append("RIFF", 4);
    append32(out, 36 + dataBytes);
    out.append("WAVEfmt ", 8);
    append32(out, 16);
    append16(out, 1); // PCM
    append16(out, 1); // mono
    append32(out, sampleRate);
    append32(out, sampleRate * 2);
    append16(out, 2);
    append16(out, 16);
    out.append("data", 4);
    append32(out, dataBytes);
    for (int16_t s : samples)
        append16(out, uint16_t(s));
    return out;
}

QByteArray CWaveSynth::render(const std::vector<Note>& notes, double peak) {
    double end = 0;
    for (const Note& n : notes)
        end = std::max(end, n.start + n.length);
    const size_t count = size_t(std::ceil(end * sampleRate));
    std::vector<double> mix(count, 0.0);
    const double attack = 0.004;
    for (const Note& n : notes) {
        const size_t first = size_t(n.start * sampleRate);
        const size_t last = std::min(count, size_t((n.start + n.length) * sampleRate));
        // Decay so that the note is at about -60 dB when its length is over.
        const double decay = 6.9 / n.length;
        for (size_t i = first; i < last; ++i) {
            const double t = double(i - first) / sampleRate;
            const double env = std::min(1.0, t / attack) * std::exp(-decay * t);
            const double mod = n.index * std::exp(-decay * 1.8 * t) *
                               std::sin(2 * M_PI * n.frequency * n.ratio * t);
            // A quiet octave partial gives the tone a little shimmer.
            const double carrier = std::sin(2 * M_PI * n.frequency * t + mod) +
                                   0.18 * std::sin(4 * M_PI * n.frequency * t);
            mix[i] += n.level * env * carrier;
        }
    }
    double maxAbs = 1e-9;
    for (double v : mix)
        maxAbs = std::max(maxAbs, std::abs(v));
    // A short fade at the very end keeps the last sample from clicking.
    const size_t fade = std::min(count, size_t(0.01 * sampleRate));
    std::vector<int16_t> samples(count);
    for (size_t i = 0; i < count; ++i) {
        double v = mix[i] / maxAbs * peak;
        if (i + fade >= count)
            v *= double(count - i) / double(fade);
        samples[i] = int16_t(std::lround(std::clamp(v, -1.0, 1.0) * 32767));
    }
    return wav(samples);
}

QByteArray CWaveSynth::messageArrival() {
    // Two bell notes, a fourth apart: G5 then C6.
    return render({{0.00, 783.99, 0.85, 0.8, 2.0, 1.1}, {0.16, 1046.50, 1.00, 0.9, 2.0, 1.0}},
                  0.55);
}

QByteArray CWaveSynth::chatArrival() {
    // A rising major triad for an invitation: C6, E6, G6, with the top held a little longer.
    return render({{0.00, 1046.50, 0.60, 0.7, 3.0, 0.8},
                   {0.12, 1318.51, 0.60, 0.7, 3.0, 0.8},
                   {0.24, 1567.98, 0.95, 0.8, 3.0, 0.8}},
                  0.5);
}

QByteArray CWaveSynth::chatSpeak() {
    // One short, soft blip for every new line of talk.
    return render({{0.0, 880.0, 0.22, 1.0, 1.0, 0.6}}, 0.4);
}
