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

  // The pointer as the program sees it: in its window's pixels, wherever the
  // canvas lies and at whatever size the page shows it, held to the window's
  // edges (a desktop's SDL keeps reporting a drag that leaves the window there;
  // the page captures the pointer, so the canvas still gets the drag). SDL
  // scales a position by the canvas's backing store, which on a dense screen
  // holds more pixels than the window, and reads a finger's position as if the
  // page were not scrolled; so where it would get the position wrong, SDL gets a
  // copy of the event at the middle of the backing-store pixel that stands for
  // the window pixel under the pointer.
  function programPoint(clientX, clientY) {
    var canvas = Module['canvas'];
    var rect = canvas.getBoundingClientRect();
    var size = Module['sdlBrowserWindow'] || {width: canvas.width, height: canvas.height};
    function place(client, start, extent, pixels, stored) {
      var pixel = Math.min(Math.max(Math.floor((client - start) * pixels / extent), 0), pixels - 1);
      return start + (pixel + 0.5) * extent / stored;
    }
    var x = place(clientX, rect.left, rect.width, size.width, canvas.width);
    var y = place(clientY, rect.top, rect.height, size.height, canvas.height);
    var exact = size.width === canvas.width && size.height === canvas.height &&
        clientX >= rect.left && clientX < rect.right && clientY >= rect.top && clientY < rect.bottom;
    return {x: x, y: y, exact: exact};
  }
  function copyMouse(event) {
    var canvas = Module['canvas'];
    if (event.target !== canvas || !event.isTrusted) return;
    var p = programPoint(event.clientX, event.clientY);
    if (p.exact) return;
    event.stopImmediatePropagation();
    var copy = new MouseEvent(event.type, {
      bubbles: true, cancelable: true, view: window, detail: event.detail,
      screenX: event.screenX + p.x - event.clientX, screenY: event.screenY + p.y - event.clientY,
      clientX: p.x, clientY: p.y, button: event.button, buttons: event.buttons,
      ctrlKey: event.ctrlKey, shiftKey: event.shiftKey, altKey: event.altKey, metaKey: event.metaKey,
    });
    // To the fraction: a made-up mouse event's position comes out in whole CSS pixels.
    var at = {clientX: p.x, clientY: p.y, pageX: p.x + scrollX, pageY: p.y + scrollY};
    Object.keys(at).forEach(function(name) {
      Object.defineProperty(copy, name, {value: at[name]});
    });
    canvas.dispatchEvent(copy);
  }
  function copyTouch(event) {
    var canvas = Module['canvas'];
    if (event.target !== canvas || !event.isTrusted) return;
    event.stopImmediatePropagation();
    event.preventDefault(); // no mouse events made up after it
    function copies(list) {
      return Array.prototype.map.call(list, function(touch) {
        var p = programPoint(touch.clientX, touch.clientY);
        return new Touch({identifier: touch.identifier, target: canvas,
                          clientX: p.x + scrollX, clientY: p.y + scrollY, pageX: p.x + scrollX, pageY: p.y + scrollY});
      });
    }
    canvas.dispatchEvent(new TouchEvent(event.type, {
      bubbles: true, cancelable: true, touches: copies(event.touches),
      targetTouches: copies(event.targetTouches), changedTouches: copies(event.changedTouches),
    }));
  }
  ['mousedown', 'mousemove', 'mouseup'].forEach(function(type) {
    window.addEventListener(type, copyMouse, true);
  });
  ['touchstart', 'touchmove', 'touchend', 'touchcancel'].forEach(function(type) {
    window.addEventListener(type, copyTouch, {capture: true, passive: false});
  });
})();
