// Feeds arbitrary bytes to the table file reader. A file that loads must decode every value
// and write back an image that loads again to the same image.
#include "catalogue/store/StoreError.h"
#include "catalogue/store/StoreVariant.h"
#include "catalogue/store/TStoreCursor.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TStoreCursor cursor;
    try {
        cursor.load(std::string_view(reinterpret_cast<const char *>(data), size));
    } catch (const StoreError &) {
        return 0;
    }
    const int fields = static_cast<int>(cursor.fields().size());
    for (std::size_t r = 0; r < cursor.recordCount() && r < 256; ++r)
        for (int f = 0; f < fields; ++f)
            (void)StoreVariant::fromStore(cursor.fields()[std::size_t(f)], cursor.value(r, f));

    const std::string image = cursor.image();
    TStoreCursor again;
    again.load(image); // throws, and so fails the run, when the writer made a bad file
    if (again.image() != image || again.recordCount() != cursor.recordCount())
        std::abort();
    return 0;
}
