// Sound and clock of the real backend. WAVE resources play through SDL2's audio queue, so the
// caller never waits: a new sound replaces one still playing. Without a usable audio device
// (a server or CI) the dummy driver consumes the sound silently; if even that fails, sounds
// are skipped. The tick count is the monotonic clock in milliseconds.
#include <SDL.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/desktop/clock.h"
#include "platform/desktop/sound.h"
#include "platform/resources/resource_table.h"

namespace desktop {
namespace {

constexpr int kRate = 44100;

struct Audio {
    bool tried = false;
    SDL_AudioDeviceID device = 0;
    SDL_AudioSpec obtained{};
    std::map<std::string, std::vector<Uint8>> converted;  // by lower-case name
};

Audio& A() {
    static Audio audio;
    return audio;
}

bool OpenDevice() {
    SDL_AudioSpec want{};
    want.freq = kRate;
    want.format = AUDIO_S16SYS;
    want.channels = 1;
    want.samples = 1024;
    // SDL would otherwise turn SIGINT and SIGTERM into events nobody reads, and the program
    // could no longer be stopped by them.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
    A().device = SDL_OpenAudioDevice(nullptr, 0, &want, &A().obtained, 0);
    if (A().device == 0) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return A().device != 0;
}

bool EnsureAudio() {
    if (A().tried) return A().device != 0;
    A().tried = true;
    // No real device: the dummy driver, which SDL only uses when asked by name.
    if (!OpenDevice()) {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        if (!OpenDevice()) return false;
    }
    SDL_PauseAudioDevice(A().device, 0);
    return true;
}

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The sound in the device's format, converted once.
const std::vector<Uint8>* Converted(const char* name) {
    std::string key = Lower(name);
    auto it = A().converted.find(key);
    if (it != A().converted.end()) return &it->second;
    auto bytes = resources::LoadResourceBytes(resources::ResourceKey::Name(name),
                                              resources::ResourceKey::Name("WAVE"));
    if (bytes.empty() || bytes.size() > 0x7FFFFFFF) return nullptr;
    SDL_AudioSpec format;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    if (!SDL_LoadWAV_RW(rw, 1, &format, &buffer, &length)) return nullptr;
    SDL_AudioCVT cvt;
    int build = SDL_BuildAudioCVT(&cvt, format.format, format.channels, format.freq,
                                  A().obtained.format, A().obtained.channels, A().obtained.freq);
    std::vector<Uint8> out;
    if (build < 0) {
        SDL_FreeWAV(buffer);
        return nullptr;
    }
    out.assign(
        static_cast<size_t>(length) * static_cast<size_t>(cvt.len_mult > 0 ? cvt.len_mult : 1), 0);
    std::copy(buffer, buffer + length, out.begin());
    SDL_FreeWAV(buffer);
    if (build > 0) {
        cvt.len = static_cast<int>(length);
        cvt.buf = out.data();
        if (SDL_ConvertAudio(&cvt) != 0) return nullptr;
        out.resize(static_cast<size_t>(cvt.len_cvt));
    } else {
        out.resize(length);
    }
    return &(A().converted[key] = std::move(out));
}

}  // namespace

BOOL PlaySound(const char* sound, void* /*module*/, DWORD flags) {
    if (!EnsureAudio()) return FALSE;
    if (!sound) {
        SDL_ClearQueuedAudio(A().device);
        return TRUE;
    }
    if ((flags & SND_RESOURCE) != SND_RESOURCE || IS_INTRESOURCE(sound)) return FALSE;
    const std::vector<Uint8>* samples = Converted(sound);
    if (!samples) return FALSE;
    SDL_ClearQueuedAudio(A().device);
    return SDL_QueueAudio(A().device, samples->data(), static_cast<Uint32>(samples->size())) == 0;
}

DWORD GetTickCount() {
    return static_cast<DWORD>(SDL_GetTicks64());
}

}  // namespace desktop
