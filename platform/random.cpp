#include "platform/random.h"

#include <chrono>

namespace platform {

void MersenneRandom::Reseed() {
    if (fixed_) {
        engine_.seed(*fixed_);
        return;
    }
    engine_.seed(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                 static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count()));
}

} // namespace platform
