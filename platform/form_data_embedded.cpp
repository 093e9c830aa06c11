#include "platform/form_data.h"

// Linked in by the build from generated/form1_data.bin.
extern "C" const unsigned char form1_data[];
extern "C" const unsigned char form1_data_end[];

namespace platform {

std::span<const uint8_t> EmbeddedFormData() {
    return {form1_data, static_cast<size_t>(form1_data_end - form1_data)};
}

} // namespace platform
