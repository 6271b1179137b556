// Sound and clock of the recording backend.
#include <utility>

#include "platform/desktop/clock.h"
#include "platform/desktop/fake/fake_desktop.h"
#include "platform/desktop/fake/fake_internal.h"
#include "platform/desktop/sound.h"

namespace desktop {
namespace {

std::vector<fake::SoundCall> gSoundCalls;
DWORD gFixedTick = 0;
std::function<DWORD()> gTickSource;
uint64_t gTickReadings = 0;

}  // namespace

BOOL PlaySound(const char* sound, void* /*module*/, DWORD flags) {
    gSoundCalls.push_back({sound ? sound : "", flags});
    fake::internal::AppendTrace(std::string("PlaySound ") + (sound ? sound : ""));
    return TRUE;
}

DWORD GetTickCount() {
    ++gTickReadings;
    // The computer's strongest level reads the clock after every search step, millions of
    // times a move: a run of readings is traced once, so the trace stays small and still
    // shows where the clock was read among the other calls.
    const std::vector<std::string>& trace = fake::Trace();
    if (trace.empty() || trace.back() != "GetTickCount") {
        fake::internal::AppendTrace("GetTickCount");
    }
    return gTickSource ? gTickSource() : gFixedTick;
}

namespace fake {

const std::vector<SoundCall>& SoundCalls() {
    return gSoundCalls;
}
void ClearSoundCalls() {
    gSoundCalls.clear();
}

void SetTickCount(DWORD now) {
    gTickSource = nullptr;
    gFixedTick = now;
}

void SetTickSource(std::function<DWORD()> source) {
    gTickSource = std::move(source);
}

uint64_t TickReadings() {
    return gTickReadings;
}

}  // namespace fake

namespace fake::internal {

void ResetSoundAndClock() {
    gSoundCalls.clear();
    gTickSource = nullptr;
    gFixedTick = 0;
    gTickReadings = 0;
}

}  // namespace fake::internal
}  // namespace desktop
