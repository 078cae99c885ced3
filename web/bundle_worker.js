// Run by the build (web/CMakeLists.txt): makes quelvane-worker.js, the page's
// worker as one text that the page loads with a <script> tag and starts from a
// Blob. A page opened from the disk (file://) may neither start a worker from
// a file nor fetch one, but it may load a script beside it: so the worker, the
// engine's JavaScript, its WebAssembly (in base64) and the zip writer travel
// inside one script, and the page works from the disk as from a web server.
//
//   node bundle_worker.js OUTPUT WORKER_JS ENGINE_JS ENGINE_WASM FFLATE_JS
'use strict';

const fs = require('fs');

const [output, worker, engine, wasm, fflate] = process.argv.slice(2);
const source = [
  'var kEngineWasm = "' + fs.readFileSync(wasm).toString('base64') + '";\n',
  fs.readFileSync(worker, 'utf8'),
  fs.readFileSync(engine, 'utf8'),
  fs.readFileSync(fflate, 'utf8'),
].join('\n');
fs.writeFileSync(output,
                 '// The page\'s worker with its engine and zip writer, made by the build ' +
                 '(web/bundle_worker.js)\n// from web/worker.js, quelvane-engine.js and .wasm, ' +
                 'and fflate.\nvar kQuelvaneWorkerSource = ' + JSON.stringify(source) + ';\n');
