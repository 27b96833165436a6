// What web/sdl_browser.cpp asks of the browser, linked with --js-library. Own
// names only: emscripten's entries stay as each release has them.
mergeInto(LibraryManager.library, {
  // The canvas: its size, and its pixels as the page keeps them (bytes a pixel of its image data).
  sdl_browser_canvas_format: function(bytes, width, height) {
    {{{ makeSetValue('bytes', '0', 'new ImageData(1, 1).data.length', 'i32') }}};
    {{{ makeSetValue('width', '0', 'Module["canvas"].width', 'i32') }}};
    {{{ makeSetValue('height', '0', 'Module["canvas"].height', 'i32') }}};
  },

  // Whether the page leaves out what emscripten says on standard error (web/sdl_browser_pre.js).
  sdl_browser_quiet: function(quiet) {
    Module['sdlBrowserQuiet'] = !!quiet;
  },

  // Until the browser's next frame, as an asynchronous import (ASYNCIFY_IMPORTS):
  // the program resumes as a callback of the page, where its exit is handled.
  sdl_browser_next_frame__deps: ['$callUserCallback'],
  sdl_browser_next_frame: function() {
    Asyncify.handleSleep(function(wakeUp) {
      requestAnimationFrame(function() {
        callUserCallback(wakeUp);
      });
    });
  },
});
