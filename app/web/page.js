// The page around the game's canvas: scaling to fill the page, fullscreen
// with the Escape key kept for the game, the end.
(function () {
  var canvas = document.getElementById('canvas');
  var view = document.getElementById('view');
  var stage = document.getElementById('stage');
  var status = document.getElementById('status');
  var smooth = false;

  // Whole-number scales keep every pixel square and sharp. Where the largest
  // that fits leaves much of the page empty (less than 90 % of the width or
  // height that could be filled), the picture is enlarged by the next whole
  // number, sharp, and that is scaled down to fit in one smooth step, as
  // emulators do: large, and still crisp.
  function layout(width, height, ratio) {
    var fit = Math.min(width / 640, height / 480) * ratio;  // in device pixels
    var whole = Math.floor(fit);
    if (whole >= 1 && whole >= 0.9 * fit) return { scale: whole / ratio, sharpen: 0 };
    return { scale: fit / ratio, sharpen: Math.max(1, Math.ceil(fit)) };
  }

  // The enlargement is drawn by a worker where the browser lets one draw into
  // the page (OffscreenCanvas): a browser that draws without a GPU would
  // otherwise spend a millisecond or two of the game's own thread on it at
  // every new picture. Elsewhere the page draws it itself.
  var worker = null;
  var viewContext = null;
  var inFlight = false;
  function draw(c, x) {
    onmessage = function (e) {
      var m = e.data;
      if (m.canvas) {
        c = m.canvas;
        x = c.getContext('2d', { alpha: false });
      }
      if (m.size) {
        c.width = m.size[0];
        c.height = m.size[1];
      }
      if (m.picture) {
        x.imageSmoothingEnabled = false;
        x.drawImage(m.picture, 0, 0, c.width, c.height);
        m.picture.close();
        postMessage('drawn');
      }
    };
  }
  try {
    if (view.transferControlToOffscreen && window.Worker && window.createImageBitmap) {
      var url = URL.createObjectURL(new Blob(['(' + draw + ')()'], { type: 'text/javascript' }));
      worker = new Worker(url);
      worker.onmessage = function () { inFlight = false; };
      var offscreen = view.transferControlToOffscreen();
      worker.postMessage({ canvas: offscreen }, [offscreen]);
    }
  } catch (e) {
    worker = null;
  }
  if (!worker) viewContext = view.getContext('2d', { alpha: false });

  function fit() {
    var ratio = window.devicePixelRatio || 1;
    var l = layout(stage.clientWidth, stage.clientHeight, ratio);
    var w = Math.max(1, Math.round(640 * l.scale * ratio)) / ratio + 'px';
    var h = Math.max(1, Math.round(480 * l.scale * ratio)) / ratio + 'px';
    canvas.style.width = view.style.width = w;
    canvas.style.height = view.style.height = h;
    smooth = l.sharpen > 0;
    var size = [640 * (l.sharpen || 1), 480 * (l.sharpen || 1)];
    if (smooth && view.dataset.size !== String(size)) {
      view.dataset.size = String(size);  // the enlargement's own pixels
      if (worker) worker.postMessage({ size: size });
      else {
        view.width = size[0];
        view.height = size[1];
      }
    }
    view.style.display = smooth ? 'block' : 'none';
    sharpened = -1;
  }
  // The enlargement, redrawn only when the game has shown a new picture. The
  // game's own canvas stays beneath it, where it takes the clicks.
  function sharpen() {
    if (!worker) {
      viewContext.imageSmoothingEnabled = false;
      viewContext.drawImage(canvas, 0, 0, view.width, view.height);
      return true;
    }
    if (inFlight) return false;  // taken at a later frame
    inFlight = true;
    createImageBitmap(canvas).then(function (picture) {
      worker.postMessage({ picture: picture }, [picture]);
    }, function () { inFlight = false; });
    return true;
  }
  var sharpened = -1;
  function onFrame() {
    var t = window.Module && Module.trakmor;
    if (t && t.over) return;
    if (smooth && t && t.shown !== sharpened && sharpen()) sharpened = t.shown;
    requestAnimationFrame(onFrame);
  }
  requestAnimationFrame(onFrame);
  window.addEventListener('resize', fit);
  fit();

  // In fullscreen the Escape key belongs to the game where the browser lets a
  // page keep it (Keyboard Lock); the page's own button and F11 leave.
  // Elsewhere the browser's Escape leaves fullscreen and the next one reaches
  // the game.
  var keyboard = navigator.keyboard;
  function enterFullscreen() {
    if (!stage.requestFullscreen || document.fullscreenElement) return;
    stage.requestFullscreen().then(function () {
      if (keyboard && keyboard.lock) return keyboard.lock(['Escape']);
    }).catch(function () {});
  }
  function leaveFullscreen() {
    if (document.fullscreenElement) document.exitFullscreen().catch(function () {});
  }
  function toggleFullscreen() {
    if (document.fullscreenElement) leaveFullscreen();
    else enterFullscreen();
  }
  document.addEventListener('fullscreenchange', function () {
    if (!document.fullscreenElement && keyboard && keyboard.unlock) keyboard.unlock();
    fit();
  });
  function button(id, action) {
    document.getElementById(id).addEventListener('click', function (e) {
      e.currentTarget.blur();  // Space and Enter belong to the game, not to this button
      action();
    });
  }
  button('fullscreen', enterFullscreen);
  button('leave', leaveFullscreen);
  document.getElementById('again').addEventListener('click', function () { location.reload(); });

  window.Module = {
    canvas: canvas,
    print: function (text) { console.log(text); },
    printErr: function (text) { console.warn(text); },
    // The game's F11 and Alt+Enter.
    toggleFullscreen: toggleFullscreen,
    onRuntimeInitialized: function () {
      performance.mark('trakmor-runtime-ready');
      status.textContent = 'Q/A gear, K/L steer, Esc menu, F11 fullscreen';
    },
    onGameEnded: function (code, message) {
      stage.style.display = 'none';
      document.getElementById('bar').style.display = 'none';
      // A quit needs no reason; a failure says what it was.
      var reason = document.getElementById('reason');
      reason.textContent = message || (code ? 'The game stopped with status ' + code + '.' : '');
      reason.style.display = reason.textContent ? '' : 'none';
      document.getElementById('ended').style.display = 'flex';
      leaveFullscreen();
    },
  };
})();
