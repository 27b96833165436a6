// Frames a second of turnfan's page in headless Chromium with the frame limit
// off, against a bare WebGL clear loop in the same browser, and against the
// bare loop drawing 60 lines by hand; interleaved rounds, medians and the
// medians of the per-cycle ratios.
//
// usage: node bench/web_fps_bench.mjs SITE_DIR [--cycles N] [--seconds S]
//   Needs playwright-core in drive/node_modules (npm ci there).
//   Environment: TURNFAN_CHROMIUM (default /usr/bin/chromium)
import fs from 'node:fs';
import { createRequire } from 'node:module';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

import { serve } from '../drive/serve.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const { chromium } = createRequire(path.join(here, '../drive/package.json'))('playwright-core');

const argv = process.argv.slice(2);
const site = argv[0];
const option = (name, fallback) => {
  const i = argv.indexOf(name);
  return i > 0 ? Number(argv[i + 1]) : fallback;
};
const cycles = option('--cycles', 7);
const seconds = option('--seconds', 2);
if (!site || !fs.existsSync(path.join(site, 'index.html'))) {
  console.error(`web_fps_bench: no site at ${site} (scripts/build-web makes it)`);
  process.exit(1);
}

const siteServer = await serve(site);
const benchServer = await serve(here);
const url = (server, file) => `http://127.0.0.1:${server.address().port}/${file}`;
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

async function round(address, ready) {
  await page.goto(address);
  await page.waitForFunction(ready);
  await rate(300); // warm-up
  return rate(seconds * 1000);
}

const median = (values) => {
  const v = [...values].sort((a, b) => a - b);
  return v.length % 2 ? v[(v.length - 1) / 2] : (v[v.length / 2 - 1] + v[v.length / 2]) / 2;
};
const page_fps = [], bare_fps = [], lines_fps = [], ratios = [], line_ratios = [];
for (let c = 0; c < cycles; ++c) {
  const p = await round(url(siteServer, ''), () => /initializing display/.test(document.body.textContent));
  const b = await round(url(benchServer, 'web_bare_loop.html'), () => true);
  const l = await round(url(benchServer, 'web_lines_loop.html'), () => true);
  page_fps.push(p);
  bare_fps.push(b);
  lines_fps.push(l);
  ratios.push(p / b);
  line_ratios.push(l / b);
  console.log(`   cycle ${c + 1}: page ${p.toFixed(1)} frames/s, bare loop ${b.toFixed(1)}, ratio ${(p / b).toFixed(3)}; ` +
    `lines loop ${l.toFixed(1)}, ratio ${(l / b).toFixed(3)}`);
}
console.log(`   median: page ${median(page_fps).toFixed(1)} frames/s, bare loop ${median(bare_fps).toFixed(1)}, ` +
  `ratio ${median(ratios).toFixed(3)}; lines loop ${median(lines_fps).toFixed(1)}, ratio ` +
  `${median(line_ratios).toFixed(3)} (medians of the ${cycles} cycles' ratios to the bare loop)`);
await browser.close();
siteServer.close();
benchServer.close();
