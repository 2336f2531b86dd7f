// Draws the current level's tiles and the character with immediate-mode OpenGL.
#pragma once

// Clears the window, draws the 20 x 20 tiles, then updates the frame-rate caption.
void drawMap();
// Draws the character's square at its position, translated to depth z.
void drawCharacter(float z);
