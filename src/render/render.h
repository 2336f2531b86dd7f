// Draws a world's current level and its character with immediate-mode OpenGL.
#pragma once

#include "texture/tile_set.h"
#include "world/world.h"

// Clears the window and draws the 20 x 20 tiles of the world's current level.
void drawMap(const World& world, const TextureTable& textureTable);
// Draws the character's square at its position, translated to depth z.
void drawCharacter(const World& world, const TextureTable& textureTable, float z);
