// The page's way to the game's levels: the editor and the links hand level sets to the game's
// own reader and link codec (src/app/web_main.cpp) as bytes and get its answers back, so that the
// page reads a level exactly as the desktop does. Emscripten puts this before the game's script,
// in the same scope as its memory.
(() => {
  const SIZE = 20;
  const CELLS = SIZE * SIZE;  // tile codes a level
  const LINK = '#levels=';

  function put(bytes) {
    HEAPU8.set(bytes, Module._levelInputBuffer(bytes.length));
  }
  function output() {
    return HEAPU8.slice(Module._levelOutputBytes(),
                        Module._levelOutputBytes() + Module._levelOutputLength());
  }
  const text = () => new TextDecoder().decode(output());
  // The answer of a take: the set as arrays of 400 codes, or the reason it was refused.
  function answer(taken) {
    if (!taken) return { problem: text() };
    const codes = output();
    const levels = [];
    for (let at = 0; at < codes.length; at += CELLS) {
      levels.push(Array.from(codes.subarray(at, at + CELLS)));
    }
    return { levels };
  }

  Module.levels = {
    LINK,
    // Each returns { levels } or { problem }; the taken set is the one text, link and play use.
    fromCodes: (levels) => {
      const codes = new Uint8Array(levels.length * CELLS);
      levels.forEach((level, i) => codes.set(level, i * CELLS));
      put(codes);
      return Module._takeLevelCodes() ? { levels } : { problem: text() };
    },
    fromFile: (name, bytes) => {
      const encoded = new TextEncoder().encode(name + '\0');
      const whole = new Uint8Array(encoded.length + bytes.length);
      whole.set(encoded);
      whole.set(bytes, encoded.length);
      put(whole);
      return answer(Module._takeLevelFile());
    },
    fromLink: (link) => {
      put(new TextEncoder().encode(link));
      return answer(Module._takeLevelLink());
    },
    builtIn: () => {
      Module._takeBuiltInLevels();
      return answer(true);
    },
    text: () => {
      Module._giveLevelText();
      return text();
    },
    // The game page's address with the set in its fragment.
    link: () => {
      Module._giveLevelLink();
      return location.href.split('#')[0] + LINK + text();
    },
    play: () => {
      Module._playPageLevels();
    },
    // Each tile code's { picture, rule, role }: role is 'solid', 'egg', 'chicken' or ''.
    tiles: () => {
      Module._giveTileNames();
      return text().trimEnd().split('\n').map((line) => {
        const [picture, rule, role] = line.split('\t');
        return { picture, rule, role };
      });
    },
    // The chicken's start cell of the first level.
    start: () => {
      const cell = Module._startCell();
      return { row: Math.floor(cell / SIZE), column: cell % SIZE };
    },
    // A tile's picture as ImageData, or null.
    picture: (code) => {
      const width = Module._giveTilePicture(code);
      const pixels = output();
      return width ? new ImageData(new Uint8ClampedArray(pixels), width, pixels.length / 4 / width)
        : null;
    },
    // At start-up: the address's link put where the game reads it; its length, or -1 for none.
    putLinkFromAddress: () => {
      const levels = Module.levels.fromAddress();
      if (levels === null) return -1;
      const link = new TextEncoder().encode(levels);
      put(link);
      return link.length;
    },
    // The levels of the address's fragment, what follows "#levels=" up to a run, or null.
    fromAddress: () => (location.hash.startsWith(LINK)
      ? location.hash.slice(LINK.length).split('&')[0] : null),
    // The game's way in and out, for the page's other scripts, as text.
    putText: (input) => put(new TextEncoder().encode(input)),
    output: text,
    linkRefused: () => {
      if (Module.onLinkRefused) Module.onLinkRefused(text());
    },
    linkPlayed: () => {
      if (Module.onLinkPlayed) Module.onLinkPlayed();
    },
  };
})();
