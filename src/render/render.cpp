// Every tile and the character is one textured unit quad, placed by a modelview translation.
#include "render/render.h"

#include <GL/gl.h>

#include <cstring>

#include "texture/tile_set.h"

namespace {

// The ghost is the chicken at half its opacity, under the player's.
constexpr float kGhostOpacity = 0.5f;

// The timer's image pixels are three of the 800 x 600 window's a side: 0.075 of a unit across,
// 0.1 down. It stands in the top right corner on a dark panel one image pixel wider all round, so
// that it reads over every tile.
constexpr float kTimerPixelWidth = 0.075f;
constexpr float kTimerPixelHeight = 0.1f;
constexpr float kTimerMargin = 0.2f;
constexpr float kPanelOpacity = 0.55f;

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

// A quad from (left, top) to (right, bottom), with the texture's s from sLeft to sRight.
void drawQuad(float left, float top, float right, float bottom, float sLeft, float sRight) {
  glBegin(GL_QUADS);
  glTexCoord2f(sLeft, 1.0f);
  glVertex2f(left, top);
  glTexCoord2f(sLeft, 0.0f);
  glVertex2f(left, bottom);
  glTexCoord2f(sRight, 0.0f);
  glVertex2f(right, bottom);
  glTexCoord2f(sRight, 1.0f);
  glVertex2f(right, top);
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

void drawGhost(const World& ghost, const TextureTable& textureTable) {
  glLoadIdentity();
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(1.0f, 1.0f, 1.0f, kGhostOpacity);
  glTranslatef(ghost.characterX, ghost.characterY, 1.0f);
  glBindTexture(GL_TEXTURE_2D, textureTable[kCharacterTile].texID);
  drawUnitQuad();
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glDisable(GL_BLEND);
}

void drawTimer(const std::string& text, const Texture& digits) {
  const std::size_t glyphs = std::strlen(kTimerGlyphs);
  const float glyphPixels = digits.width > 0 ? static_cast<float>(digits.width) / glyphs : 1.0f;
  const float glyphWidth = glyphPixels * kTimerPixelWidth;
  const float height = (digits.height > 0 ? digits.height : 1) * kTimerPixelHeight;
  const float right = kMapSize - kTimerMargin;
  const float left = right - glyphWidth * text.size();
  const float top = kTimerMargin;
  glLoadIdentity();
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glDisable(GL_TEXTURE_2D);
  glColor4f(0.0f, 0.0f, 0.0f, kPanelOpacity);
  drawQuad(left - kTimerPixelWidth, top - kTimerPixelHeight, right + kTimerPixelWidth,
           top + height + kTimerPixelHeight, 0.0f, 1.0f);
  glEnable(GL_TEXTURE_2D);
  glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
  glBindTexture(GL_TEXTURE_2D, digits.texID);
  float x = left;
  for (const char c : text) {
    const char* glyph = std::strchr(kTimerGlyphs, c);
    if (glyph != nullptr && c != '\0') {
      const auto index = static_cast<float>(glyph - kTimerGlyphs);
      drawQuad(x, top, x + glyphWidth, top + height, index / glyphs, (index + 1) / glyphs);
    }
    x += glyphWidth;
  }
  glDisable(GL_BLEND);
}
