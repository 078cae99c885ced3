#!/usr/bin/python3
"""The web page in a real browser (Debian's headless Chromium through Selenium
and chromedriver): every golden case of tests/data/convert is set up through
the page's own controls, its files dropped on the page, the run made, the
separator question answered, and the page's downloads and log compared byte for
byte with what quelvane-cli gives for the same case. Then the quick conversion
against "quelvane-cli code", the zip of several outputs, the options kept over a
reload, input the page must refuse as the window does, a selection larger than
what the page reads ahead, the page opened from the disk (file://), and a
browser that cannot compile the engine.

Usage: test_page.py BUILD_WEB QUELVANE_CLI
"""

import base64
import functools
import hashlib
import http.server
import io
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import zipfile
from pathlib import Path

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

ROOT = Path(__file__).resolve().parent.parent
CASES = ROOT / "tests" / "data" / "convert"

# The command line's options that the page sets through its controls; the
# others have no control in the window.
NO_CONTROL = {"-k", "--column"}

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("ÉCHEC :", what, flush=True)


# The one log line each front end words its own way: what to do about values
# dropped as unknown names the window's box there, the option -a on a terminal.
HINT = re.compile(rb"^Les tables connaissent [^\n]*\n?", re.M)


def same_log(page, cli):
    """The page's log is the command line's, but for the hint in the window's words."""
    page_hint, cli_hint = HINT.search(page), HINT.search(cli)
    if (page_hint is None) != (cli_hint is None):
        return False
    if page_hint is not None and "Traiter uniquement les valeurs connues".encode() not in page_hint.group(0):
        return False
    return HINT.sub(b"", page) == HINT.sub(b"", cli)


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm", ".js": "text/javascript"}
    served = []  # (path, bytes) of each answered request, for bench/web-speed

    def log_message(self, *args):
        pass

    def copyfile(self, source, outputfile):
        start = source.tell()
        try:
            super().copyfile(source, outputfile)
        except (BrokenPipeError, ConnectionResetError):
            return  # the browser took its cached copy instead
        QuietHandler.served.append((self.path, source.tell() - start))


def serve(folder):
    handler = functools.partial(QuietHandler, directory=str(folder))
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def start_browser(downloads):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic",
                 "--no-first-run", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync",
                 "--user-data-dir=" + tempfile.mkdtemp(prefix="quelvane-chromium-"),
                 "--window-size=1100,1400"):
        options.add_argument(flag)
    options.add_experimental_option("prefs", {
        "download.default_directory": str(downloads),
        "download.prompt_for_download": False,
    })
    driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    driver.execute_cdp_cmd("Browser.setDownloadBehavior",
                           {"behavior": "allow", "downloadPath": str(downloads)})
    return driver


def wait_for(driver, script, timeout=60):
    end = time.time() + timeout
    while time.time() < end:
        value = driver.execute_script(script)
        if value:
            return value
        time.sleep(0.05)
    raise TimeoutError(script)


def load(driver, url, profile=None, table=None):
    """The page as a first visit would find it, with a saved profile and table."""
    driver.get(url)
    driver.execute_script("localStorage.clear();")
    if profile is not None:
        driver.execute_script("localStorage.setItem('quelvane.ini', arguments[0]);",
                              profile.decode("latin-1"))
    if table is not None:
        driver.execute_script("localStorage.setItem('quelvane.table', arguments[0]);"
                              "localStorage.setItem('quelvane.tableName', 'table.txt');",
                              table.decode("latin-1"))
    driver.get(url)
    wait_for(driver, "return document.body.dataset.ready === '1';")


DROP = """
const [names, contents] = arguments;
const transfer = new DataTransfer();
names.forEach((name, i) => {
  const bytes = Uint8Array.from(atob(contents[i]), c => c.charCodeAt(0));
  transfer.items.add(new File([bytes], name));
});
document.body.dispatchEvent(new DragEvent('drop', {dataTransfer: transfer, bubbles: true}));
"""


def drop(driver, files):
    names = [name for name, _ in files]
    driver.execute_script(DROP, names, [base64.b64encode(data).decode() for _, data in files])
    wait_for(driver, "return document.querySelectorAll('#selection li').length === %d;"
             % len(files))


def control(driver, name, value=None):
    selector = "#options [name='%s']" % name
    if value is not None:
        selector += "[value='%s']" % value
    return driver.find_element(By.CSS_SELECTOR, selector)


def click(driver, element):
    driver.execute_script("arguments[0].click();", element)


def set_checkbox(driver, name, on):
    box = control(driver, name)
    if box.is_selected() != on:
        click(driver, box)


def type_text(driver, name, text):
    edit = control(driver, name)
    edit.clear()
    edit.send_keys(text)
    driver.execute_script("arguments[0].dispatchEvent(new Event('change', {bubbles: true}));",
                          edit)


def set_options(driver, args):
    """The command line's options set through the page's controls."""
    i = 0
    while i < len(args):
        arg = args[i]
        value = None
        if "=" in arg and arg.startswith("--"):
            arg, value = arg.split("=", 1)
        takes_value = arg in TAKES_VALUE
        if takes_value and value is None:
            i += 1
            value = args[i]
        if arg in ("-r", "--isin-to-sicovam"):
            click(driver, control(driver, "IsinVersSicovam", "1"))
        elif arg in ("-s", "--source-sep"):
            # A tab is the Tabulation button, as a person gives it.
            click(driver, control(driver, "SourceTabulation", "1" if value == "\t" else "0"))
            if value != "\t":
                type_text(driver, "SeparateurSource", value)
        elif arg in ("-d", "--dest-sep"):
            click(driver, control(driver, "DestinationTabulation", "1" if value == "\t" else "0"))
            if value != "\t":
                type_text(driver, "SeparateurDestination", value)
        elif arg == "--prefix":
            set_checkbox(driver, "PrefixeX", value == "X")
        elif arg == "--fixed-length":
            set_checkbox(driver, "LgSicoFixe", True)
            type_text(driver, "NbCharSico", value)
        elif arg in ("-a", "--all-values"):
            set_checkbox(driver, "ValeursConnuesOnly", False)
        elif arg == "--skip-ignored":
            set_checkbox(driver, "NePasRecopierValeursIgnorees", True)
        elif arg == "--ext":
            click(driver, control(driver, "ExtensionDestination", value))
        i += 1
    wait_for(driver, "return (document.body.dataset.savesPending || '0') === '0';")


def start_run(driver):
    """Starts the run; page_boxes then follows it to its end."""
    runs = driver.execute_script("return Number(document.body.dataset.runs || 0);")
    driver.find_element(By.ID, "process").click()
    return runs


def page_boxes(driver, runs, answer_yes):
    """Answers the question, if asked, and closes every box after the run."""
    boxes = []
    while True:
        state = wait_for(driver, """
            if (document.getElementById('box').open) return 'box';
            if (Number(document.body.dataset.runs || 0) > %d) return 'done';
            return null;""" % runs)
        if state == "box":
            text = driver.find_element(By.ID, "box-text").get_attribute("textContent")
            labels = [b.text for b in driver.find_elements(By.CSS_SELECTOR, "#box-buttons button")]
            boxes.append((text, labels))
            wanted = ("Oui" if answer_yes else "Non") if "Oui" in labels else labels[0]
            for button in driver.find_elements(By.CSS_SELECTOR, "#box-buttons button"):
                if button.text == wanted:
                    button.click()
                    break
            time.sleep(0.05)
            continue
        # The boxes the run leaves are shown once its log is.
        while driver.execute_script("return document.getElementById('box').open;"):
            text = driver.find_element(By.ID, "box-text").get_attribute("textContent")
            boxes.append((text, ["OK"]))
            driver.find_element(By.CSS_SELECTOR, "#box-buttons button").click()
            time.sleep(0.05)
        return boxes


DOWNLOADS = """
const done = arguments[arguments.length - 1];
Promise.all([...document.querySelectorAll('#outputs a')].map(a =>
  fetch(a.href).then(r => r.arrayBuffer()).then(b => {
    let s = '';
    const u = new Uint8Array(b);
    for (let i = 0; i < u.length; i += 8192) s += String.fromCharCode(...u.subarray(i, i + 8192));
    return [a.download, btoa(s)];
  }))).then(done);
"""


def page_outputs(driver):
    return {name: base64.b64decode(data) for name, data in driver.execute_async_script(DOWNLOADS)}


def cli_run(cli, case, args, inputs):
    """What quelvane-cli gives for the case, in a scratch copy of its files."""
    with tempfile.TemporaryDirectory() as scratch:
        for name, data in inputs.items():
            (Path(scratch) / name).parent.mkdir(parents=True, exist_ok=True)
            (Path(scratch) / name).write_bytes(data)
        before = set(Path(scratch).rglob("*"))
        result = subprocess.run([cli, "convert"] + args, cwd=scratch, capture_output=True,
                                stdin=subprocess.DEVNULL)
        # The page offers each output under its file name.
        made = {path.name: path.read_bytes() for path in set(Path(scratch).rglob("*")) - before}
        return result.stdout, made


def run_case(driver, url, cli, case, answer_yes=None):
    args = (case / "args").read_text(encoding="utf-8").splitlines()
    if any(arg.split("=")[0] in NO_CONTROL for arg in args):
        print("  (sans objet : %s ; la fenêtre n'a pas de contrôle pour la colonne)" % case.name)
        return
    inputs = {p.name: p.read_bytes() for p in sorted((case / "in").iterdir())}
    options, files, profile_name, answer = split_args(args)
    profile = inputs[profile_name] if profile_name else None
    answer_yes = answer if answer_yes is None else answer_yes
    # A file that is not there cannot be chosen in a browser: the page's run is
    # compared with the command line's run without it.
    files_there = [f for f in files if f in inputs]
    cli_args = [a for a in args if a not in ("--yes", "--no")
                and not (a in files and a not in inputs)]
    cli_args.append("--yes" if answer_yes else "--no")
    want_log, want_files = cli_run(cli, case, cli_args, inputs)

    load(driver, url, profile, inputs.get("table.txt"))
    set_options(driver, options)
    drop(driver, [(name, inputs[name]) for name in files_there])
    page_boxes(driver, start_run(driver), answer_yes)
    log = driver.find_element(By.ID, "log").get_attribute("textContent").encode("utf-8")
    got_files = page_outputs(driver)
    label = "%s (%s)" % (case.name, "Oui" if answer_yes else "Non")
    check(same_log(log, want_log), label + " : le log diffère\n--- page\n%s\n--- cli\n%s"
          % (log.decode("utf-8", "replace"), want_log.decode("utf-8", "replace")))
    check(sorted(got_files) == sorted(want_files),
          label + " : fichiers %s au lieu de %s" % (sorted(got_files), sorted(want_files)))
    for name, data in want_files.items():
        check(got_files.get(name) == data, label + " : octets différents dans " + name)
    print("  %s : %d fichier(s), %d octets de log" % (label, len(got_files), len(log)),
          flush=True)


TAKES_VALUE = ("-s", "--source-sep", "-d", "--dest-sep", "--prefix", "--fixed-length", "--ext",
               "-k", "--column")


def split_args(args):
    """A case's command line: its options, its files, the profile it names, its answer."""
    options, files, profile, answer = [], [], None, False
    i = 0
    while i < len(args):
        arg = args[i]
        if arg.startswith("--profile="):
            profile = arg.split("=", 1)[1]
        elif arg in ("--yes", "--no"):
            answer = arg == "--yes"
        elif arg in TAKES_VALUE:
            options += [arg, args[i + 1]]
            i += 1
        elif arg.startswith("-") and arg != "-":
            options.append(arg)
        else:
            files.append(arg)
        i += 1
    return options, files, profile, answer


def asks_question(case):
    return "Voulez-vous continuer ?" in (case / "stderr").read_text(encoding="utf-8")


def test_quick(driver, url, cli, shots=None):
    load(driver, url)
    driver.find_element(By.ID, "quick-open").click()
    # A known code, an unknown one whose ISIN is computed (a box first), an ISIN,
    # and a text that is neither.
    for typed in ("13000", "3007", "FR0000120271", "ABC"):
        expected = subprocess.run([cli, "code", typed], capture_output=True)
        edit = driver.find_element(By.ID, "quick-text")
        edit.clear()
        edit.send_keys(typed)
        driver.find_element(By.ID, "quick-convert").click()
        time.sleep(0.2)
        box = None
        if driver.execute_script("return document.getElementById('box').open;"):
            box = driver.find_element(By.ID, "box-text").get_attribute("textContent")
            driver.find_element(By.CSS_SELECTOR, "#box-buttons button").click()
            time.sleep(0.1)
        lines = [driver.find_element(By.ID, i).get_attribute("textContent")
                 for i in ("quick-line1", "quick-line2")]
        want_lines = expected.stdout.decode("utf-8").splitlines()
        if want_lines:
            check(lines == want_lines, "conversion rapide de %s : %s au lieu de %s"
                  % (typed, lines, want_lines))
        want_box = expected.stderr.decode("utf-8").strip()
        check((box or "").strip() == want_box,
              "conversion rapide de %s : boîte %r au lieu de %r" % (typed, box, want_box))
        if typed == "3007" and shots is not None:
            driver.save_screenshot(str(shots / "capture-conversion-rapide.png"))
    print("  conversion rapide : 4 textes", flush=True)


def test_zip_and_kept_options(driver, url, downloads, shots):
    load(driver, url)
    set_options(driver, ["-a", "-s", ";", "--ext", ".new.txt"])
    cours = (CASES / "semicolon_to_tab" / "in" / "cours.csv").read_bytes()
    drop(driver, [("a.csv", cours), ("b.csv", cours)])
    page_boxes(driver, start_run(driver), False)
    driver.save_screenshot(str(shots / "capture-page.png"))
    outputs = page_outputs(driver)
    driver.find_element(By.ID, "zip").click()
    archive = downloads / "fichiers-convertis.zip"
    end = time.time() + 30
    while not archive.exists() and time.time() < end:
        time.sleep(0.1)
    check(archive.exists(), "le zip n'a pas été téléchargé")
    if archive.exists():
        time.sleep(0.3)
        with zipfile.ZipFile(io.BytesIO(archive.read_bytes())) as z:
            check(z.namelist() == ["a.csv.new.txt", "b.csv.new.txt"],
                  "le zip contient " + str(z.namelist()))
            for name in z.namelist():
                check(z.read(name) == outputs.get(name), "le zip diffère pour " + name)
    # The options are the same after a reload, as after the window's next start.
    driver.refresh()
    wait_for(driver, "return document.body.dataset.ready === '1';")
    kept = driver.execute_script("""
        const f = document.getElementById('options');
        return [f.ValeursConnuesOnly.checked, f.SourceTabulation.value,
                f.SeparateurSource.value, f.ExtensionDestination.value];""")
    check(kept == [False, "0", ";", ".new.txt"], "options après rechargement : " + str(kept))
    print("  zip de 2 fichiers, options gardées", flush=True)


def test_table(driver, url, cli):
    """A table chosen with the page's button or dropped on its frame: said as
    quelvane-cli table says it, kept."""
    source = ROOT / "examples" / "table.txt"
    load(driver, url)
    with tempfile.TemporaryDirectory() as folder:
        shutil.copy(source, Path(folder) / "table.txt")
        want = subprocess.run([cli, "table"], cwd=folder, capture_output=True).stdout
        chooser = driver.find_element(By.ID, "table-chooser")
        driver.execute_script("arguments[0].hidden = false;", chooser)
        chooser.send_keys(str(Path(folder) / "table.txt"))
        said = wait_for(driver, "return document.getElementById('table-report').textContent;")
    check(said.encode("utf-8") == want, "table.txt : %r au lieu de %r" % (said, want))
    # Removed, then dropped on its frame: the table again, and no file to convert.
    driver.find_element(By.ID, "table-remove").click()
    wait_for(driver, "return document.getElementById('table-report').hidden;")
    driver.execute_script(DROP.replace("document.body", "document.getElementById('table')"),
                          ["table.txt"], [base64.b64encode(source.read_bytes()).decode()])
    dropped = wait_for(driver, "return document.getElementById('table-report').textContent;")
    check(dropped == said, "table.txt déposée : %r au lieu de %r" % (dropped, said))
    check(driver.execute_script("return document.querySelectorAll('#selection li').length;") == 0,
          "table.txt déposée : prise pour un fichier à traiter")
    driver.refresh()
    wait_for(driver, "return document.body.dataset.ready === '1';")
    kept = wait_for(driver, "return document.getElementById('table-report').textContent;")
    check(kept == said, "table.txt n'est pas gardée au rechargement")
    print("  table.txt : %d lignes dites, gardée" % said.count("\n"), flush=True)


def test_bad_input(driver, url, cli):
    """Not text, empty, a huge line: the page says what the command line says."""
    cases = {
        "binaire.txt": bytes(range(256)) * 64,
        "vide.txt": b"",
        "longue.txt": b"13000\t" + b"x" * (3 << 20) + b"\n13000\t1\n",
    }
    load(driver, url)
    drop(driver, list(cases.items()))
    page_boxes(driver, start_run(driver), False)
    log = driver.find_element(By.ID, "log").get_attribute("textContent").encode("utf-8")
    want_log, want_files = cli_run(cli, None, list(cases) + ["--no"], cases)
    check(same_log(log, want_log), "entrées difficiles : le log diffère\n" + log.decode("utf-8", "replace"))
    got = page_outputs(driver)
    check(got == want_files, "entrées difficiles : fichiers %s au lieu de %s"
          % (sorted(got), sorted(want_files)))
    print("  entrées difficiles : %d fichier(s) créé(s)" % len(got), flush=True)

    # Two files of one name from two dropped folders: their outputs would land
    # on each other in the downloads, so the run is refused before it starts.
    load(driver, url)
    drop(driver, [("avril/cours.txt", b"13000\t1\r\n"), ("mai/cours.txt", b"13000\t2\r\n")])
    driver.find_element(By.ID, "process").click()
    refused = wait_for(driver, "return document.getElementById('box').open && "
                               "document.getElementById('box-text').textContent;")
    check("« avril/cours.txt » et « mai/cours.txt » ont le même nom" in refused,
          "même nom : " + refused)
    driver.find_element(By.CSS_SELECTOR, "#box-buttons button").click()
    check(driver.execute_script("return document.body.dataset.runs === undefined;"),
          "même nom : le traitement a eu lieu")
    # One of them alone: converted under the path it has in its folder.
    inside = {"avril/cours.txt": (CASES / "sicovam_defaults" / "in" / "cours.txt").read_bytes()}
    load(driver, url)
    drop(driver, list(inside.items()))
    page_boxes(driver, start_run(driver), False)
    want_log, want_files = cli_run(cli, None, list(inside) + ["--no"], inside)
    log = driver.find_element(By.ID, "log").get_attribute("textContent").encode("utf-8")
    check(same_log(log, want_log), "dossier déposé : le log diffère\n" + log.decode("utf-8", "replace"))
    check(page_outputs(driver) == want_files, "dossier déposé : fichiers différents")

    # A file larger than one piece of the worker's reading (16 MiB), chosen from
    # the disk: lines that straddle two pieces come out whole.
    with tempfile.TemporaryDirectory() as folder:
        big = Path(folder) / "gros.txt"
        lines = (CASES / "semicolon_to_tab" / "in" / "cours.csv").read_bytes()
        big.write_bytes(lines * ((17 << 20) // len(lines) + 1))
        load(driver, url)
        set_options(driver, ["-a", "-s", ";"])
        chooser = driver.find_element(By.ID, "chooser")
        driver.execute_script("arguments[0].hidden = false;", chooser)
        chooser.send_keys(str(big))
        wait_for(driver, "return document.querySelectorAll('#selection li').length === 1;")
        page_boxes(driver, start_run(driver), False)
        want_log, want_files = cli_run(cli, None, ["-a", "-s", ";", "gros.txt"],
                                       {"gros.txt": big.read_bytes()})
    log = driver.find_element(By.ID, "log").get_attribute("textContent").encode("utf-8")
    check(log == want_log, "fichier de 17 Mio : le log diffère\n" + log.decode("utf-8", "replace"))
    check(page_outputs(driver) == want_files, "fichier de 17 Mio : octets différents")

    # A file chosen, then gone or rewritten before the run: the browser cannot
    # read it any more; the log says so and nothing is offered for it.
    quotes = (CASES / "sicovam_defaults" / "in" / "cours.txt").read_bytes()
    for what, change in (("supprimé", Path.unlink),
                         ("récrit", lambda path: path.write_bytes(quotes.replace(b"1", b"2")))):
        load(driver, url)
        with tempfile.TemporaryDirectory() as folder:
            changed = Path(folder) / "parti.txt"
            changed.write_bytes(quotes)
            chooser = driver.find_element(By.ID, "chooser")
            driver.execute_script("arguments[0].hidden = false;", chooser)
            chooser.send_keys(str(changed))
            wait_for(driver, "return document.querySelectorAll('#selection li').length === 1;")
            # Long enough for the page to have read it ahead: what was read
            # before the change is not converted either.
            time.sleep(0.5)
            change(changed)
            page_boxes(driver, start_run(driver), False)
        log = driver.find_element(By.ID, "log").get_attribute("textContent")
        check("==> Traitement fichier 'parti.txt'\n  WARNING -> Erreur de lecture du fichier !"
              in log, "fichier %s : %s" % (what, log))
        check(page_outputs(driver) == {}, "fichier %s : un fichier est proposé" % what)


DIGESTS = """
const done = arguments[arguments.length - 1];
Promise.all([...document.querySelectorAll('#outputs a')].map(a =>
  fetch(a.href).then(r => r.arrayBuffer()).then(b => crypto.subtle.digest('SHA-256', b)).then(d =>
    [a.download, [...new Uint8Array(d)].map(x => x.toString(16).padStart(2, '0')).join('')])))
  .then(done);
"""


def test_read_before(driver, url, cli):
    """A selection larger than what the worker reads before its run (128 MiB): the
    files wholly inside it, the one it ends in, and those past it convert alike."""
    lines = (CASES / "semicolon_to_tab" / "in" / "cours.csv").read_bytes()
    names = ["gros%d.txt" % i for i in range(1, 10)]
    with tempfile.TemporaryDirectory() as folder:
        body = lines * ((17 << 20) // len(lines) + 1)
        # Each file shifted by a few bytes of its own: a piece read for one and
        # handed to another would show.
        for i, name in enumerate(names):
            (Path(folder) / name).write_bytes(b"9" * i + body)
        load(driver, url)
        set_options(driver, ["-a", "-s", ";"])
        chooser = driver.find_element(By.ID, "chooser")
        driver.execute_script("arguments[0].hidden = false;", chooser)
        chooser.send_keys("\n".join(str(Path(folder) / name) for name in names))
        wait_for(driver, "return document.querySelectorAll('#selection li').length === 9;")
        page_boxes(driver, start_run(driver), False)
        want_log = subprocess.run([cli, "convert", "-a", "-s", ";"] + names, cwd=folder,
                                  capture_output=True, stdin=subprocess.DEVNULL).stdout
        want = {name + ".new": hashlib.sha256((Path(folder) / (name + ".new")).read_bytes())
                .hexdigest() for name in names}
    log = driver.find_element(By.ID, "log").get_attribute("textContent").encode("utf-8")
    check(log == want_log, "9 fichiers de 17 Mio : le log diffère\n" + log.decode("utf-8", "replace"))
    got = dict(driver.execute_async_script(DIGESTS))
    check(got == want, "9 fichiers de 17 Mio : octets différents dans %s"
          % sorted(name for name in want if got.get(name) != want[name]))
    print("  9 fichiers de 17 Mio : lus avant le traitement ou pendant", flush=True)


def test_engine_refused(driver, build):
    """A browser that cannot compile the engine (one without WebAssembly's
    vectors): the page says so, and what to use instead, rather than wait."""
    with tempfile.TemporaryDirectory() as folder:
        for name in ("index.html", "quelvane.css", "page.js", "quelvane-worker.js"):
            shutil.copy(build / name, folder)
        worker = Path(folder) / "quelvane-worker.js"
        # A module cut short after its header, as such a browser finds the real one.
        text, count = re.subn(r'var kEngineWasm = \\"[A-Za-z0-9+/=]*\\"',
                              r'var kEngineWasm = \\"AGFzbQEAAAAF\\"', worker.read_text())
        check(count == 1, "le moteur n'est pas dans quelvane-worker.js")
        worker.write_text(text)
        driver.get((Path(folder) / "index.html").as_uri())
        said = wait_for(driver, "return document.getElementById('box').open && "
                                "document.getElementById('box-text').textContent;")
        check("Ce navigateur ne peut pas faire tourner le moteur de conversion" in said,
              "moteur refusé : " + said)
        check(driver.find_element(By.ID, "process").get_property("disabled"),
              "moteur refusé : le bouton de traitement reste actif")
        driver.find_element(By.CSS_SELECTOR, "#box-buttons button").click()
    driver.get_log("browser")  # the refusal the console tells of is this test's own
    print("  moteur refusé par le navigateur : dit", flush=True)


def print_console(driver):
    """What the browser's console said since it was last looked at."""
    for entry in driver.get_log("browser"):
        if entry["level"] in ("SEVERE", "WARNING"):
            print("  console :", entry["message"])


def test_from_disk(driver, build, cli):
    """The page opened from the disk, as a user double-clicks index.html: its
    worker starts, it converts, asks its question and converts one code, as
    when it is served."""
    print_console(driver)
    url = (build / "index.html").as_uri()
    print("  depuis le disque (file://) :", flush=True)
    for case, answer_yes in (("sicovam_defaults", None), ("separator_set_question", True)):
        run_case(driver, url, cli, CASES / case, answer_yes)
    test_quick(driver, url, cli)
    # Nothing the page asked for was refused.
    refused = [e["message"] for e in driver.get_log("browser") if e["level"] == "SEVERE"]
    check(refused == [], "depuis le disque, refusé par le navigateur : %s" % refused)
    print("  depuis le disque (file://) : les cas ci-dessus", flush=True)


def main():
    build, cli = Path(sys.argv[1]).resolve(), str(Path(sys.argv[2]).resolve())
    server = serve(build)
    url = "http://127.0.0.1:%d/index.html" % server.server_address[1]
    downloads = Path(tempfile.mkdtemp(prefix="quelvane-downloads-"))
    driver = start_browser(downloads)
    started = time.time()
    try:
        print("Chromium", driver.capabilities.get("browserVersion"), flush=True)
        for case in sorted(CASES.iterdir()):
            run_case(driver, url, cli, case)
            if asks_question(case):
                args = (case / "args").read_text(encoding="utf-8").splitlines()
                run_case(driver, url, cli, case, answer_yes="--no" in args)
        test_quick(driver, url, cli, build)
        test_zip_and_kept_options(driver, url, downloads, build)
        test_table(driver, url, cli)
        test_bad_input(driver, url, cli)
        test_read_before(driver, url, cli)
        test_from_disk(driver, build, cli)
        test_engine_refused(driver, build)
    finally:
        print_console(driver)
        driver.quit()
        server.shutdown()
        shutil.rmtree(downloads, ignore_errors=True)
    print("%.1f s" % (time.time() - started))
    if failures:
        print("%d échec(s)" % len(failures))
        return 1
    print("La page donne les octets et le log de quelvane-cli.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
