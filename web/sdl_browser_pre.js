// Ahead of emscripten's script (--pre-js): what the page needs of it, through the
// page's Module and the DOM only.
(function() {
  // The GL emulation announces itself on standard error as the script loads and
  // as the mode is set (web/sdl_browser.cpp keeps it quiet there); the page shows
  // what the program prints, and only that.
  var printErr = Module['printErr'] || console.error.bind(console);
  Module['sdlBrowserQuiet'] = true;
  Module['printErr'] = function(text) {
    if (!Module['sdlBrowserQuiet']) printErr(text);
  };
  Promise.resolve().then(function() {
    Module['sdlBrowserQuiet'] = false;
  });

  // A desktop's SDL keeps reporting a drag that leaves the window, at positions
  // held to the window's edges. The page captures the pointer, so the canvas
  // still gets the drag's mouse events from beyond its edges; SDL gets each of
  // them as a copy at the nearest point of the canvas.
  function holdToCanvas(event) {
    var canvas = Module['canvas'];
    if (event.target !== canvas || !event.isTrusted) return;
    var rect = canvas.getBoundingClientRect();
    // Half a canvas pixel inside the far edges, as SDL rounds down.
    var x = Math.min(Math.max(event.clientX, rect.left), rect.right - rect.width / canvas.width / 2);
    var y = Math.min(Math.max(event.clientY, rect.top), rect.bottom - rect.height / canvas.height / 2);
    if (x === event.clientX && y === event.clientY) return;
    event.stopImmediatePropagation();
    canvas.dispatchEvent(new MouseEvent(event.type, {
      bubbles: true, cancelable: true, view: window, detail: event.detail,
      screenX: event.screenX + x - event.clientX, screenY: event.screenY + y - event.clientY,
      clientX: x, clientY: y, button: event.button, buttons: event.buttons,
      ctrlKey: event.ctrlKey, shiftKey: event.shiftKey, altKey: event.altKey, metaKey: event.metaKey,
    }));
  }
  ['mousedown', 'mousemove', 'mouseup'].forEach(function(type) {
    window.addEventListener(type, holdToCanvas, true);
  });
})();
