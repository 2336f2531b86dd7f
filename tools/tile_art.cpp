// The tile set's pixel art. Each grid is the picture as it appears on screen, top row first;
// each character is a colour of the one palette below. Edit a grid and rebuild to redraw a tile.
// The repeating tiles (ground, sky, hills) continue from their right edge into their left one.
#include "tile_art.h"

#include <cstdio>
#include <cstdlib>

namespace {

struct PaletteEntry {
  char key;
  std::uint8_t r, g, b;
};

const PaletteEntry kPalette[] = {
    {'.', 132, 194, 242},  // sky
    {'l', 150, 214, 90},   // grass in the sun
    {'g', 96, 178, 64},    // grass
    {'G', 58, 130, 52},    // grass in shade
    {'v', 74, 146, 92},    // far meadow
    {'d', 150, 98, 56},    // soil
    {'D', 112, 70, 40},    // deep soil
    {'s', 170, 160, 150},  // stone
    {'S', 110, 102, 96},   // stone in shade
    {'h', 168, 196, 226},  // far hills
    {'H', 120, 160, 196},  // near hills
    {'a', 122, 124, 140},  // rock
    {'A', 88, 90, 108},    // rock in shade
    {'n', 244, 248, 252},  // snow
    {'N', 206, 216, 230},  // snow in shade
    {'w', 252, 252, 246},  // feathers, eggshell, cloud
    {'W', 255, 255, 255},  // highlight
    {'e', 222, 214, 196},  // shade on white
    {'E', 190, 178, 156},  // deep shade on white
    {'c', 214, 228, 242},  // cloud underside
    {'y', 250, 204, 52},   // sun
    {'Y', 255, 236, 128},  // sun's heart
    {'o', 240, 136, 36},   // beak, sun rays
    {'f', 240, 170, 40},   // feet
    {'r', 214, 46, 40},    // comb and wattle
    {'k', 28, 28, 36},     // eye
};

const PaletteEntry& colourOf(char key) {
  for (const PaletteEntry& entry : kPalette) {
    if (entry.key == key) {
      return entry;
    }
  }
  std::fprintf(stderr, "tile art: '%c' is not in the palette\n", key);
  std::abort();
}

}  // namespace

// clang-format off
const TileArt kTileArt[] = {
    // Ground1: deep soil and stones below the walking surface
    {"ground01.tga", 3,
     {
         "dddddddddddddddddddddddddddddddd",
         "dddddddddddddddddddddddDdddddddd",
         "dDdddddddddddddddddddddddddddddd",
         "dddddddddddddDdddddddddddddddddd",
         "ddddsssddddddddddddddddddddddddd",
         "ddddSSSddddddddddddddddddddddddd",
         "dddddddddddddddddddddddddddddddd",
         "dddddddddddddddddddsssdddddddddd",
         "ddddddddddDDDDDDdddSSSddddddddDd",
         "dddddddddDDDDDDDDddddddddddDDddd",
         "ddddddddDDDdDDDDDDDdddddDDDDDDDD",
         "DDddddDDDDDDDDDDDDDdDDDDDDDDDDDD",
         "DDDDdDDDDDDDDDDDDDDDDDDDDDsssDDD",
         "DDDDDDDDDDDDdDDDDDDDDDDDDDSSSDDD",
         "DDDDDDDDDDDsssDDDDDDdDDDDDDDDDDD",
         "DDDDDdDDDDDSSSDDDDDDDDDDDDDDdDDD",
         "DDDDDDDDDDDDDdDDDDDDDDDDDDDDDDDD",
         "DDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDD",
         "DDDDDDdDDDDDDDDDDDDDDDDDDDDDDdDD",
         "DDDDDDDDDDDDDDdDDDDDDDDDDDDDDDDD",
         "DDsssDDDDDDDDDDDDDDDDDdDDDDDDDDD",
         "DDSSSDDdDDDDDDDDDDDDDDDDDDDDDDdD",
         "DDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDD",
         "DDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDD",
         "DDDDDDDDDDDDDDDDsssDDDDDDDDDDDDD",
         "DDDDDDDDDDDDDDDDSSSDDDDDDDDDDDDD",
         "DDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDD",
         "DDDDDDDDDDDDDDDDDDDDDDDDDDDDsssD",
         "DDDDDDDDDDDDDDDDDDDDDDDDDDDDSSSD",
         "DDDDDDDDsssDDDDDDDDDDDDDDDDDDDDD",
         "DDDDDDDDSSSDDDdDDDDDDDDDDDDDDDDD",
         "DDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDD",
     }},

    // Ground2: grass on soil, the row the chicken stands on
    {"ground02.tga", 3,
     {
         "lggglggglggglggglggglggglggglggg",
         "glggglggglggglggglggglggglggglgg",
         "gggggggggggggggggggggggggggggggg",
         "ggGGggggggGGGGggggGGggggggGGGGgg",
         "ggGgggggggGGGGGgggGgggggggGGGGGg",
         "gggggGGggGGGDDGGgggggGGggGGGDDGG",
         "GGGGGGGGGGGDddDGGGGGGGGGGGGDddDG",
         "GGGGGDDGGDDddddDGGGGGDDGGDDddddD",
         "DDDDDddDDdddddddDDDDDddDDddddddd",
         "dddddddddddddddddddddddddddddddd",
         "dddddddddddddddddddddddddddddddd",
         "dddddddddddddddddddddddddddddddd",
         "dddddddddddddDdddddddddddddddddd",
         "ddddddddddddddddddddssdddddddddd",
         "dddddssdddddddddddddSSddddddddDd",
         "dddddSSddddddddddddddddddddddddd",
         "dddddddddDdddddddddddddddddddddd",
         "dDdddddddddddddddddddddddddddddd",
         "ddddddddddddddddddddddDddddddddd",
         "ddddddddddddssdddddddddddddddddd",
         "ddddddddddddSSdddddddddddddddddd",
         "dddddddddddddddddddddddddddssddd",
         "dddddddddddddddDdddddddddddSSddd",
         "dddddddddddddddddddddddddddddddd",
         "dddddddddddddddddddddddddddddddd",
         "dddssddddddddddddddddddddddddDdd",
         "dddSSddddddddddddssddddddddddddd",
         "dddddddddddddddddSSddddddddddddd",
         "ddddddDddddddddddddddddddddddddd",
         "ddddddddddddddddddddddddssdddddd",
         "dddddddddssdddddddddddddSSdddddd",
         "dddddddddSSddddddddddddddddddddd",
     }},

    // Skies: one calm colour, so 300 copies show no seam
    {"sky.tga", 3,
     {
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
     }},

    // Mountain transition: far hills on the horizon, their meadow meeting the grass below
    {"mountain01.tga", 3,
     {
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         ".............hhhhhh.............",
         "...........hhhhhhhhhh...........",
         "..........hhhhhhhhhhhh..........",
         ".........hhhhhhhhhhhhhh.........",
         "........hhhhhhhhhhhhhhhh........",
         ".......hhhhhhhhhhhhhhhhhh.......",
         "......hhhhhhhhhhhhhhhhhhhh......",
         ".....hhhhhhhhhhhhhhhhhhhhhh.....",
         "...hhhhhhhhhhhhhhhhhhhhhhhhhh...",
         "hhhhhhhhhhhhhhhhhhhhhhhhhhhhhhhh",
         "hhHHHHhhhhhhhhhhhhHHHHhhhhhhhhhh",
         "hHHHHHHhhhhhhhhhhHHHHHHhhhhhhhhh",
         "HHHHHHHHhhhhhhhhHHHHHHHHhhhhhhhh",
         "HHHHHHHHHhhhhhhHHHHHHHHHHhhhhhhH",
         "HHHHHHHHHHhhhhHHHHHHHHHHHHhhhhHH",
         "HHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHH",
         "HHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHH",
         "HHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHH",
         "HHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHH",
         "vvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvv",
         "vvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvv",
         "gggggggggggggggggggggggggggggggg",
         "gggggggggggggggggggggggggggggggg",
         "gggggggggggggggggggggggggggggggg",
     }},

    // Cloud_notTile
    {"cloud.tga", 3,
     {
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         ".............wwwwwwww...........",
         "............wwwwwwwwww..........",
         "...........wwwwwwwwwwww.........",
         "..........wwwwwwwwwwwwww........",
         "..........wwwwwwwwwwwwww........",
         "........wwwwwwwwwwwwwwww........",
         "......wwwwwwwwwwwwwwwwwwwww.....",
         ".....wwwwwwwwwwwwwwwwwwwwwww....",
         ".....wwwwwwwwwwwwwwwwwwwwwwww...",
         "....wwwwwwwwwwwwwwwwwwwwwwwww...",
         "....wwwwwwwwwwwwwwwwwwwwwwwww...",
         "....wwwwwwwwwwwwwwwwwwwwwwwww...",
         "....wwwwwwwwwwwwwwwwwwwwwwwww...",
         ".....ccwwwwwwwwwwwwwwwwwwwwcc...",
         ".....ccwwwwwwwwwwwwwwwwwwwwc....",
         "......ccccccccccccccccccccc.....",
         "........ccccccccccccc...........",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
     }},

    // Chicken: on the sky's colour, as the square is drawn opaque
    {"character.tga", 4,
     {
         "................................",
         "................................",
         "................................",
         "................................",
         "...................r.r..........",
         "..................rrrrr.........",
         "..................rrrrr.........",
         ".................wwwwwww........",
         "................wwwwwwwww.......",
         "................wwwwwkwwwo......",
         "................wwwwwwwwwoo.....",
         "................wwwwwwwwwooo....",
         "................wwwwwwwwwo......",
         ".................wwwwwwwr.......",
         ".....ww..........wwwwwwrr.......",
         "....wwww........wwwwwwwr........",
         "....wwwww......wwwwwwwww........",
         "....wwwwwwwwwwwwwwwwwwwww.......",
         "....wwwwwwwwwwwwwwwwwwwwwe......",
         "....wwwwwweeeeeewwwwwwwwwe......",
         ".....wwwweeeeeeewwwwwwwwwe......",
         ".....wwwwweeeeewwwwwwwwwe.......",
         "......wwwwwwwwwwwwwwwwwwe.......",
         ".......wwwwwwwwwwwwwwwwe........",
         "........eewwwwwwwwwwwee.........",
         "..........eeeeeeeeeeee..........",
         ".............f....f.............",
         ".............f....f.............",
         ".............f....f.............",
         "...........fff..fff.............",
         "................................",
         "................................",
     }},

    // Sun_notTile
    {"sun.tga", 3,
     {
         "................................",
         "................................",
         "...............oo...............",
         "...............yy...............",
         "...............yy...............",
         "......o........yy........o......",
         ".....ooy................yoo.....",
         "......yyy..............yyy......",
         ".......yy....yyyyyy....yy.......",
         "...........yyyyyyyyyy...........",
         "..........yyyyyyyyyyyy..........",
         ".........yyyyYYYYYYyyyy.........",
         ".........yyyYYYYYYYYyyy.........",
         "........yyyYYYYYYYYYYyyy........",
         "........yyyYYYYYYYYYYyyy........",
         "..oyyy..yyyYYYYYYYYYYyyy..yyyo..",
         "..oyyy..yyyYYYYYYYYYYyyy..yyyo..",
         "........yyyYYYYYYYYYYyyy........",
         "........yyyYYYYYYYYYYyyy........",
         ".........yyyYYYYYYYYyyy.........",
         ".........yyyyYYYYYYyyyy.........",
         "..........yyyyyyyyyyyy..........",
         "...........yyyyyyyyyy...........",
         ".......yy....yyyyyy....yy.......",
         "......yyy..............yyy......",
         ".....ooy................yoo.....",
         "......o........yy........o......",
         "...............yy...............",
         "...............yy...............",
         "...............oo...............",
         "................................",
         "................................",
     }},

    // Mountain_notTile: one snowy peak
    {"mountain.tga", 3,
     {
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "...............nn...............",
         "...............nn...............",
         "..............nnnn..............",
         ".............nnnnnn.............",
         ".............nnnNNN.............",
         "............nnnnNNNN............",
         "............naanAANA............",
         "...........aaaaaAAAAA...........",
         "..........aaaaaaAAAAAA..........",
         "..........aaaaaaAAAAAA..........",
         ".........aaaaaaaAAAAAAA.........",
         "........aaaaaaaaAAAAAAAA........",
         "........aaaaaaaaAAAAAAAA........",
         ".......aaaaaaaaaAAAAAAAAA.......",
         ".......aaaaaaaaaAAAAAAAAA.......",
         "......aaaaaaaaaaAAAAAAAAAA......",
         ".....aaaaaaaaaaaAAAAAAAAAAA.....",
         ".....aaaaaaaaaaaAAAAAAAAAAA.....",
         "....aaaaaaaaaaaaAAAAAAAAAAAA....",
         "...aaaaaaaaaaaaaAAAAAAAAAAAAA...",
         "...aaaaaaaaaaaaaAAAAAAAAAAAAA...",
         "..aaaaaaaaaaaaaaAAAAAAAAAAAAAA..",
         "..aaaaaaaaaaaaaaAAAAAAAAAAAAAA..",
         ".aaaaaaaaaaaaaaaAAAAAAAAAAAAAAA.",
         "aaaaaaaaaaaaaaaaAAAAAAAAAAAAAAAA",
         "aaaaaaaaaaaaaaaaAAAAAAAAAAAAAAAA",
         "aaaaaaaaaaaaaaaaAAAAAAAAAAAAAAAA",
     }},

    // Mountain: a range that repeats from tile to tile
    {"mountain02.tga", 3,
     {
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         "................................",
         ".......nn.......................",
         ".......aA.......................",
         "......aaAA......................",
         "......aaAA......................",
         ".....aaaAAA.....................",
         ".....aaaAAA............nn.......",
         "....aaaaAAAA...........aA.......",
         "....aaaaAAAA..........aaAA......",
         "...aaaaaAAAAA.........aaAA......",
         "...aaaaaAAAAA........aaaAAA.....",
         "...aaaaaAAAAA........aaaAAA.....",
         "..aaaaaaAAAAAA......aaaaAAAA....",
         "..aaaaaaAAAAAA......aaaaAAAA....",
         ".aaaaaaaAAAAAAA....aaaaaAAAAA...",
         ".aaaaaaaAAAAAAA....aaaaaAAAAA...",
         "aaaaaaaaAAAAAAAA...aaaaaAAAAA...",
         "aaaaaaaaAAAAAAAAaaaaaaaaAAAAAAAA",
         "aaaaaaaaAAAAAAAAaaaaaaaaAAAAAAAA",
         "aaaaaaaaAAAAAAAAaaaaaaaaAAAAAAAA",
         "aaaaaaaaAAAAAAAAaaaaaaaaAAAAAAAA",
         "aaaaaaaaAAAAAAAAaaaaaaaaAAAAAAAA",
         "aaaaaaaaAAAAAAAAaaaaaaaaAAAAAAAA",
         "aaaaaaaaAAAAAAAAaaaaaaaaAAAAAAAA",
         "aaaaaaaaAAAAAAAAaaaaaaaaAAAAAAAA",
     }},

    // Egg: lit from the upper left, on the sky
    {"egg.tga", 3,
     {
         "................................",
         "................................",
         "................................",
         "................................",
         "..............wwww..............",
         ".............wwwwww.............",
         "............wwwwwwww............",
         "............wwwwwwww............",
         "...........wwwwwwwwwe...........",
         "...........wwWwwwwwwe...........",
         "...........wWWwwwwwwe...........",
         "...........wWwwwwwwww...........",
         "..........wwWwwwwwwwwe..........",
         "..........wwwwwwwwwweE..........",
         "..........wwwwwwwwweeE..........",
         "..........wwwwwwwwweeE..........",
         ".........wwwwwwwwweeeeE.........",
         ".........wwwwwwwwweeeeE.........",
         ".........wwwwwwwweeeeEE.........",
         ".........wwwwwwweeeeEEE.........",
         ".........wwwwwweeeeEEEE.........",
         "..........wwwwweeeeEEE..........",
         "..........ewwweeeeEEEE..........",
         "..........ewweeeeEEEEE..........",
         "...........eeeeeEEEEE...........",
         "...........eeeeeEEEEE...........",
         "............EeeEEEEE............",
         ".............EEEEEE.............",
         "..............EEEE..............",
         "................................",
         "................................",
         "................................",
     }},
};
// clang-format on

Picture drawTile(int code) {
  const TileArt& art = kTileArt[code];
  Picture picture;
  picture.width = kArtSize;
  picture.height = kArtSize;
  picture.channels = art.channels;
  for (const char* row : art.rows) {
    for (int x = 0; x < kArtSize; ++x) {
      const PaletteEntry& colour = colourOf(row[x]);
      picture.pixels.insert(picture.pixels.end(), {colour.r, colour.g, colour.b});
      if (art.channels == 4) {
        // Opaque on the figure, clear on its background, should blending ever be turned on.
        picture.pixels.push_back(row[x] == '.' ? 0 : 255);
      }
    }
  }
  return picture;
}
