// Time trials in the page: the timer and the ghost are the game's (src/world/run.cpp); the page
// hands it the run to race, the best it keeps in the browser for each level set or the run a link
// carries, and shows the time, the splits and the run's link at the end. Times come from the game
// playing the runs, never from the storage or a link. Emscripten puts this before the game's
// script, in the same scope as its memory.
(() => {
  const BEST = 'eggquest.best.';  // + the level set's id: the best run's key script
  const RUN = '&run=';
  const $ = (id) => document.getElementById(id);

  const text = () => Module.levels.output();
  const time = (frames) => {
    Module._giveTime(frames);
    return text();
  };
  // The best's name: the set's id, and the game speed when slower, each speed's best apart.
  const setId = (pageSet) => {
    Module._giveLevelSetId(pageSet ? 1 : 0);
    const speed = Module.settings.bindings().speed;
    return text() + (speed === 100 ? '' : `-${speed}`);
  };
  const atSpeed = () => {
    const speed = Module.settings.bindings().speed;
    return speed === 100 ? '' : ` at ${speed} %`;
  };
  function stored(key) {
    try {
      return localStorage.getItem(key);
    } catch (e) {  // storage turned off: no bests
      return null;
    }
  }
  function store(key, value) {
    try {
      localStorage.setItem(key, value);
    } catch (e) {  // full or turned off: the run is not kept, the game goes on
    }
  }

  // The best kept for the set, handed to the game as the ghost; its frames, or 0. One the game
  // does not take (made with other rules, damaged) is set aside, to be replaced by the next.
  function raceBest(pageSet) {
    const key = BEST + setId(pageSet);
    const best = stored(key);
    if (!best) return 0;
    Module.levels.putText(best);
    const frames = Module._takeGhostScript(pageSet ? 1 : 0);
    if (!frames) {
      store(key + '.set-aside', best);
      try {
        localStorage.removeItem(key);
      } catch (e) {
      }
    }
    return frames;
  }

  let bestBefore = 0;  // the frames of the best when the trial began, 0 for none
  let linkRun = false;  // racing a link's run

  Module.trial = {
    // A time trial of the page's set (pageSet) or of the set being played, against its best.
    start: (pageSet) => {
      linkRun = false;
      bestBefore = raceBest(pageSet);
      if (!bestBefore) Module._dropGhost();
      $('time-to-beat').hidden = true;
      Module._playTimeTrial(pageSet ? 1 : 0);
    },
    // At start-up: the address's run put where the game reads it; its length, or -1 for none.
    putRunFromAddress: () => {
      const at = location.hash.indexOf(RUN);
      if (at < 0) return -1;
      const run = location.hash.slice(at + RUN.length).split('&')[0];
      Module.levels.putText(run);
      return run.length;
    },
    // The game races the link's run, which takes this many frames.
    racing: (frames) => {
      linkRun = true;
      // The player's own best of the set, to tell a personal best at the end. Handing it over
      // leaves the link's run the ghost of this trial, which has begun.
      const best = stored(BEST + setId(false));
      bestBefore = 0;
      if (best) {
        Module.levels.putText(best);
        bestBefore = Module._takeGhostScript(0);
      }
      const beat = $('time-to-beat');
      beat.textContent = `Time to beat: ${time(frames)} s`;
      beat.hidden = false;
    },
    runRefused: () => {
      const beat = $('time-to-beat');
      beat.textContent = `This run cannot be raced: ${text()}. The levels are played without it.`;
      beat.hidden = false;
    },
    // At the end of a game: the trial's result, with the run kept when it is the best; null when
    // no trial reached the last egg.
    ended: () => {
      const frames = Module._giveTrialResult();
      if (!frames) return null;
      const splits = text().split(' ').map(Number);
      const personalBest = !bestBefore || frames < bestBefore;
      if (personalBest) {
        const key = BEST + setId(false);
        Module._giveRunScript();
        store(key, text());
        bestBefore = frames;
      }
      return {
        frames,
        line: `time ${time(frames)} s (${frames} frames)${atSpeed()}` +
          (personalBest ? ', a personal best' : ''),
        splits: splits.map((split, level) => `Level ${level + 1}: ${time(split)} s`),
        linkRun,
      };
    },
    // The finished run's link: this page's address with the levels and the run in its fragment.
    link: () => {
      Module._giveRunLink();
      return location.href.split('#')[0] + '#' + text();
    },
  };
})();
