// Draws a world's current level and its character with immediate-mode OpenGL.
#pragma once

#include <string>

#include "texture/tile_set.h"
#include "world/world.h"

// Clears the window and draws the 20 x 20 tiles of the world's current level.
void drawMap(const World& world, const TextureTable& textureTable);
// Draws the character's square at its position, translated to depth z.
void drawCharacter(const World& world, const TextureTable& textureTable, float z);

// A time trial's ghost: the chicken, translucent, where the ghost's world has it.
void drawGhost(const World& ghost, const TextureTable& textureTable);
// The time trial's timer, such as "12.35", in the picture's top right corner, drawn with the
// glyphs of kTimerGlyphs side by side in digits.
void drawTimer(const std::string& text, const Texture& digits);
