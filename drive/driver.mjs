// Drives turnfan's page in headless Chromium for the tests: serves the site on
// 127.0.0.1, opens the page, then reads one command a line on stdin and answers
// each with one line on stdout ("ok ...", or "error ...").
//
// usage: node driver.mjs SITE_DIR [--no-webgl] [CHROMIUM_ARGS...]
//   Environment: TURNFAN_CHROMIUM (default /usr/bin/chromium)
//
// Commands (positions are the program's 640x480 pixels, through the canvas as
// the page shows it, and may lie outside it):
//   key NAME down|up      a key as the keyboard sends it (Playwright's names: q, Shift, ShiftRight, Escape)
//   move X Y              the pointer, in one step, then a frame
//   button down|up        the left button where the pointer is
//   click SELECTOR        a click on an element of the page (the touch buttons)
//   touch-drag X0 Y0 X1 Y1 STEPS   one finger across the canvas
//   grab PATH             the canvas once two grabs a frame apart agree, as PNG
//   out, err              the program's standard output, standard error so far, as JSON strings
//   page-text             every line under the canvas, the page's own too, as a JSON string
//   wait-end SECONDS      until the page says the program ended: "ok STATUS"
//   scroll                the page's scroll position, "ok X Y"
//   errors                what the page threw, as JSON
//   open WIDTH HEIGHT RATIO [touch]   a new page: its viewport, device pixel ratio and, with touch, a phone's
//   js EXPRESSION         its value in the page, as JSON
//   offline-reload        once the service worker has the site: the network off, a reload, the program started
//   quit
import { chromium } from 'playwright-core';
import fs from 'node:fs';
import readline from 'node:readline';

import { serve } from './serve.mjs';

const [site, ...rest] = process.argv.slice(2);
const noWebgl = rest[0] === '--no-webgl';
const browserArgs = noWebgl ? ['--disable-webgl', '--disable-3d-apis', ...rest.slice(1)] : rest;
const server = await serve(site);
const browser = await chromium.launch({
  executablePath: process.env.TURNFAN_CHROMIUM || '/usr/bin/chromium',
  args: browserArgs,
});
const errors = [];
let page, canvas;
const started = () => page.waitForFunction(
  () => /initializing display|ended with status/.test(document.getElementById('output').textContent));
async function open(viewport, deviceScaleFactor = 1, phone = false) {
  await page?.context().close();
  const context = await browser.newContext({ viewport, deviceScaleFactor, isMobile: phone, hasTouch: true });
  page = await context.newPage();
  page.on('pageerror', (error) => errors.push(error.message));
  await page.goto(`http://127.0.0.1:${server.address().port}/`);
  canvas = page.locator('#screen');
  await started();
}
await open({ width: 1280, height: 800 });
// A point of the program's window on the page, at whole CSS pixels.
async function at(x, y) {
  const box = await canvas.boundingBox();
  return { x: Math.round(box.x + (x * box.width) / 640), y: Math.round(box.y + (y * box.height) / 480) };
}

const frame = () => page.evaluate(() => new Promise((resolve) => requestAnimationFrame(() => resolve())));

async function grab(file) {
  let last = await canvas.screenshot();
  for (let i = 0; i < 50; ++i) {
    await frame();
    const next = await canvas.screenshot();
    if (next.equals(last)) break;
    last = next;
  }
  fs.writeFileSync(file, last);
}

async function touchDrag(x0, y0, x1, y1, steps) {
  const session = await page.context().newCDPSession(page);
  await session.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [await at(x0, y0)] });
  await frame();
  for (let i = 1; i <= steps; ++i) {
    const x = x0 + Math.trunc(((x1 - x0) * i) / steps);
    const y = y0 + Math.trunc(((y1 - y0) * i) / steps);
    await session.send('Input.dispatchTouchEvent', { type: 'touchMove', touchPoints: [await at(x, y)] });
    await frame();
  }
  await session.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  await frame();
}

async function run(words) {
  const [command, ...args] = words;
  switch (command) {
    case 'key':
      await (args[1] === 'up' ? page.keyboard.up(args[0]) : page.keyboard.down(args[0]));
      await frame();
      return 'ok';
    case 'move': {
      const { x, y } = await at(Number(args[0]), Number(args[1]));
      await page.mouse.move(x, y);
      await frame();
      return 'ok';
    }
    case 'button':
      await (args[0] === 'up' ? page.mouse.up() : page.mouse.down());
      await frame();
      return 'ok';
    case 'click':
      await page.click(args[0]);
      await frame();
      return 'ok';
    case 'touch-drag':
      await touchDrag(...args.map(Number));
      return 'ok';
    case 'grab':
      await grab(args[0]);
      return 'ok';
    case 'out':
    case 'err':
      return 'ok ' + JSON.stringify(await page.evaluate((kind) => Array.from(
        document.querySelectorAll('#output span')).filter((s) => s.className === kind).map((s) => s.textContent)
        .join(''), command === 'out' ? '' : 'err'));
    case 'page-text':
      return 'ok ' + JSON.stringify(await page.locator('#output').innerText());
    case 'wait-end': {
      const ended = await page.waitForFunction(
        () => /ended with status (\d+)/.exec(document.getElementById('output').textContent),
        null, { timeout: Number(args[0]) * 1000 });
      return 'ok ' + (await ended.evaluate((m) => m[1]));
    }
    case 'scroll':
      return 'ok ' + (await page.evaluate(() => `${scrollX} ${scrollY}`));
    case 'errors':
      return 'ok ' + JSON.stringify(errors);
    // The page on other screens, offline, and what it shows.
    case 'open':
      await open({ width: Number(args[0]), height: Number(args[1]) }, Number(args[2]), args[3] === 'touch');
      return 'ok';
    case 'js':
      return 'ok ' + JSON.stringify(await page.evaluate(words.slice(1).join(' ')) ?? null);
    case 'offline-reload':
      await page.evaluate(() => Promise.race([navigator.serviceWorker.ready, new Promise((r) => setTimeout(r, 30000))])
        .then(() => true));
      await page.context().setOffline(true);
      await page.reload();
      await started();
      return 'ok';
    default:
      return `error unknown command ${command}`;
  }
}

console.log('ok ready');
const lines = readline.createInterface({ input: process.stdin });
for await (const line of lines) {
  const words = line.trim().split(/\s+/);
  if (words[0] === 'quit') break;
  try {
    console.log(await run(words));
  } catch (error) {
    console.log('error ' + String(error.message).split('\n')[0]);
  }
}
await browser.close();
server.close();
process.exit(0); // standard input may still be open
