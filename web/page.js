// The page: the main window's controls, its log and status lines, its boxes,
// the quick conversion, help and About. Every conversion is made by the worker
// (worker.js); the page keeps the settings and the user's table in the
// browser's local storage and offers the outputs for download.
'use strict';

(function () {
  var kQuestion = 0x24;
  var kStoredProfile = 'quelvane.ini';
  var kStoredTable = 'quelvane.table';
  var kStoredTableName = 'quelvane.tableName';

  // The worker comes from quelvane-worker.js, loaded before this script: a page
  // opened from the disk may not start one from a file.
  var worker = new Worker(URL.createObjectURL(
      new Blob([kQuelvaneWorkerSource], { type: 'text/javascript' })));
  var selection = [];  // {path, file}: as chosen or dropped, in order
  var outputs = [];    // {name, blob, url}
  var running = false;
  var boxQueue = [];
  var form = document.getElementById('options');

  function $(id) { return document.getElementById(id); }

  // False when the browser refuses (private browsing, storage full): what was
  // to be kept then lasts for this visit only.
  function Store(key, value) {
    try {
      if (value === null) localStorage.removeItem(key);
      else localStorage.setItem(key, value);
      return true;
    } catch (e) {
      return false;
    }
  }

  function Stored(key) {
    try { return localStorage.getItem(key); } catch (e) { return null; }
  }

  // ---- Boxes ----------------------------------------------------------------

  // Shows one box at a time, as the window's message boxes come one after the
  // other; `answer` receives true for Oui.
  function ShowBox(text, caption, type, answer) {
    boxQueue.push({ text: text, caption: caption, type: type, answer: answer });
    if (boxQueue.length === 1) OpenNextBox();
  }

  function OpenNextBox() {
    var box = boxQueue[0];
    if (!box) return;
    $('box-caption').textContent = box.caption;
    $('box-text').textContent = box.text;
    var buttons = $('box-buttons');
    buttons.textContent = '';
    var labels = box.type === kQuestion ? [['Oui', true], ['Non', false]] : [['OK', true]];
    labels.forEach(function (label) {
      var button = document.createElement('button');
      button.type = 'button';
      button.textContent = label[0];
      button.addEventListener('click', function () {
        $('box').close();
        boxQueue.shift();
        if (box.answer) box.answer(label[1]);
        OpenNextBox();
      });
      buttons.appendChild(button);
    });
    $('box').showModal();
    buttons.firstChild.focus();
  }

  // ---- Settings ---------------------------------------------------------------

  function ShowForm(values) {
    Array.prototype.forEach.call(form.elements, function (control) {
      if (!(control.name in values)) return;
      var value = values[control.name];
      if (control.type === 'checkbox') control.checked = value === '1';
      else if (control.type === 'radio') control.checked = control.value === value;
      else control.value = value;
    });
  }

  function ReadForm() {
    var values = {};
    Array.prototype.forEach.call(form.elements, function (control) {
      if (!control.name) return;
      if (control.type === 'checkbox') values[control.name] = control.checked ? '1' : '0';
      else if (control.type === 'radio') { if (control.checked) values[control.name] = control.value; }
      else values[control.name] = control.value;
    });
    return values;
  }

  // Every change is saved at once, as the window saves at its close; the count
  // of saves not yet answered tells a test when the storage holds them all.
  var savesPending = 0;
  form.addEventListener('change', function () {
    document.body.dataset.savesPending = String(++savesPending);
    worker.postMessage({ kind: 'save', form: ReadForm() });
  });
  form.addEventListener('submit', function (event) { event.preventDefault(); });

  // ---- The user's table -------------------------------------------------------

  function ByteString(buffer) {
    var bytes = new Uint8Array(buffer);
    var text = '';
    for (var i = 0; i < bytes.length; i += 8192) {
      text += String.fromCharCode.apply(null, bytes.subarray(i, i + 8192));
    }
    return text;
  }

  function UseTable(name, bytes) {
    worker.postMessage({ kind: 'table', bytes: bytes });
    $('table-name').textContent = bytes === null ? 'aucune table : la table intégrée seule'
                                                 : name + ' (' + bytes.length + ' octets)';
  }

  function ChooseTable(file) {
    file.arrayBuffer().then(function (buffer) {
      var bytes = ByteString(buffer);
      var kept = Store(kStoredTable, bytes) && Store(kStoredTableName, file.name);
      if (!kept) Store(kStoredTable, null);
      UseTable(file.name, bytes);
      if (!kept) {
        $('table-name').textContent += ' ; trop grande pour être gardée par le navigateur : ' +
                                       'elle sert jusqu\'à la fermeture de la page';
      }
    }, function () {
      ShowBox('Impossible de lire le fichier « ' + file.name + ' ».', 'Attention', 0x10);
    });
  }

  $('table-choose').addEventListener('click', function () { $('table-chooser').click(); });
  $('table-chooser').addEventListener('change', function () {
    if (this.files[0]) ChooseTable(this.files[0]);
    this.value = '';
  });
  // A file dropped on the table's frame is the table, not a file to convert.
  $('table').addEventListener('drop', function (event) {
    event.preventDefault();
    event.stopPropagation();
    var file = event.dataTransfer.files[0];
    if (file) ChooseTable(file);
  });
  $('table-remove').addEventListener('click', function () {
    Store(kStoredTable, null);
    Store(kStoredTableName, null);
    UseTable('', null);
  });

  // ---- Files ------------------------------------------------------------------

  function ShowSelection() {
    var list = $('selection');
    list.textContent = '';
    selection.forEach(function (entry) {
      var item = document.createElement('li');
      // Asking the size also fixes what the browser knows of the file: one that
      // changes or goes before the run then refuses to be read.
      item.textContent = entry.path + ' (' + entry.file.size + ' octets)';
      list.appendChild(item);
    });
  }

  // The worker starts reading the files at once (see ReadBefore in worker.js).
  var selectionId = 0;
  var selectedAt = 0;
  function Select(entries) {
    selectedAt = Date.now();
    selection = entries;
    ShowSelection();
    worker.postMessage({ kind: 'select', id: ++selectionId, files: selection });
  }

  $('choose').addEventListener('click', function () { $('chooser').click(); });
  $('chooser').addEventListener('change', function () {
    Select(Array.prototype.map.call(this.files, function (file) {
      return { path: file.name, file: file };
    }));
    this.value = '';
  });

  // A dropped folder gives its files with their paths below it, in name order.
  function Walk(entry, prefix, into) {
    return new Promise(function (resolve) {
      if (entry.isFile) {
        entry.file(function (file) {
          into.push({ path: prefix + entry.name, file: file });
          resolve();
        }, function () { resolve(); });
        return;
      }
      var reader = entry.createReader();
      var children = [];
      (function ReadMore() {
        reader.readEntries(function (batch) {
          if (batch.length === 0) {
            children.sort(function (a, b) { return a.name < b.name ? -1 : a.name > b.name ? 1 : 0; });
            children.reduce(function (done, child) {
              return done.then(function () { return Walk(child, prefix + entry.name + '/', into); });
            }, Promise.resolve()).then(resolve);
            return;
          }
          children = children.concat(batch);
          ReadMore();
        }, function () { resolve(); });
      })();
    });
  }

  var drop = document.body;
  drop.addEventListener('dragover', function (event) {
    event.preventDefault();
    event.dataTransfer.dropEffect = 'copy';
  });
  drop.addEventListener('drop', function (event) {
    event.preventDefault();
    var items = event.dataTransfer.items;
    var entries = [];
    var roots = null;
    if (items && items.length && items[0].webkitGetAsEntry) {
      roots = Array.prototype.map.call(items, function (item) {
        return item.webkitGetAsEntry();
      }).filter(Boolean);
    }
    if (roots && roots.length) {
      var found = [];
      roots.reduce(function (done, root) {
        return done.then(function () { return Walk(root, '', found); });
      }, Promise.resolve()).then(function () { Select(found); });
      return;
    }
    Array.prototype.forEach.call(event.dataTransfer.files, function (file) {
      entries.push({ path: file.name, file: file });
    });
    Select(entries);
  });

  // ---- The run ----------------------------------------------------------------

  function ShowStatus(lines) {
    var shown = $('status').children;
    lines.forEach(function (line, i) { if (line !== null) shown[i].textContent = line; });
  }

  function ClearOutputs() {
    outputs.forEach(function (output) { URL.revokeObjectURL(output.url); });
    outputs = [];
    $('outputs').textContent = '';
    $('downloads').hidden = true;
  }

  function Offer(list) {
    list.forEach(function (output) {
      output.url = URL.createObjectURL(output.blob);
      outputs.push(output);
      var item = document.createElement('li');
      var link = document.createElement('a');
      link.href = output.url;
      link.download = output.name;
      link.textContent = output.name;
      item.appendChild(link);
      item.appendChild(document.createTextNode(' (' + output.blob.size + ' octets)'));
      $('outputs').appendChild(item);
    });
    $('downloads').hidden = outputs.length === 0;
    $('zip').hidden = outputs.length < 2;
  }

  var runStarted = 0;

  function Finish(result) {
    running = false;
    // How long the run took, from the click to its outputs, and from the choice
    // of its files, whose reading starts then (bench/web-speed).
    document.body.dataset.lastRunMs = String(Date.now() - runStarted);
    document.body.dataset.lastChoiceMs = String(Date.now() - selectedAt);
    $('process').disabled = false;
    $('progress').hidden = true;
    $('log').textContent = result.log.map(function (line) { return line + '\n'; }).join('');
    $('log').scrollTop = $('log').scrollHeight;
    Offer(result.outputs);
    result.boxes.forEach(function (box) { ShowBox(box.text, box.caption, box.type); });
    document.body.dataset.runs = String(Number(document.body.dataset.runs || 0) + 1);
  }

  // The outputs of a run are offered under their file names, all in the one
  // folder of the browser's downloads: two selected files of the same name (in
  // two dropped folders) would have outputs that replace each other.
  function SameName() {
    var seen = {};
    for (var i = 0; i < selection.length; ++i) {
      var path = selection[i].path;
      var name = path.slice(path.lastIndexOf('/') + 1);
      if (seen[name] !== undefined) {
        return '« ' + seen[name] + ' » et « ' + path + ' » ont le même nom : leurs fichiers ' +
               'créés se remplaceraient dans le dossier des téléchargements.';
      }
      seen[name] = path;
    }
    return null;
  }

  $('process').addEventListener('click', function () {
    if (running) return;
    var clash = SameName();
    if (clash) {
      ShowBox(clash, 'Attention', 0x10);
      return;
    }
    running = true;
    runStarted = Date.now();
    this.disabled = true;
    ClearOutputs();
    $('log').textContent = '';
    worker.postMessage({ kind: 'run', id: selectionId, files: selection });
  });

  $('zip').addEventListener('click', function () {
    this.disabled = true;
    worker.postMessage({ kind: 'zip', outputs: outputs.map(function (o) {
      return { name: o.name, blob: o.blob };
    }) });
  });

  // ---- Quick conversion, help, About ------------------------------------------

  function Open(id) { $(id).showModal(); }
  Array.prototype.forEach.call(document.querySelectorAll('dialog .close'), function (button) {
    button.addEventListener('click', function () { button.closest('dialog').close(); });
  });
  $('quick-open').addEventListener('click', function () {
    Open('quick');
    $('quick-text').focus();
  });
  $('help-open').addEventListener('click', function () { Open('help'); });
  $('about-open').addEventListener('click', function () { Open('about'); });
  $('quick-form').addEventListener('submit', function (event) {
    event.preventDefault();
    worker.postMessage({ kind: 'quick', text: $('quick-text').value });
  });

  function ShowQuick(result) {
    function Lines() {
      if (result.sicovamLine !== null) $('quick-line1').textContent = result.sicovamLine;
      if (result.isinLine !== null) $('quick-line2').textContent = result.isinLine;
    }
    if (result.box) ShowBox(result.box.text, result.box.caption, result.box.type, Lines);
    else Lines();
  }

  // ---- The worker's messages --------------------------------------------------

  worker.onmessage = function (event) {
    var message = event.data;
    switch (message.kind) {
      case 'broken':
        // Nothing more can be converted in this visit: the button stays off.
        running = false;
        $('process').disabled = true;
        $('progress').hidden = true;
        document.body.dataset.broken = '1';
        ShowBox(message.started
                  ? 'Le moteur de conversion s\'est arrêté (' + message.what + ') : aucun ' +
                    'fichier n\'est proposé pour ce traitement. Rechargez la page pour continuer.'
                  : 'Ce navigateur ne peut pas faire tourner le moteur de conversion ' +
                    '(WebAssembly et ses instructions vectorielles). Ouvrez cette page dans une ' +
                    'version récente de Chrome, Edge, Firefox ou Safari (16.4 ou plus).',
                'Attention', 0x10);
        break;
      case 'ready':
        worker.postMessage({ kind: 'settings', profile: Stored(kStoredProfile) });
        worker.postMessage({ kind: 'help' });
        var table = Stored(kStoredTable);
        UseTable(Stored(kStoredTableName) || 'table.txt', table);
        break;
      case 'form':
        ShowForm(message.form);
        document.body.dataset.ready = '1';
        break;
      case 'saved':
        $('options-problem').textContent = message.problem;
        // The controls keep what the user typed meanwhile: only the storage follows.
        if (message.problem === '' && message.profile !== null) Store(kStoredProfile, message.profile);
        document.body.dataset.savesPending = String(--savesPending);
        break;
      case 'status':
        ShowStatus(message.lines);
        break;
      case 'progress':
        $('progress').hidden = false;
        $('progress').max = message.total || 1;
        $('progress').value = message.done;
        break;
      case 'question':
        ShowBox(message.text, message.caption, kQuestion, function (yes) {
          worker.postMessage({ kind: 'answer', yes: yes });
        });
        break;
      case 'done':
        Finish(message);
        break;
      case 'zipped': {
        $('zip').disabled = false;
        var link = document.createElement('a');
        link.href = URL.createObjectURL(message.blob);
        link.download = message.name;
        link.click();
        setTimeout(function () { URL.revokeObjectURL(link.href); }, 60000);
        break;
      }
      case 'tableReport':
        $('table-report').textContent = message.text;
        $('table-report').hidden = message.text === '';
        break;
      case 'quick':
        ShowQuick(message);
        break;
      case 'help':
        $('title').textContent = 'QUELVANE v' + message.version +
                                 ' - Conversion de codes SICOVAM <-> ISIN';
        $('help-text').textContent = message.help.replace(/\r\n/g, '\n');
        $('about-text').textContent = message.about.join('\n');
        break;
    }
  };
})();
