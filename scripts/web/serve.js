'use strict';
// The site's static file server, on the loopback only: the one `scripts/run.sh
// --web` runs and the one the page's tests and bench start. Each site file goes
// out with the page's own Content-Security-Policy (read from its index.html,
// plus what only a header can say), so that the header and the page never differ.
//   node scripts/web/serve.js <site folder> [port, default 8000]
const fs = require('fs');
const http = require('http');
const path = require('path');

const kTypes = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.wasm': 'application/wasm',
  '.png': 'image/png', '.bmp': 'image/bmp', '.css': 'text/css', '.webmanifest': 'application/manifest+json',
};

// The policy of the page's meta element, and that no other site may frame it.
function policyOf(root) {
  const page = fs.readFileSync(path.join(root, 'index.html'), 'utf8');
  const meta = /<meta http-equiv="Content-Security-Policy" content="([^"]+)">/.exec(page);
  if (!meta) throw new Error(`${root}/index.html carries no Content-Security-Policy`);
  return `${meta[1]}; frame-ancestors 'none'`;
}

// Serves `root` on 127.0.0.1 (`port` 0: a free one). `extra` maps paths to
// { type, body } or { redirect } (sent as they are, without the site's policy);
// `requests` counts what was asked for, by path.
function serve(root, { port = 0, extra = {} } = {}) {
  root = path.resolve(root);
  const policy = fs.existsSync(path.join(root, 'index.html')) ? policyOf(root) : null;
  const requests = new Map();
  const server = http.createServer((req, res) => {
    let name;
    // As a path always: a request for //host/x names this server's path //host/x.
    try { name = decodeURIComponent(new URL(`http://localhost${req.url.startsWith('/') ? '' : '/'}${req.url}`).pathname); } catch { name = '/'; }
    requests.set(name, (requests.get(name) || 0) + 1);
    const special = extra[name];
    if (special && special.redirect) {
      res.writeHead(302, { Location: special.redirect });
      return res.end();
    }
    if (special) {
      res.writeHead(200, { 'Content-Type': special.type });
      return res.end(special.body);
    }
    const file = path.join(root, path.normalize(name.endsWith('/') ? name + 'index.html' : name));
    if (!file.startsWith(root + path.sep)) {
      res.writeHead(404);
      return res.end();
    }
    fs.readFile(file, (err, body) => {
      if (err) {
        res.writeHead(404);
        return res.end();
      }
      res.writeHead(200, {
        'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream',
        'X-Content-Type-Options': 'nosniff',
        ...(policy ? { 'Content-Security-Policy': policy } : {}),
      });
      res.end(body);
    });
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, '127.0.0.1', () => resolve({
      url: `http://127.0.0.1:${server.address().port}`,
      requests,
      // Ends open connections too, so that the site is really gone.
      close: () => new Promise((done) => {
        server.close(() => done());
        server.closeAllConnections();
      }),
    }));
  });
}

module.exports = { serve };

if (require.main === module) {
  const [root, port = '8000'] = process.argv.slice(2);
  serve(root, { port: Number(port) }).then((s) => console.log(`serving ${root} on ${s.url}/`), (error) => {
    console.error(`cannot serve ${root}: ${error.message}`);
    process.exitCode = 1;
  });
}
