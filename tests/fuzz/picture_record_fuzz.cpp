// The stored picture record's reader, given any bytes as one record.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "platform/picture_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const uint8_t> input(data, size);
    // A record it reads is exactly the record written for the file inside it...
    if (const auto file = platform::ParsePictureRecord(input)) {
        const std::vector<uint8_t> record = platform::WritePictureRecord(*file);
        if (!std::equal(record.begin(), record.end(), input.begin(), input.end())) std::abort();
    }
    // ...and any file, written into a record, reads back unchanged.
    const std::vector<uint8_t> record = platform::WritePictureRecord(input);
    const auto file = platform::ParsePictureRecord(record);
    if (!file || !std::equal(file->begin(), file->end(), input.begin(), input.end())) std::abort();
    return 0;
}
