// The ten textures of the tile set, indexed by tile code.
#pragma once

#include <memory>

#include "texture/texture.h"
#include "world/world.h"

// Every entry exists after loadTileSet(), loaded or Failed; none is released during the run.
extern std::unique_ptr<Texture> textureTable[kTileCodes];

// Creates the ten textures in code order; needs the OpenGL context.
void loadTileSet();
