// The live-object count and the armed failures of the tests. The layer runs on one thread,
// as the game does, so plain counters suffice.
#include <array>
#include <vector>

#include "platform/retained/object_base.h"

namespace retained {
namespace {

long gLiveObjects = 0;

struct ArmedFailures {
    int calls = 0;
    std::vector<std::pair<int, HRESULT>> failAt;  // absolute call numbers
    bool failEvery = false;
    HRESULT everyResult = E_FAIL;
};

std::array<ArmedFailures, static_cast<size_t>(testing::CallId::Count)> gFailures;

ArmedFailures* Slot(testing::CallId call) {
    auto index = static_cast<size_t>(call);
    return index < gFailures.size() ? &gFailures[index] : nullptr;
}

}  // namespace

long LiveObjectCount() {
    return gLiveObjects;
}

namespace detail {

void NoteObjectCreated() {
    ++gLiveObjects;
}
void NoteObjectDestroyed() {
    --gLiveObjects;
}

bool InjectedFailure(testing::CallId call, HRESULT* result) {
    ArmedFailures* slot = Slot(call);
    if (!slot) return false;
    int number = ++slot->calls;
    if (slot->failEvery) {
        *result = slot->everyResult;
        return true;
    }
    for (auto it = slot->failAt.begin(); it != slot->failAt.end(); ++it) {
        if (it->first == number) {
            *result = it->second;
            slot->failAt.erase(it);
            return true;
        }
    }
    return false;
}

}  // namespace detail

namespace testing {

void FailCall(CallId call, int onNthCall, HRESULT result) {
    ArmedFailures* slot = Slot(call);
    if (!slot || onNthCall < 1) return;
    slot->failAt.emplace_back(slot->calls + onNthCall, result);
}

void FailEveryCall(CallId call, HRESULT result) {
    ArmedFailures* slot = Slot(call);
    if (!slot) return;
    slot->failEvery = true;
    slot->everyResult = result;
}

void ResetFailures() {
    gFailures = {};
}

int CallCount(CallId call) {
    ArmedFailures* slot = Slot(call);
    return slot ? slot->calls : 0;
}

}  // namespace testing
}  // namespace retained
