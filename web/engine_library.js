// The engine's imports (web/engine.cpp): what the run reports, handed to the
// worker's handlers on Module (web/worker.js), texts decoded from UTF-8.
mergeInto(LibraryManager.library, {
  QuelvanePageStatus: function (given, line1, line2, line3, line4) {
    var lines = [line1, line2, line3, line4].map(function (p, i) {
      return given & (1 << i) ? UTF8ToString(p) : null;
    });
    Module.onStatus(lines);
  },
  QuelvanePageLog: function (text) {
    Module.onLog(UTF8ToString(text));
  },
  QuelvanePageBox: function (text, caption, type) {
    return Module.onBox(UTF8ToString(text), UTF8ToString(caption), type);
  },
  QuelvanePageProgress: function (done, total) {
    Module.onProgress(done, total);
  },
});
