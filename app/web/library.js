// JavaScript functions the game links against (--js-library). Their __deps pull
// in the runtime helpers that SDL's browser audio calls from its own JavaScript.
mergeInto(LibraryManager.library, {
  trakmor_frames__deps: ['$autoResumeAudioContext', '$dynCall'],
  trakmor_frames: function () {
    return Module.trakmor.frames;
  },
});
