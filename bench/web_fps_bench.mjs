// Frames a second of turnfan's page in headless Chromium with the frame limit
// off, against a bare WebGL clear loop in the same browser: the page as it
// stands and with only its canvas showing, and the bare loop drawing one line
// and 60 lines by hand (bench/web_loop.html). Interleaved rounds; medians, and
// the medians of the per-cycle ratios to the bare loop.
//
// usage: node bench/web_fps_bench.mjs SITE_DIR [--cycles N] [--seconds S]
//   Needs playwright-core in drive/node_modules (npm ci there).
//   Environment: TURNFAN_CHROMIUM (default /usr/bin/chromium)
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { parseArgs } from 'node:util';

import { serve } from '../drive/serve.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const { chromium } = createRequire(path.join(here, '../drive/package.json'))('playwright-core');

const { positionals: [site], values } = parseArgs({ allowPositionals: true,
  options: { cycles: { type: 'string', default: '7' }, seconds: { type: 'string', default: '2' } } });
const cycles = Number(values.cycles), seconds = Number(values.seconds);
if (!site || !fs.existsSync(path.join(site, 'index.html'))) {
  console.error(`web_fps_bench: no site at ${site} (scripts/build-web makes it)`);
  process.exit(1);
}

const siteServer = await serve(site);
const benchServer = await serve(here);
const at = (server, file) => `http://127.0.0.1:${server.address().port}/${file}`;
const started = () => /initializing display/.test(document.body.textContent);
const ROWS = [ // the bare loop first: the others are measured against it
  { name: 'bare loop', url: at(benchServer, 'web_loop.html') },
  { name: 'turnfan', url: at(siteServer, ''), ready: started },
  { name: 'turnfan, canvas only', url: at(siteServer, ''), ready: started,
    style: 'h1, section, #readout, #touch, #output { display: none }' },
  { name: 'one line', url: at(benchServer, 'web_loop.html?lines=1') },
  { name: '60 lines', url: at(benchServer, 'web_loop.html?lines=60') },
];

const browser = await chromium.launch({
  executablePath: process.env.TURNFAN_CHROMIUM || '/usr/bin/chromium',
  args: ['--disable-gpu-vsync', '--disable-frame-rate-limit'],
});
const page = await browser.newPage({ viewport: { width: 1280, height: 800 } });

// Animation frames a second over the round: the page draws one frame in each.
function rate(ms) {
  return page.evaluate((ms) => new Promise((resolve) => {
    let frames = 0;
    const start = performance.now();
    function count(now) {
      ++frames;
      if (now - start < ms) requestAnimationFrame(count);
      else resolve((frames * 1000) / (now - start));
    }
    requestAnimationFrame(count);
  }), ms);
}

const median = (values) => {
  const v = [...values].sort((a, b) => a - b);
  return v.length % 2 ? v[(v.length - 1) / 2] : (v[v.length / 2 - 1] + v[v.length / 2]) / 2;
};
const fps = ROWS.map(() => []), ratios = ROWS.map(() => []);
for (let c = 0; c < cycles; ++c) {
  for (const [i, row] of ROWS.entries()) {
    await page.goto(row.url);
    await page.waitForFunction(row.ready || (() => true));
    if (row.style) await page.addStyleTag({ content: row.style });
    await rate(300); // warm-up
    fps[i].push(await rate(seconds * 1000));
    ratios[i].push(fps[i][c] / fps[0][c]);
  }
  console.log(`   cycle ${c + 1}: ` + ROWS.map((row, i) => `${row.name} ${fps[i][c].toFixed(1)}`).join(', '));
}
console.log(`   medians of ${cycles} cycles (frames/s, ratio to the bare loop):`);
for (const [i, row] of ROWS.entries())
  console.log(`     ${row.name.padEnd(22)} ${median(fps[i]).toFixed(1).padStart(7)}  ${median(ratios[i]).toFixed(3)}`);
await browser.close();
siteServer.close();
benchServer.close();
