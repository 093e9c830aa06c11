// The saved property record's reader, given any bytes as one record.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/property_bag.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto bag = platform::PropertyBag::Parse(std::span<const uint8_t>(data, size));
    if (!bag) return 0;
    // What it read, written out, reads back as the same entries and writes the same bytes again.
    const std::vector<uint8_t> record = bag->Serialize();
    const auto again = platform::PropertyBag::Parse(record);
    if (!again || again->Entries().size() != bag->Entries().size() || again->Serialize() != record) std::abort();
    for (size_t i = 0; i < bag->Entries().size(); ++i) {
        const auto& a = bag->Entries()[i];
        const auto& b = again->Entries()[i];
        if (a.key != b.key || a.value != b.value) std::abort();
        if (!bag->Contains(a.key)) std::abort();
    }
    return 0;
}
