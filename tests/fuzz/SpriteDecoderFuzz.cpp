// libFuzzer's entry: any bytes through the sprite decoder, which may refuse them but must never
// crash nor allocate much. Built by `cmake --preset fuzz && cmake --build --preset fuzz`; a run
// that writes what it finds into a folder of its own and reads the seeds of tests/fuzz/corpus:
//   build/fuzz/tests/fuzz/quillop_fuzz_sprites -malloc_limit_mb=64 -max_total_time=600 \
//       found/ tests/fuzz/corpus
#include <cstddef>
#include <cstdint>

#include "clFly/SpriteDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        quillop::DecodeSprite({data, size});
    } catch (const quillop::Failure&) {
    }
    return 0;
}
