// Decoding speed: the game's TGA decoder against stb_image on the same bytes, and against a
// plain copy of the pixel bytes (what no decoder can beat); then one frame of the rules.
#include <benchmark/benchmark.h>
#include <stb_image.h>

#include <cstring>
#include <vector>

#include "app/shell.h"
#include "texture/texture.h"
#include "tga_writer.h"
#include "world/world.h"

namespace {

Uint32 benchTicks = 0;
Uint8 heldKeys[SDLK_LAST];

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
    unsigned char* pixels = new unsigned char[pixelBytes];
    std::memcpy(pixels, bytes.data() + 18, pixelBytes);
    benchmark::DoNotOptimize(pixels);
    benchmark::ClobberMemory();
    delete[] pixels;
  }
  setPixelThroughput(state);
}

// One physics step and one input step, walking back and forth on the ground.
void BM_RulesFrame(benchmark::State& state) {
  resetWorld();
  resetShell();
  keyState = heldKeys;
  handleInput();
  benchTicks = 1000;
  for (int i = 0; i < 100; ++i) {
    updatePhysics();  // land first
  }
  int frame = 0;
  for (auto _ : state) {
    heldKeys[SDLK_RIGHT] = (frame / 40) % 2 == 0;
    heldKeys[SDLK_LEFT] = !heldKeys[SDLK_RIGHT];
    updatePhysics();
    benchmark::DoNotOptimize(handleInput());
    ++frame;
  }
  benchmark::DoNotOptimize(characterX);
}

BENCHMARK(BM_GameDecoder)->Apply(imageCases);
BENCHMARK(BM_StbImage)->Apply(imageCases);
BENCHMARK(BM_PlainCopy)->Apply(imageCases);
BENCHMARK(BM_RulesFrame);

}  // namespace

// The rules read SDL's clock and the caption sets the title: here, a clock the benchmark moves
// itself, and no window.
Uint32 SDL_GetTicks(void) {
  return benchTicks;
}
void SDL_WM_SetCaption(const char*, const char*) {}

BENCHMARK_MAIN();
