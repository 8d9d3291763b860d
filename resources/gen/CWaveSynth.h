// Small FM synthesiser for the ring tones: each note is a sine carrier with a decaying
// modulator (a soft bell), written as 16-bit mono PCM WAV.
#pragma once

#include <QByteArray>
#include <vector>

class CWaveSynth {
public:
    struct Note {
        double start;     // seconds
        double frequency; // Hz
        double length;    // seconds until the note has faded out
        double level;     // 0 .. 1 before normalisation
        double ratio;     // modulator frequency / carrier frequency
        double index;     // modulation depth at the start; decays with the note
    };

    static constexpr int sampleRate = 44100;

    // The tones of the program directory, by file name.
    static QByteArray messageArrival();
    static QByteArray chatArrival();
    static QByteArray chatSpeak();

    // Mixes the notes, normalises the peak to `peak` and wraps the samples as WAV.
    static QByteArray render(const std::vector<Note>& notes, double peak);
    static QByteArray wav(const std::vector<int16_t>& samples);
};
