// The page around the program (web/index.html): its keys and touch buttons, its
// output, the readout, a lost WebGL context, and the service worker that keeps
// the site for offline use (sw.js).
"use strict";
(function () {
  var canvas = document.getElementById("screen");
  var output = document.getElementById("output");
  var readout = document.getElementById("readout");

  function line(text, kind) {
    var span = document.createElement("span");
    span.textContent = text + "\n";
    if (kind) span.className = kind;
    output.appendChild(span);
  }

  // The program's end, or the canvas's: a line that says so, and a way to start again.
  var over = false;
  function stop(text) {
    if (over) return;
    over = true;
    line(text, "end");
    var again = document.createElement("button");
    again.textContent = "Start again";
    again.setAttribute("aria-label", "Start again (reloads the page)");
    again.addEventListener("click", function () { location.reload(); });
    output.appendChild(again);
  }

  // The keys the program knows, by the keyCode the browser's SDL reads.
  var KEY_CODES = { Escape: 27, Shift: 16, Control: 17, q: 81, e: 69, w: 87, s: 83, a: 65, d: 68, m: 77, r: 82 };
  function programKey(event) {
    var key = event.key.length === 1 ? event.key.toLowerCase() : event.key;
    return Object.prototype.hasOwnProperty.call(KEY_CODES, key);
  }
  // Ahead of SDL: a held key steps once, as on a desktop, so the browser's
  // repeats stop here; other keys keep their browser meaning, and SDL, which
  // would cancel it, never sees them.
  function filterKey(event) {
    if (!programKey(event)) {
      event.stopImmediatePropagation();
    } else if (event.repeat) {
      event.preventDefault();
      event.stopImmediatePropagation();
    }
  }
  window.addEventListener("keydown", filterKey, true);
  window.addEventListener("keyup", filterKey, true);
  window.addEventListener("keypress", filterKey, true);

  // A drag that leaves the canvas goes on until the button is released.
  canvas.addEventListener("pointerdown", function (event) {
    canvas.setPointerCapture(event.pointerId);
  });
  canvas.addEventListener("contextmenu", function (event) { event.preventDefault(); });

  // Touch: the buttons send the events a keyboard would.
  function sendKey(type, name) {
    var event = new KeyboardEvent(type, { key: name, bubbles: true, cancelable: true,
                                          location: name.length > 1 ? 1 : 0 });
    Object.defineProperty(event, "keyCode", { value: KEY_CODES[name] });
    Object.defineProperty(event, "which", { value: KEY_CODES[name] });
    document.dispatchEvent(event);
  }
  var held = null; // the modifier button held for the next drag
  function release() {
    if (!held) return;
    sendKey("keyup", held.dataset.hold);
    held.setAttribute("aria-pressed", "false");
    held = null;
  }
  Array.prototype.forEach.call(document.querySelectorAll("#touch button"), function (button) {
    button.addEventListener("click", function () {
      if (button.dataset.key) {
        sendKey("keydown", button.dataset.key);
        sendKey("keyup", button.dataset.key);
        return;
      }
      var again = held === button;
      release();
      if (again) return;
      held = button;
      button.setAttribute("aria-pressed", "true");
      sendKey("keydown", button.dataset.hold);
    });
  });
  // After the drag the modifier was held for; the program sees the release first.
  ["pointerup", "pointercancel"].forEach(function (type) {
    canvas.addEventListener(type, function () { setTimeout(release, 0); });
  });

  // The readout: the program's own view state (web/readout.cpp), looked at ten
  // times a second and shown as it changes, at most twice a second, so that it
  // is announced politely and not at every frame of a drag.
  function number(value, digits) {
    return (Math.abs(value) < 0.5 * Math.pow(10, -digits) ? 0 : value).toFixed(digits);
  }
  function readoutText(v) {
    return "Angles: x " + number(v[0], 0) + "°, y " + number(v[1], 0) + "°, z " + number(v[2], 0) + "°\n" +
      "Method: " + (v[3] ? "quaternion product (yellow)" : "chain of rotations (white)") + "\n" +
      "Trackball: x " + number(v[4], 3) + ", y " + number(v[5], 3) + ", z " + number(v[6], 3) +
      ", w " + number(v[7], 3);
  }
  var state = [], shownAt = -1e9, watching = 0;
  function watch() {
    var now = performance.now();
    if (over) clearInterval(watching);
    if (over || now - shownAt < 500) return;
    var changed = false;
    for (var i = 0; i < 8; ++i) {
      var value = Module._turnfan_readout(i);
      changed = changed || value !== state[i];
      state[i] = value;
    }
    if (changed) {
      readout.textContent = readoutText(state);
      shownAt = now;
    }
  }

  // Phones take WebGL away from pages in the background; the picture does not come back.
  canvas.addEventListener("webglcontextlost", function () {
    stop("The browser took the canvas's WebGL context away, as it may do when the page is in the background; " +
         "the picture cannot come back without a new start.");
  });

  window.Module = {
    canvas: canvas,
    print: function (text) { line(text); },
    printErr: function (text) { line(text, "err"); },
    onRuntimeInitialized: function () { watching = setInterval(watch, 100); },
    onExit: function (status) { stop("turnfan ended with status " + status + "."); },
  };

  // After one visit the site opens without the network. A new build waits until
  // the pages of the old one are closed, or until the reader takes it now.
  if ("serviceWorker" in navigator) {
    navigator.serviceWorker.register("sw.js").then(function (registration) {
      function offer(worker) {
        if (!navigator.serviceWorker.controller || document.getElementById("update")) return;
        var update = document.createElement("button");
        update.id = "update";
        update.textContent = "A new version of this page is ready: load it";
        update.addEventListener("click", function () { worker.postMessage("activate"); });
        output.parentNode.insertBefore(update, output);
      }
      if (registration.waiting) offer(registration.waiting);
      registration.addEventListener("updatefound", function () {
        var worker = registration.installing;
        worker.addEventListener("statechange", function () {
          if (worker.state === "installed") offer(worker);
        });
      });
    }, function () {});
    var controlled = !!navigator.serviceWorker.controller;
    navigator.serviceWorker.addEventListener("controllerchange", function () {
      if (controlled) location.reload(); // the reader took the new version
      controlled = true;
    });
  }
})();
