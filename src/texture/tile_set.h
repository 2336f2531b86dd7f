// The ten textures of the tile set, indexed by tile code.
#pragma once

#include <array>

#include "texture/texture.h"
#include "world/world.h"

using TextureTable = std::array<Texture, kTileCodes>;

// The ten textures in code order, each loaded or Failed; needs the OpenGL context.
void loadTileSet(TextureTable& textureTable);

// The time trial's digits (kTimerDigitsFile), drawn pixel for pixel; needs the OpenGL context.
void loadTimerDigits(Texture& digits);
