// The page's worker: it holds the engine (quelvane-engine.js and its .wasm) and
// runs every conversion, so that the page stays responsive during a long run.
// The build puts it in one script with the engine and the zip writer
// (web/bundle_worker.js): kEngineWasm, before this file, is the engine's
// WebAssembly in base64; the engine's JavaScript and fflate come after it.
// Files chosen by the user are read in place, piece by piece (WORKERFS): at
// most the selection's first 128 MiB, read ahead, and one piece beyond are in
// memory at a time. Outputs are written into memory and handed to the page as
// they are, once complete.
//
// The run asks its separator question in the middle of its work, and a worker
// cannot wait for the page's answer. So a run that reaches a question it has no
// answer for takes No there, as a refused question would, and keeps what it
// did: when the user answers No, that is the answer; when Yes, the run is made
// again from the start with the answers given so far. A run is deterministic,
// so the second run reaches the same question at the same place.
'use strict';

var kOk = 1;
var kYes = 6;
var kNo = 7;
var kQuestion = 0x24;
var kField = '\x1f';
var kRecord = '\x1e';
var kProfile = '/settings/quelvane.ini';
var kTable = '/table/table.txt';
var kInput = '/in';
var kOutput = '/out';
var kLogCapacity = 1000000;

// The run being made: its log, boxes and answers. (The engine's script,
// which shares this one's names, has a function run of its own.)
var making = null;
var held = null;   // a finished run waiting for the answer to its question
var lastProgress = 0;
var ready = false;  // the engine has started
var broken = false;

function Broken(what) {
  if (broken) return;
  broken = true;
  postMessage({ kind: 'broken', started: ready, what: String(what) });
}

var Module = {
  onStatus: function (lines) {
    postMessage({ kind: 'status', lines: lines });
  },
  // The log keeps its last kLogCapacity lines, as the window's log list does:
  // past it, the oldest lines make room.
  onLog: function (text) {
    making.log.push(text);
    if (making.log.length >= 2 * kLogCapacity) making.log = making.log.slice(-kLogCapacity);
  },
  onBox: function (text, caption, type) {
    if (type === kQuestion) {
      if (making.asked < making.answers.length) return making.answers[making.asked++];
      if (!making.question) making.question = { text: text, caption: caption };
      return kNo;
    }
    making.boxes.push({ text: text, caption: caption, type: type });
    return kOk;
  },
  onProgress: function (done, total) {
    var now = Date.now();
    if (now - lastProgress < 100) return;
    lastProgress = now;
    postMessage({ kind: 'progress', done: done, total: total });
  },
  wasmBinary: EngineBinary(),
  // The engine stopped for good: it could not start in this browser, or a run
  // went past what it can hold.
  onAbort: function (what) {
    Broken(what);
  },
  onRuntimeInitialized: function () {
    ready = true;
    FS.mkdir('/settings');
    FS.mkdir('/table');
    FS.mkdir(kInput);
    FS.mkdir(kOutput);
    ReadInLargePieces();
    KeepOutputsAsPieces(FS.lookupPath(kOutput).node);
    postMessage({ kind: 'ready' });
  },
};

function EngineBinary() {
  var text = atob(kEngineWasm);
  var bytes = new Uint8Array(text.length);
  for (var i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i);
  return bytes;
}

// Chosen files are read through the browser in pieces of kReadAhead bytes,
// whatever the engine asks at a time: each reading of a File costs the browser
// a round trip, so large pieces read some eight times as fast as the engine's
// blocks would. The piece belongs to the open file and goes with it. A chosen
// file that the browser can no longer read (moved, deleted, refused) is a read
// error for the engine, which says so in the log like any other.
var kReadAhead = 16 << 20;

function Holds(piece, position) {
  return position >= piece.start && position < piece.start + piece.bytes.length;
}

function ReadInLargePieces() {
  var reader = new FileReaderSync();
  WORKERFS.stream_ops.read = function (stream, buffer, offset, length, position) {
    var node = stream.node;
    if (node.unreadable) throw new FS.ErrnoError(29);  // EIO
    if (position >= node.size) return 0;
    var piece = stream.piece;
    if (!piece || !Holds(piece, position)) {
      piece = node.readBefore.find(function (p) { return Holds(p, position); });
    }
    if (!piece) {
      var end = Math.min(node.size, position + Math.max(length, kReadAhead));
      try {
        piece = { start: position,
                  bytes: new Uint8Array(reader.readAsArrayBuffer(node.contents.slice(position, end))) };
      } catch (e) {
        throw new FS.ErrnoError(29);
      }
      if (piece.bytes.length === 0) return 0;
    }
    stream.piece = piece;
    var from = position - piece.start;
    var count = Math.min(length, piece.bytes.length - from);
    buffer.set(piece.bytes.subarray(from, from + count), offset);
    return count;
  };
}

// The browser reads several pieces at once much faster than one after the
// other, but the engine cannot wait for a reading under way: what it asks for,
// it must have there and then. So as soon as files are chosen, while the user
// sets the options, the first kReadBefore bytes of the selection, file after
// file, are asked of the browser kReadsAtOnce pieces at a time; the run finds
// them read, and reads what lies beyond as above. Quote files are mostly small:
// a selection of many of them is read whole in this way. What was read goes
// with the selection, once its run is over.
var kReadBefore = 128 << 20;
var kReadsAtOnce = 8;

function ReadBefore(files) {
  var asks = [];
  var left = kReadBefore;
  var read = files.map(function () { return { pieces: [], unreadable: false }; });
  files.forEach(function (f, i) {
    var size = Math.min(f.file.size, left);
    left -= size;
    for (var at = 0; at < size; at += kReadAhead) {
      asks.push({ into: read[i], file: f.file, start: at, end: Math.min(size, at + kReadAhead) });
    }
  });
  return AllAtOnce(asks.map(function (ask) {
    return function () {
      return ask.file.slice(ask.start, ask.end).arrayBuffer().then(function (buffer) {
        ask.into.pieces.push({ start: ask.start, bytes: new Uint8Array(buffer) });
      }, function () {
        ask.into.unreadable = true;
      });
    };
  })).then(function () { return read; });
}

// At the run, each file is asked one byte: one changed or gone from the disk
// since it was chosen (the browser may then show a size of 0, as if it were
// empty) refuses, and reads as a read error rather than as what it was.
function StillReadable(files, read) {
  return AllAtOnce(files.map(function (f, i) {
    return function () {
      return f.file.slice(0, 1).arrayBuffer().then(function () {}, function () {
        read[i].unreadable = true;
      });
    };
  })).then(function () { return read; });
}

// Runs the tasks (functions that return a promise) kReadsAtOnce at a time.
function AllAtOnce(tasks) {
  var next = 0;
  function TakeNext() {
    if (next >= tasks.length) return Promise.resolve();
    return tasks[next++]().then(TakeNext);
  }
  var lanes = [];
  for (var k = 0; k < kReadsAtOnce; ++k) lanes.push(TakeNext());
  return Promise.all(lanes);
}

function Call(name, types, args) {
  return Module.ccall(name, 'string', types, args);
}

function Form() {
  var form = {};
  Call('QuelvaneReadForm', [], []).split('\n').forEach(function (line) {
    var equals = line.indexOf('=');
    if (equals > 0) form[line.slice(0, equals)] = line.slice(equals + 1);
  });
  return form;
}

function FormText(form) {
  return Object.keys(form).map(function (name) { return name + '=' + form[name]; }).join('\n');
}

// The profile's bytes as a string of one character per byte, as the page keeps
// them in its storage.
function ProfileBytes() {
  try {
    var bytes = FS.readFile(kProfile);
    var text = '';
    for (var i = 0; i < bytes.length; i += 8192) {
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
    }
    return text;
  } catch (e) {
    return null;
  }
}

function WriteBytes(path, text) {
  var bytes = new Uint8Array(text.length);
  for (var i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i) & 0xff;
  FS.writeFile(path, bytes);
}

function Remove(path) {
  try { FS.unlink(path); } catch (e) { /* absent */ }
}

function ClearOutputs() {
  FS.readdir(kOutput).forEach(function (name) {
    if (name !== '.' && name !== '..') Remove(kOutput + '/' + name);
  });
}

function Basename(path) {
  return path.slice(path.lastIndexOf('/') + 1);
}

// The files written in the output folder keep each write as a Blob of its own
// (the run writes in blocks of a megabyte): the browser keeps big Blobs out of
// the worker's memory, so that an output of any size is never one array there,
// and the finished output is a Blob of its pieces, copied nowhere. Outputs are
// written from start to end, never read back.
function KeepOutputsAsPieces(folder) {
  var createNode = MEMFS.createNode;
  var pieceOps = null;
  MEMFS.createNode = function (parent, name, mode, dev) {
    var node = createNode.apply(this, arguments);
    if (parent !== folder || !FS.isFile(mode)) return node;
    if (!pieceOps) {
      pieceOps = Object.assign({}, node.stream_ops);
      pieceOps.write = function (stream, buffer, offset, length, position) {
        var file = stream.node;
        if (position !== file.usedBytes) throw new FS.ErrnoError(28);  // EINVAL
        if (length === 0) return 0;
        file.pieces.push(new Blob([buffer.subarray(offset, offset + length)]));
        file.usedBytes += length;
        file.timestamp = Date.now();
        return length;
      };
    }
    node.pieces = [];
    node.stream_ops = pieceOps;
    return node;
  };
}

function TakeOutput(path) {
  var blob = new Blob(FS.lookupPath(path).node.pieces, { type: 'application/octet-stream' });
  FS.unlink(path);
  return blob;
}

// Several outputs as one zip, each deflated piece by piece as it is read.
function Zip(files) {
  var parts = [];
  var zip = new fflate.Zip(function (error, chunk) {
    if (!error) parts.push(chunk);
  });
  var reader = new FileReaderSync();
  var piece = 1 << 20;
  files.forEach(function (file) {
    var entry = new fflate.ZipDeflate(file.name, { level: 6 });
    zip.add(entry);
    var size = file.blob.size;
    if (size === 0) entry.push(new Uint8Array(0), true);
    for (var at = 0; at < size; at += piece) {
      var bytes = new Uint8Array(reader.readAsArrayBuffer(file.blob.slice(at, at + piece)));
      entry.push(bytes, at + piece >= size);
    }
  });
  zip.end();
  return new Blob(parts, { type: 'application/zip' });
}

// The selection being read ahead: the page's number for it and the promise of
// what was read.
var chosen = null;

// What was read of a selection whose run is over, unless another was chosen since.
function Forget(id) {
  if (chosen && chosen.id === id) chosen = null;
}

function StartRun(id, files, answers) {
  if (!chosen || chosen.id !== id) chosen = { id: id, reading: ReadBefore(files) };
  chosen.reading.then(function (read) {
    // A run uses the pieces once more when it is made again after a question.
    return StillReadable(files, read.map(function (r) {
      return { pieces: r.pieces, unreadable: r.unreadable };
    }));
  }).then(function (read) { Run(id, files, answers, read); }).catch(Broken);
}

function Run(id, files, answers, read) {
  try { FS.unmount(kInput); } catch (e) { /* nothing mounted yet */ }
  FS.mount(WORKERFS, { blobs: files.map(function (f) { return { name: f.path, data: f.file }; }) },
           kInput);
  var nodes = files.map(function (f, i) {
    var node = FS.lookupPath(kInput + '/' + f.path).node;
    node.readBefore = read[i].pieces;
    node.unreadable = read[i].unreadable;
    return node;
  });
  ClearOutputs();
  FS.chdir(kInput);
  var extension = Form().ExtensionDestination;
  making = { log: [], boxes: [], answers: answers, asked: 0, question: null };
  var paths = files.map(function (f) { return f.path; }).join('\n');
  var table = FS.analyzePath(kTable).exists ? kTable : '';
  var status = Module.ccall('QuelvaneRun', 'number', ['string', 'string', 'string'],
                            [paths, kOutput, table]);
  FS.chdir('/');
  nodes.forEach(function (node) { node.readBefore = []; });
  var outputs = [];
  files.forEach(function (f) {
    var name = Basename(f.path) + extension;
    var path = kOutput + '/' + name;
    if (FS.analyzePath(path).exists) outputs.push({ name: name, blob: TakeOutput(path) });
  });
  var result = { kind: 'done', log: making.log.slice(-kLogCapacity), boxes: making.boxes, status: status, outputs: outputs };
  if (making.question) {
    held = { result: result, id: id, files: files, answers: answers };
    postMessage({ kind: 'question', text: making.question.text, caption: making.question.caption });
  } else {
    held = null;
    Forget(id);
    postMessage(result);
  }
  making = null;
}

onmessage = function (event) {
  var message = event.data;
  switch (message.kind) {
    case 'settings':
      // The profile the page kept, and the user's table, as they were at the last visit.
      if (message.profile !== null) WriteBytes(kProfile, message.profile);
      postMessage({ kind: 'form', form: Form() });
      break;
    case 'save': {
      var problem = Call('QuelvaneSaveForm', ['string'], [FormText(message.form)]);
      postMessage({ kind: 'saved', problem: problem, profile: ProfileBytes(), form: Form() });
      break;
    }
    case 'table': {
      if (message.bytes === null) Remove(kTable);
      else WriteBytes(kTable, message.bytes);
      var report = '';
      if (message.bytes !== null) {
        // Named as the command line names the table of its current folder.
        FS.chdir('/table');
        var said = Call('QuelvaneTable', ['string'], ['table.txt']).split(kRecord);
        FS.chdir('/');
        report = said[0] + said[1];
      }
      postMessage({ kind: 'tableReport', text: report });
      break;
    }
    case 'select':
      chosen = { id: message.id, reading: ReadBefore(message.files) };
      break;
    case 'run':
      StartRun(message.id, message.files, []);
      break;
    case 'answer':
      if (!held) break;
      if (message.yes) {
        StartRun(held.id, held.files, held.answers.concat([kYes]));
      } else {
        var result = held.result;
        Forget(held.id);
        held = null;
        postMessage(result);
      }
      break;
    case 'quick': {
      var fields = Call('QuelvaneQuick', ['string', 'string'],
                        [message.text, FS.analyzePath(kTable).exists ? kTable : '']);
      var f = fields.split(kRecord)[0].split(kField);
      postMessage({
        kind: 'quick',
        recognised: f[0] === '1',
        box: f[1] ? { text: f[1], caption: f[2], type: Number(f[3]) } : null,
        sicovamLine: f[4][0] === '+' ? f[4].slice(1) : null,
        isinLine: f[5][0] === '+' ? f[5].slice(1) : null,
        isinLineFirst: f[6] === '1',
      });
      break;
    }
    case 'zip':
      postMessage({ kind: 'zipped', name: 'fichiers-convertis.zip', blob: Zip(message.outputs) });
      break;
    case 'help': {
      var records = Call('QuelvaneHelp', [], []).split(kRecord);
      postMessage({ kind: 'help', version: records[0], help: records[1], about: records.slice(2, -1) });
      break;
    }
  }
};
