// Helper of speaker_tone.sh. "play FREQ MS": plays FREQ Hz for MS milliseconds through the
// speaker component on the default port layer. "count FILE RATE": the frequency of the tone in a
// raw mono s16le recording, from the zero crossings of its sounding part.
#include "framework/core/Application.h"
#include "widgets/QELSpeakerSound.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

using namespace qel;

namespace {

int Play(int argc, char** argv, uint16_t Freq, int32_t Ms)
{
    Application->Initialize(argc, argv);
    TQELSpeakerSound speaker(nullptr);
    speaker.Delay(100);  // the audio stream starts before the recorded tone
    speaker.Sound(Freq);
    speaker.Delay(Ms);
    speaker.NoSound();
    speaker.Delay(300);  // lets the buffered samples out
    return 0;
}

int Count(const char* File, int Rate)
{
    std::ifstream in(File, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    std::vector<int16_t> s(bytes.size() / 2);
    std::memcpy(s.data(), bytes.data(), s.size() * 2);
    constexpr int Threshold = 1000;  // ignores noise and the resampler's ripple around silence
    size_t first = s.size(), last = 0;
    int crossings = 0, sign = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (std::abs(s[i]) < Threshold) continue;
        const int now = s[i] > 0 ? 1 : -1;
        if (first == s.size()) first = i;
        if (sign != 0 && now != sign) ++crossings;
        sign = now;
        last = i;
    }
    if (crossings < 2) {
        std::printf("0 0\n");
        return 0;
    }
    const double seconds = static_cast<double>(last - first) / Rate;
    std::printf("%.1f %.2f\n", crossings / 2.0 / seconds, seconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "play") == 0)
        return Play(argc, argv, static_cast<uint16_t>(std::atoi(argv[2])), std::atoi(argv[3]));
    if (argc == 4 && std::strcmp(argv[1], "count") == 0) return Count(argv[2], std::atoi(argv[3]));
    std::fprintf(stderr, "usage: %s play FREQ MS | count FILE RATE\n", argv[0]);
    return 2;
}
