// The settings file's reader, given any bytes as the file's content.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "game/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const auto value = game::ReadListInteger(content);
    // Whatever number it reads, the number written out plainly reads back the same.
    if (value && game::ReadListInteger(std::to_string(*value)) != value) std::abort();
    return 0;
}
