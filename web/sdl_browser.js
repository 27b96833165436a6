// What web/sdl_browser.cpp asks of the browser, linked with --js-library. Own
// names only: emscripten's entries stay as each release has them.
mergeInto(LibraryManager.library, {
  // The canvas: its size, and its pixels as the page keeps them (bytes a pixel of its image data).
  sdl_browser_canvas_format: function(bytes, width, height) {
    {{{ makeSetValue('bytes', '0', 'new ImageData(1, 1).data.length', 'i32') }}};
    {{{ makeSetValue('width', '0', 'Module["canvas"].width', 'i32') }}};
    {{{ makeSetValue('height', '0', 'Module["canvas"].height', 'i32') }}};
  },

  // A dense screen: the canvas's backing store at device pixels, (width r) by
  // (height r) for the device pixel ratio r, at most 3, while the program keeps
  // its window of width by height pixels (web/sdl_browser_pre.js maps the
  // pointer to them). Returns the device pixels a window pixel.
  sdl_browser_device_pixels: function(width, height) {
    var canvas = Module['canvas'];
    var ratio = Math.min(Math.max(window.devicePixelRatio || 1, 1), 3);
    Module['sdlBrowserWindow'] = {width: width, height: height};
    canvas.width = Math.round(width * ratio);
    canvas.height = Math.round(height * ratio);
    return canvas.width / width;
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
