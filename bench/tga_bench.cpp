// Decoding speed: the game's TGA decoder against stb_image on the same bytes, and against a
// plain copy of the pixel bytes (what no decoder can beat); then one frame of the rules.
#include <benchmark/benchmark.h>
#include <stb_image.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "texture/texture.h"
#include "tga_writer.h"
#include "world/world.h"

namespace {

std::vector<std::uint8_t> tgaFile(int size, int channels, bool topDown) {
  Picture picture{size, size, channels, {}};
  picture.pixels.resize(static_cast<std::size_t>(size) * size * channels);
  for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
    picture.pixels[i] = static_cast<std::uint8_t>(i * 31 + i / 977);
  }
  return tgaBytes(makeTga(picture, topDown));
}

// Arguments: image side in pixels, channels (3 or 4), top-down (1) or bottom-up (0).
void imageCases(benchmark::internal::Benchmark* bench) {
  bench->ArgNames({"size", "channels", "topdown"});
  for (int size : {32, 1024, 4096}) {
    for (int channels : {3, 4}) {
      for (int topDown : {0, 1}) {
        bench->Args({size, channels, topDown});
      }
    }
  }
}

void setPixelThroughput(benchmark::State& state) {
  const auto side = static_cast<std::int64_t>(state.range(0));
  state.SetBytesProcessed(state.iterations() * side * side * state.range(1));
}

void BM_GameDecoder(benchmark::State& state) {
  const auto bytes = tgaFile(state.range(0), state.range(1), state.range(2) != 0);
  for (auto _ : state) {
    Texture texture;
    benchmark::DoNotOptimize(texture.parseTGA(bytes.data(), bytes.size()));
    benchmark::DoNotOptimize(texture.imageData);
  }
  setPixelThroughput(state);
}

void BM_StbImage(benchmark::State& state) {
  const auto bytes = tgaFile(state.range(0), state.range(1), state.range(2) != 0);
  for (auto _ : state) {
    int width = 0, height = 0, channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width,
                                            &height, &channels, 0);
    benchmark::DoNotOptimize(pixels);
    stbi_image_free(pixels);
  }
  setPixelThroughput(state);
}

// The limit: allocate the pixels and copy them, nothing else.
void BM_PlainCopy(benchmark::State& state) {
  const auto bytes = tgaFile(state.range(0), state.range(1), state.range(2) != 0);
  const std::size_t pixelBytes = bytes.size() - 18;
  for (auto _ : state) {
    std::unique_ptr<unsigned char[]> pixels(new unsigned char[pixelBytes]);
    std::memcpy(pixels.get(), bytes.data() + 18, pixelBytes);
    benchmark::DoNotOptimize(pixels.get());
    benchmark::ClobberMemory();
  }
  setPixelThroughput(state);
}

// One physics step and one input step, walking back and forth on the ground.
void BM_RulesFrame(benchmark::State& state) {
  World world = startWorld();
  constexpr std::uint32_t kPastStartDelayMs = 1000;
  handleInput(world, HeldKeys{}, 0);
  for (int i = 0; i < 100; ++i) {
    updatePhysics(world);  // land first
  }
  int frame = 0;
  for (auto _ : state) {
    HeldKeys keys;
    keys.right = (frame / 40) % 2 == 0;
    keys.left = !keys.right;
    updatePhysics(world);
    benchmark::DoNotOptimize(handleInput(world, keys, kPastStartDelayMs));
    ++frame;
  }
  benchmark::DoNotOptimize(world.characterX);
}

BENCHMARK(BM_GameDecoder)->Apply(imageCases);
BENCHMARK(BM_StbImage)->Apply(imageCases);
BENCHMARK(BM_PlainCopy)->Apply(imageCases);
BENCHMARK(BM_RulesFrame);

}  // namespace

BENCHMARK_MAIN();
