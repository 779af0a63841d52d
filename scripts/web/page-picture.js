'use strict';
// Writes the README's picture of the web page, docs/web-page.png: two seconds
// of the saver over the sample desktop, then a click, which shows the panel.
//   node scripts/web/page-picture.js   (after cmake --build --preset web)
const { execFileSync } = require('child_process');
const path = require('path');
const { Browser, sleep } = require('./browser.js');
const { serve } = require('./serve.js');

async function main() {
  const root = path.join(__dirname, '../..');
  const server = await serve(path.join(root, 'build/web/site'));
  const browser = await Browser.launch();
  try {
    const page = await browser.open(`${server.url}/?count=600`);
    await page.waitFor(`document.body.dataset.state === 'running'`);
    await sleep(2000);
    await page.click(512, 384);
    await sleep(300);
    const shot = path.join(root, 'docs/web-page.png');
    await page.screenshot(shot);
    execFileSync('convert', [shot, '-resize', '800x', '-colors', '128', '-strip', '-define', 'png:compression-level=9', shot]);
    console.log(`wrote ${shot}`);
  } finally {
    await browser.close();
    await server.close();
  }
}

main().catch((error) => {
  console.error(error.stack);
  process.exitCode = 1;
});
