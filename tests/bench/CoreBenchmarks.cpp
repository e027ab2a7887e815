// Per-call costs of decoding one sprite and of a step that draws from the cache.
#include <benchmark/benchmark.h>

#include "clFly/SpriteCache.h"
#include "clFly/SpriteDecoder.h"
#include "resources/EmbeddedSprites.h"

namespace quillop {
namespace {

void DecodeOneSprite(benchmark::State& state) {
    const auto png = *EmbeddedSprites().Find("3_4");
    for (auto _ : state) {
        benchmark::DoNotOptimize(DecodeSprite(png));
    }
}
BENCHMARK(DecodeOneSprite);

// What a drawn step costs the core with the pictures cached: the name and the lookup.
void CachedDraw(benchmark::State& state) {
    SpriteCache cache(EmbeddedSprites());
    cache.Preload();
    int i = 0;
    for (auto _ : state) {
        const std::string name = SpriteName(i % 8 + 1, i % 6 + 1);
        benchmark::DoNotOptimize(cache.Get(name).Picture.Pixels.data());
        ++i;
    }
}
BENCHMARK(CachedDraw);

}  // namespace
}  // namespace quillop

BENCHMARK_MAIN();
