// Every tile and the character is one textured unit quad, placed by a modelview translation.
#include "render/render.h"

#include <GL/gl.h>

#include "texture/tile_set.h"

namespace {

// Texture row t = 1 goes at the top, so images stored bottom row first appear upright.
void drawUnitQuad() {
  glBegin(GL_QUADS);
  glTexCoord2f(0.0f, 1.0f);
  glVertex2f(0.0f, 0.0f);
  glTexCoord2f(0.0f, 0.0f);
  glVertex2f(0.0f, 1.0f);
  glTexCoord2f(1.0f, 0.0f);
  glVertex2f(1.0f, 1.0f);
  glTexCoord2f(1.0f, 1.0f);
  glVertex2f(1.0f, 0.0f);
  glEnd();
}

}  // namespace

void drawMap(const World& world, const TextureTable& textureTable) {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_MODELVIEW);
  glColor3f(1.0f, 1.0f, 1.0f);
  for (int column = 0; column < kMapSize; ++column) {
    for (int row = 0; row < kMapSize; ++row) {
      glLoadIdentity();
      glTranslatef(static_cast<float>(column), static_cast<float>(row), 0.0f);
      glEnable(GL_TEXTURE_2D);
      const int code = tileAt(world, row, column);
      if (code != kNoTile) {
        glBindTexture(GL_TEXTURE_2D, textureTable[code].texID);
      }
      drawUnitQuad();
    }
  }
}

void drawCharacter(const World& world, const TextureTable& textureTable, float z) {
  glTranslatef(world.characterX, world.characterY, z);
  glBindTexture(GL_TEXTURE_2D, textureTable[kCharacterTile].texID);
  drawUnitQuad();
}
