// The browser's SDL 1.2 where turnfan needs it to act as on a desktop. Linked
// with --js-library, after emscripten's own, so these entries replace its ones.

// Kept under other names: the replacements below call them.
var sdlBrowserSetVideoMode = LibraryManager.library.SDL_SetVideoMode;
var sdlBrowserInit = LibraryManager.library.SDL_Init;

mergeInto(LibraryManager.library, {
  // Runs f with the platform's own notes on standard error silenced: the GL
  // emulation announces itself on it, and the page shows what the program prints.
  $sdlBrowserQuietly: function(f) {
    var errBefore = err;
    err = function() {};
    try {
      return f();
    } finally {
      err = errBefore;
    }
  },
  // The emulation's set-up at load, as emscripten does it, but quietly; the rest
  // of it comes with the mode set.
  $GLImmediate__deps: LibraryManager.library.$GLImmediate__deps.concat(['$sdlBrowserQuietly']),
  $GLImmediate__postset: 'sdlBrowserQuietly(function() { GLImmediate.setupFuncs(); }); ' +
    'Browser.moduleContextCreatedCallbacks.push(function() { GLImmediate.init(); });',

  $sdlSetVideoModeAnyContext: sdlBrowserSetVideoMode,
  $sdlSetVideoModeAnyContext__deps: LibraryManager.library.SDL_SetVideoMode__deps,
  // Without WebGL emscripten's SDL still hands out a surface, and the first GL
  // call throws; a desktop's SDL fails the mode set and says why.
  SDL_SetVideoMode__deps: ['$sdlSetVideoModeAnyContext', '$SDL', '$sdlBrowserQuietly'],
  SDL_SetVideoMode: function(width, height, depth, flags) {
    var surface = sdlBrowserQuietly(function() {
      return sdlSetVideoModeAnyContext(width, height, depth, flags);
    });
    if ((flags & 0x04000000 /* SDL_OPENGL */) && !Module.ctx) {
      SDL.errorMessage = allocateUTF8('this browser gives the page no WebGL context');
      return 0;
    }
    return surface;
  },

  $sdlInitBare: sdlBrowserInit,
  $sdlInitBare__deps: LibraryManager.library.SDL_Init__deps,
  // A desktop's SDL keeps reporting a drag that leaves the window, at positions
  // held to the window's edges; the page captures the pointer, and this holds
  // the positions as SDL does.
  SDL_Init__deps: ['$sdlInitBare', '$Browser'],
  SDL_Init: function(flags) {
    var result = sdlInitBare(flags);
    var calculate = Browser.calculateMouseEvent;
    Browser.calculateMouseEvent = function(event) {
      calculate(event);
      var canvas = Module['canvas'];
      Browser.mouseX = Math.min(Math.max(Browser.mouseX, 0), canvas.width - 1);
      Browser.mouseY = Math.min(Math.max(Browser.mouseY, 0), canvas.height - 1);
    };
    return result;
  },

  // Nothing to shut down in the page, and nothing to say about it on standard output.
  SDL_Quit: function() {},

  // The buffer swap gives the browser its turn: it shows the frame and delivers
  // input only between turns of the program's endless loop.
  SDL_GL_SwapBuffers__deps: ['$Asyncify', '$callUserCallback'],
  SDL_GL_SwapBuffers: function() {
    Asyncify.handleSleep(function(wakeUp) {
      requestAnimationFrame(function() {
        callUserCallback(wakeUp);
      });
    });
  },

  // The canvas: its size, and its pixels as the page keeps them (bytes a pixel of its image data).
  sdl_browser_canvas_format: function(bytes, width, height) {
    {{{ makeSetValue('bytes', '0', 'new ImageData(1, 1).data.length', 'i32') }}};
    {{{ makeSetValue('width', '0', 'Module["canvas"].width', 'i32') }}};
    {{{ makeSetValue('height', '0', 'Module["canvas"].height', 'i32') }}};
  },
});
