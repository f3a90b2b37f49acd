#include "data/whole_inflate.h"

#include <libdeflate.h>
#include <zlib.h>

#include <memory>

namespace {

struct DecompressorFree {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

// One for each thread that reads (file jobs read on their own threads).
libdeflate_decompressor* Decompressor() {
    thread_local std::unique_ptr<libdeflate_decompressor, DecompressorFree> decompressor(
        libdeflate_alloc_decompressor());
    return decompressor.get();
}

}  // namespace

int InflateWhole(uint8_t* out, size_t capacity, const uint8_t* stored, size_t storedSize, size_t* length) {
    static const uint8_t kNothing = 0;
    if (!stored) stored = &kNothing;
    if (libdeflate_decompressor* d = storedSize ? Decompressor() : nullptr) {
        size_t used = 0, produced = 0;
        if (libdeflate_zlib_decompress_ex(d, stored, storedSize, out, capacity, &used, &produced) ==
            LIBDEFLATE_SUCCESS) {
            *length = produced;
            return Z_OK;
        }
    }
    uLongf written = uLongf(capacity);
    const int result = uncompress(out, &written, stored, uLong(storedSize));
    *length = written;
    return result;
}
