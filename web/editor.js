// The level editor, loaded by the game page only when opened: a set of 1 to 20 levels painted
// with the game's own pictures, played at once through the game, kept in the browser, saved and
// opened as the desktop's level files and shared as links. Every level passes through the game's
// own reader (Module.levels); this file only draws and edits tile codes.
(() => {
  const SIZE = 20;
  const MOST_LEVELS = 20;
  const MOST_UNDO = 200;
  const STORED = 'eggquest.editor';
  // The tiles and the start cell as the game itself knows them.
  const TILES = Module.levels.tiles();
  const NAMES = TILES.map((tile) => tile.picture);
  const START = Module.levels.start();
  const GROUND = TILES.findIndex((tile) => tile.role === 'solid');
  const EGG = TILES.findIndex((tile) => tile.role === 'egg');
  const CHICKEN = TILES.findIndex((tile) => tile.role === 'chicken');
  const SKY = TILES.findIndex((tile) => tile.picture === 'Sky');  // a new level's background
  const PIXELS = 32;  // a cell in the grid's own picture

  const page = document.createElement('section');
  page.id = 'editor';
  page.innerHTML = `
    <header><h1>Level editor</h1>
      <button type="button" data-do="leave">Back to the game</button></header>
    <div class="row" role="group" aria-label="Levels"><span id="level-list"></span>
      <button type="button" data-do="add">Add level</button>
      <button type="button" data-do="remove">Remove level</button>
      <button type="button" data-do="earlier">Move earlier</button>
      <button type="button" data-do="later">Move later</button></div>
    <div class="row" id="palette" role="group" aria-label="Tiles"></div>
    <div class="row"><button type="button" data-do="undo">Undo</button>
      <button type="button" data-do="redo">Redo</button>
      <button type="button" data-do="zoom" aria-pressed="false">Zoom</button>
      <button type="button" data-do="play" class="main">Play</button>
      <button type="button" data-do="trial">Time trial</button></div>
    <div id="grid-view"><canvas id="level-grid" width="${SIZE * PIXELS}" height="${SIZE * PIXELS}"
      tabindex="0" role="application" aria-roledescription="level grid"
      aria-label="Level grid: arrow keys move the cursor, 0 to 9 paint its cell"></canvas></div>
    <p id="editor-status" role="status" aria-live="polite"></p>
    <div class="row"><button type="button" data-do="share">Share link</button>
      <input id="share-link" readonly aria-label="Link to these levels" placeholder="Share link">
      <button type="button" data-do="download">Download</button>
      <button type="button" data-do="open">Open</button>
      <input type="file" id="level-file" accept=".txt,text/plain" hidden></div>
    <p class="hint">The chicken starts at the marked cell (row ${START.row}, column
      ${START.column}, from 0) of level 1;
      the egg of each level leads to the next. Draw with a finger, the mouse or the keyboard;
      on a touch screen two fingers move a zoomed grid.</p>`;
  document.body.append(page);
  const grid = page.querySelector('#level-grid');
  const view = page.querySelector('#grid-view');
  const status = page.querySelector('#editor-status');
  const shareLink = page.querySelector('#share-link');
  const fileInput = page.querySelector('#level-file');
  const draw = grid.getContext('2d');

  let levels = [];
  let current = 0;
  let tile = GROUND;
  let cursor = { ...START };
  const undone = [];
  const redone = [];

  // The game's own pictures, decoded by its TGA reader; a flat colour where one is missing.
  const pictures = [];
  function loadPictures() {
    for (let code = 0; code < TILES.length; code++) {
      const image = Module.levels.picture(code);
      const picture = document.createElement('canvas');
      picture.width = image ? image.width : 1;
      picture.height = image ? image.height : 1;
      const context = picture.getContext('2d');
      if (image) context.putImageData(image, 0, 0);
      else context.fillStyle = `hsl(${code * 36} 50% 50%)`, context.fillRect(0, 0, 1, 1);
      pictures[code] = picture;
    }
  }

  function paintPalette() {
    const palette = page.querySelector('#palette');
    palette.replaceChildren(...NAMES.map((name, code) => {
      const button = document.createElement('button');
      button.type = 'button';
      button.dataset.tile = code;
      button.setAttribute('aria-label', `${name} (${code})`);
      button.title = `${name}, ${TILES[code].rule} (key ${code})`;
      button.append(pictures[code]);
      button.addEventListener('click', () => choose(code));
      return button;
    }));
    choose(tile);
  }

  function choose(code) {
    tile = code;
    for (const button of page.querySelectorAll('[data-tile]')) {
      button.setAttribute('aria-pressed', String(Number(button.dataset.tile) === code));
    }
  }

  function render() {
    draw.imageSmoothingEnabled = false;
    const level = levels[current];
    for (let row = 0; row < SIZE; row++) {
      for (let column = 0; column < SIZE; column++) {
        draw.drawImage(pictures[level[row * SIZE + column]], column * PIXELS, row * PIXELS,
                       PIXELS, PIXELS);
      }
    }
    // The start: the chicken faded in its cell, framed.
    const x = START.column * PIXELS;
    const y = START.row * PIXELS;
    if (current === 0) {
      draw.globalAlpha = 0.5;
      draw.drawImage(pictures[CHICKEN], x, y, PIXELS, PIXELS);
      draw.globalAlpha = 1;
      draw.setLineDash([6, 4]);
      draw.lineWidth = 3;
      draw.strokeStyle = '#ff3b30';
      draw.strokeRect(x + 1.5, y + 1.5, PIXELS - 3, PIXELS - 3);
      draw.setLineDash([]);
    }
    if (document.activeElement === grid) {
      draw.lineWidth = 4;
      draw.strokeStyle = '#000';
      draw.strokeRect(cursor.column * PIXELS + 2, cursor.row * PIXELS + 2, PIXELS - 4, PIXELS - 4);
      draw.lineWidth = 2;
      draw.strokeStyle = '#fff';
      draw.strokeRect(cursor.column * PIXELS + 2, cursor.row * PIXELS + 2, PIXELS - 4, PIXELS - 4);
    }
    const list = page.querySelector('#level-list');
    list.replaceChildren(...levels.map((_, i) => {
      const button = document.createElement('button');
      button.type = 'button';
      button.textContent = `Level ${i + 1}`;
      button.setAttribute('aria-pressed', String(i === current));
      button.addEventListener('click', () => { current = i; store(); render(); });
      return button;
    }));
    page.querySelector('[data-do=remove]').disabled = levels.length === 1;
    page.querySelector('[data-do=add]').disabled = levels.length === MOST_LEVELS;
    page.querySelector('[data-do=earlier]').disabled = current === 0;
    page.querySelector('[data-do=later]').disabled = current === levels.length - 1;
    page.querySelector('[data-do=undo]').disabled = !undone.length;
    page.querySelector('[data-do=redo]').disabled = !redone.length;
  }

  function store() {
    try {
      localStorage.setItem(STORED, JSON.stringify({ levels, current }));
    } catch (e) {
      // Storage full or turned off: the work lasts as long as the page.
    }
  }

  function stored() {
    try {
      const kept = JSON.parse(localStorage.getItem(STORED));
      const fine = kept && Array.isArray(kept.levels) && kept.levels.length >= 1 &&
        kept.levels.length <= MOST_LEVELS && kept.levels.every((level) => Array.isArray(level) &&
          level.length === SIZE * SIZE && level.every((code) => code >= 0 && code <= 9 &&
                                                                Number.isInteger(code)));
      return fine ? kept : null;
    } catch (e) {
      return null;
    }
  }

  const snapshot = () => JSON.stringify({ levels, current });
  function restore(state) {
    ({ levels, current } = JSON.parse(state));
    store();
    render();
  }
  // Every change is one step of undo: call before making it.
  function remember() {
    undone.push(snapshot());
    if (undone.length > MOST_UNDO) undone.shift();
    redone.length = 0;
  }
  function undo() {
    if (undone.length) redone.push(snapshot()), restore(undone.pop());
  }
  function redo() {
    if (redone.length) undone.push(snapshot()), restore(redone.pop());
  }

  function say(text) {
    status.textContent = text;
  }

  // A whole new set (opened, from a link), which undo can take back.
  function replaceSet(set) {
    remember();
    levels = set;
    current = 0;
    store();
    render();
  }

  function paint(row, column, code) {
    const level = levels[current];
    if (level[row * SIZE + column] === code) return false;
    level[row * SIZE + column] = code;
    return true;
  }

  // Painting by mouse or finger: one stroke, one undo step, every cell on the way painted.
  let stroke = null;  // { pointer, last: { row, column }, changed }
  const fingers = new Map();  // touch pointer: its last position, while two fingers move the view
  function cellAt(event) {
    const box = grid.getBoundingClientRect();
    const along = (offset, length) =>
      Math.min(SIZE - 1, Math.max(0, Math.floor(offset / length * SIZE)));
    return {
      row: along(event.clientY - box.top, box.height),
      column: along(event.clientX - box.left, box.width),
    };
  }
  function strokeCell(row, column) {
    if (levels[current][row * SIZE + column] === tile) return;
    if (!stroke.changed) remember(), stroke.changed = true;
    paint(row, column, tile);
  }
  function strokeTo(cell) {
    const { last } = stroke;
    const steps = Math.max(Math.abs(cell.row - last.row), Math.abs(cell.column - last.column));
    for (let step = 1; step <= steps; step++) {
      strokeCell(Math.round(last.row + (cell.row - last.row) * step / steps),
                 Math.round(last.column + (cell.column - last.column) * step / steps));
    }
    stroke.last = cell;
    cursor = cell;
    render();
  }
  grid.addEventListener('pointerdown', (event) => {
    if (event.button !== 0) return;
    event.preventDefault();
    grid.focus({ preventScroll: true });
    if (event.pointerType === 'touch') {
      fingers.set(event.pointerId, [event.clientX, event.clientY]);
      if (fingers.size > 1) {  // a second finger moves the view: the stroke is taken back
        if (stroke && stroke.changed) undo(), redone.pop();
        stroke = null;
        return;
      }
    }
    grid.setPointerCapture(event.pointerId);
    const cell = cellAt(event);
    stroke = { pointer: event.pointerId, last: cell, changed: false };
    strokeCell(cell.row, cell.column);
    strokeTo(cell);
  });
  grid.addEventListener('pointermove', (event) => {
    if (fingers.size > 1 && fingers.has(event.pointerId)) {
      const [x, y] = fingers.get(event.pointerId);
      view.scrollBy((x - event.clientX) / fingers.size, (y - event.clientY) / fingers.size);
      fingers.set(event.pointerId, [event.clientX, event.clientY]);
    } else if (stroke && stroke.pointer === event.pointerId) {
      strokeTo(cellAt(event));
    }
  });
  for (const type of ['pointerup', 'pointercancel']) {
    grid.addEventListener(type, (event) => {
      fingers.delete(event.pointerId);
      if (stroke && stroke.pointer === event.pointerId) stroke = null, store(), render();
    });
  }
  grid.addEventListener('contextmenu', (event) => event.preventDefault());

  // The keyboard: arrows move the cursor, digits paint its cell.
  const MOVES = { ArrowUp: [-1, 0], ArrowDown: [1, 0], ArrowLeft: [0, -1], ArrowRight: [0, 1] };
  grid.addEventListener('keydown', (event) => {
    if (event.ctrlKey || event.metaKey || event.altKey) return;
    if (MOVES[event.key]) {
      const [down, across] = MOVES[event.key];
      cursor = { row: Math.min(SIZE - 1, Math.max(0, cursor.row + down)),
                 column: Math.min(SIZE - 1, Math.max(0, cursor.column + across)) };
    } else if (/^[0-9]$/.test(event.key)) {
      choose(Number(event.key));
      if (levels[current][cursor.row * SIZE + cursor.column] !== tile) {
        remember();
        paint(cursor.row, cursor.column, tile);
        store();
      }
    } else {
      return;
    }
    event.preventDefault();
    say(`Row ${cursor.row}, column ${cursor.column}: ` +
        NAMES[levels[current][cursor.row * SIZE + cursor.column]]);
    render();
  });
  grid.addEventListener('focus', render);
  grid.addEventListener('blur', render);

  // Undo and redo wherever the focus is while the editor is open (a button just disabled has none).
  addEventListener('keydown', (event) => {
    if (page.hidden) return;
    if ((event.ctrlKey || event.metaKey) && event.key.toLowerCase() === 'z') {
      event.preventDefault();
      event.stopPropagation();
      event.shiftKey ? redo() : undo();
    } else if ((event.ctrlKey || event.metaKey) && event.key.toLowerCase() === 'y') {
      event.preventDefault();
      event.stopPropagation();
      redo();
    }
  }, true);
  // The game's SDL listens on the whole page: the editor's keys are its own.
  for (const type of ['keydown', 'keypress', 'keyup']) {
    page.addEventListener(type, (event) => event.stopPropagation());
  }

  function newLevel() {
    const level = new Array(SIZE * SIZE).fill(SKY);
    for (let column = 0; column < SIZE; column++) level[(SIZE - 1) * SIZE + column] = GROUND;
    level[(SIZE - 2) * SIZE + SIZE - 2] = EGG;
    return level;
  }

  // The set as the game reads it, or null after saying why it cannot be played.
  function checked() {
    const answer = Module.levels.fromCodes(levels);
    if (answer.problem) say(`These levels cannot be played: ${answer.problem}`);
    return !answer.problem;
  }

  const notice = document.getElementById('notice');
  const back = document.createElement('button');
  back.type = 'button';
  back.id = 'back-to-editing';
  back.textContent = 'Back to editing';
  back.hidden = true;
  notice.append(back);
  back.addEventListener('click', () => open({}));
  const gameEnded = Module.onGameEnd;
  Module.onGameEnd = () => {
    gameEnded();
    back.hidden = !playing;
  };
  let playing = false;

  const actions = {
    leave() {
      history.pushState(null, '', location.pathname + location.search);
      leave();
    },
    add() {
      remember();
      levels.splice(current + 1, 0, newLevel());
      current++;
      store();
      render();
    },
    remove() {
      remember();
      levels.splice(current, 1);
      current = Math.min(current, levels.length - 1);
      store();
      render();
    },
    earlier() {
      remember();
      [levels[current - 1], levels[current]] = [levels[current], levels[current - 1]];
      current--;
      store();
      render();
    },
    later() {
      remember();
      [levels[current + 1], levels[current]] = [levels[current], levels[current + 1]];
      current++;
      store();
      render();
    },
    undo,
    redo,
    zoom() {
      const button = page.querySelector('[data-do=zoom]');
      const zoomed = button.getAttribute('aria-pressed') !== 'true';
      button.setAttribute('aria-pressed', String(zoomed));
      page.classList.toggle('zoomed', zoomed);
    },
    play() {
      if (!checked()) return;
      toTheGame();
      Module.levels.play();
    },
    // The set raced against the clock and its best.
    trial() {
      if (!checked()) return;
      toTheGame();
      Module.trial.start(true);
    },
    share() {
      if (!checked()) return;
      shareLink.value = Module.levels.link();
      shareLink.select();
      navigator.clipboard?.writeText(shareLink.value).then(
        () => say('The link is copied: whoever opens it plays these levels.'),
        () => say('Copy the link above: whoever opens it plays these levels.'));
    },
    download() {
      if (!checked()) return;
      const file = document.createElement('a');
      file.href = URL.createObjectURL(new Blob([Module.levels.text()], { type: 'text/plain' }));
      file.download = 'levels.txt';
      file.click();
      setTimeout(() => URL.revokeObjectURL(file.href), 60000);
    },
    open() {
      fileInput.click();
    },
  };
  for (const button of page.querySelectorAll('[data-do]')) {
    button.addEventListener('click', () => actions[button.dataset.do]());
  }
  fileInput.addEventListener('change', async () => {
    const [file] = fileInput.files;
    if (!file) return;
    // The reader reads no more than this, and says so when there is more.
    const bytes = new Uint8Array(await file.slice(0, 64 * 1024 + 1).arrayBuffer());
    fileInput.value = '';
    const answer = Module.levels.fromFile(file.name, bytes);
    if (answer.problem) {
      say(`This file cannot be opened: ${answer.problem}`);
      return;
    }
    replaceSet(answer.levels);
    say(`Opened ${file.name}: ${answer.levels.length} levels.`);
  });

  function toTheGame() {
    playing = true;
    page.hidden = true;
    document.body.classList.remove('editing');
    document.getElementById('play-again').hidden = true;
    back.hidden = true;
    notice.hidden = true;
    Module.canvas.focus({ preventScroll: true });
  }

  function leave() {
    page.hidden = true;
    document.body.classList.remove('editing');
    playing = false;
    back.hidden = true;
    notice.hidden = true;
    Module.levels.builtIn();
    Module.levels.play();
    Module.canvas.focus({ preventScroll: true });
  }

  // Opens the editor on the work kept in the browser, or on options.link's levels (which undo
  // can take back).
  function open(options) {
    if (location.hash !== '#edit') history.pushState(null, '', '#edit');
    Module.pauseMainLoop();
    document.body.classList.add('editing');
    page.hidden = false;
    notice.hidden = true;
    if (options.link) {
      const answer = Module.levels.fromLink(options.link);
      if (answer.levels) replaceSet(answer.levels);
    }
    render();
    grid.focus({ preventScroll: true });
  }

  loadPictures();
  levels = (stored() || { levels: Module.levels.builtIn().levels }).levels;
  current = Math.min((stored() || { current: 0 }).current || 0, levels.length - 1);
  page.classList.toggle('zoomed', false);
  if (matchMedia('(pointer: coarse) and (max-width: 600px)').matches) actions.zoom();
  paintPalette();
  window.levelEditor = { open, leave };
})();
