// Runs inside game.js before the game starts: the waits that give the browser
// the time, the display refresh count, and the settings kept in IndexedDB.
Module.trakmor = (function () {
  var SAVE_DIR = '/trakmor';
  var SETTINGS = SAVE_DIR + '/Trakmor_B.spd';

  // A posted message comes back after the browser's pending tasks, with none
  // of the 4 ms clamp that chained timers get.
  var channel = new MessageChannel();
  var turns = [];
  channel.port1.onmessage = function () {
    var due = turns;
    turns = [];
    for (var i = 0; i < due.length; i++) due[i]();
  };
  function turn() {
    return new Promise(function (resolve) {
      turns.push(resolve);
      channel.port2.postMessage(0);
    });
  }

  // A timed wait that the player's input ends early, so keys are never held back.
  var wake = null;
  function sleep(us) {
    return new Promise(function (resolve) {
      var timer = 0;
      function done() {
        if (wake === done) wake = null;
        clearTimeout(timer);
        resolve();
      }
      wake = done;
      // Started from a message task: a timer set there is not clamped.
      turn().then(function () {
        if (wake === done) timer = setTimeout(done, Math.max(1, Math.floor(us / 1000) - 1));
      });
    });
  }
  function onInput() {
    // After SDL's own listeners have queued the event.
    if (wake) turn().then(wake);
  }
  ['keydown', 'keyup', 'mousedown', 'mouseup'].forEach(function (type) {
    window.addEventListener(type, onInput, true);
  });

  // The settings file is written by Save; whenever it changes it is copied to
  // IndexedDB, so that it outlives the page.
  var stamp = '';
  var syncing = false;
  function settingsStamp() {
    try {
      var s = FS.stat(SETTINGS);
      return s.ino + ':' + s.mtime.getTime() + ':' + s.size;
    } catch (e) {
      return '';
    }
  }
  function persistIfChanged() {
    if (syncing) return;
    var now = settingsStamp();
    if (now === stamp) return;
    syncing = true;
    FS.syncfs(false, function (err) {
      syncing = false;
      if (err) return;  // no persistent storage here: the setting lasts as long as the page
      stamp = now;
      if (Module.onSettingsSaved) Module.onSettingsSaved();
      // No frame comes after the end to see a change made meanwhile.
      if (api.over) persistIfChanged();
    });
  }

  var api = {
    frames: 0,
    shown: 0,     // whole pictures put into the canvas
    over: false,  // the game has ended
    turn: turn,
    sleep: sleep,
    ended: function (status, message) {
      // The page's frame loop ends with the game, once the setting is safe.
      api.over = true;
      persistIfChanged();
      if (Module.onGameEnded) Module.onGameEnded(status, message);
    },
  };
  function onFrame() {
    if (api.over) return;
    api.frames++;
    persistIfChanged();
    requestAnimationFrame(onFrame);
  }
  requestAnimationFrame(onFrame);

  Module.preRun = Module.preRun || [];
  Module.preRun.push(function () {
    FS.mkdir(SAVE_DIR);
    FS.mount(IDBFS, {}, SAVE_DIR);
    FS.chdir(SAVE_DIR);
    addRunDependency('trakmor-settings');
    FS.syncfs(true, function () {
      // Without IndexedDB the game starts with its default speed.
      stamp = settingsStamp();
      removeRunDependency('trakmor-settings');
    });
  });
  return api;
})();
