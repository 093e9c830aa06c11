// The page around the game's canvas: whole-number scaling, fullscreen, the end.
(function () {
  var canvas = document.getElementById('canvas');
  var stage = document.getElementById('stage');
  var status = document.getElementById('status');

  // The largest whole-number scale that fits, so every pixel stays square and sharp.
  function fit() {
    var scale = Math.max(1, Math.floor(Math.min(stage.clientWidth / 640, stage.clientHeight / 480)));
    canvas.style.width = 640 * scale + 'px';
    canvas.style.height = 480 * scale + 'px';
  }
  window.addEventListener('resize', fit);
  document.addEventListener('fullscreenchange', fit);
  fit();

  document.getElementById('fullscreen').addEventListener('click', function (e) {
    e.currentTarget.blur();  // Space and Enter belong to the game, not to this button
    if (document.fullscreenElement) document.exitFullscreen();
    else if (stage.requestFullscreen) stage.requestFullscreen().catch(function () {});
  });
  document.getElementById('again').addEventListener('click', function () { location.reload(); });

  window.Module = {
    canvas: canvas,
    print: function (text) { console.log(text); },
    printErr: function (text) { console.warn(text); },
    onRuntimeInitialized: function () {
      performance.mark('trakmor-runtime-ready');
      status.textContent = 'Q/A gear, K/L steer, Esc menu';
    },
    onGameEnded: function (code, message) {
      document.getElementById('stage').style.display = 'none';
      document.getElementById('bar').style.display = 'none';
      document.getElementById('reason').textContent = message || '';
      document.getElementById('ended').style.display = 'flex';
      if (document.fullscreenElement) document.exitFullscreen();
    },
  };
})();
