// JavaScript functions the game links against (--js-library).
mergeInto(LibraryManager.library, {
  trakmor_frames: function () {
    return Module.trakmor.frames;
  },
});
