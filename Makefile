# The two commands that do everything on a fresh Debian machine: make run, make test.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
BENCH_BUILD ?= build-release
PACKAGE_BUILD ?= build-package
WINDOWS_BUILD ?= build-windows
WEB_BUILD ?= build-web
FUZZ_SECONDS ?= 60
BENCH_FILE_COUNTS ?= 1000 30000 100000
# Each build is configured by its preset of CMakePresets.json, which holds its
# generator and cache variables; the folders above only let a build move.

.PHONY: all deps build run test test-asan gui bench fuzz tidy format format-check install package package-check clean \
        windows test-windows package-windows web test-web bench-web package-web

all: build

deps:
	@scripts/install-deps

build: deps
	cmake --preset dev -B $(BUILD)
	cmake --build $(BUILD)

run: build
	@scripts/run-examples $(BUILD)

# The fuzz targets are built with clang and run a short while each, so that a
# break for one compiler cannot land unseen.
TEST_FUZZ_SECONDS ?= 20

test: build format-check
	cd $(BUILD) && ctest --output-on-failure -j2
	$(MAKE) --no-print-directory test-asan
	$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=$(TEST_FUZZ_SECONDS)
	$(MAKE) --no-print-directory test-windows
	$(MAKE) --no-print-directory test-web

test-asan: deps
	cmake --preset asan -B $(ASAN_BUILD)
	cmake --build $(ASAN_BUILD)
	cd $(ASAN_BUILD) && ctest --output-on-failure -j2

gui: build
	$(BUILD)/ui/quelvane

# The window's run beside the command line's needs the window's test machinery,
# which the dev build has.
bench: build
	cmake --preset release -B $(BENCH_BUILD)
	cmake --build $(BENCH_BUILD)
	@bench/run-benchmarks $(BENCH_BUILD)
	@bench/many-files $(BENCH_BUILD) $(BENCH_FILE_COUNTS)
	@QT_QPA_PLATFORM=offscreen $(BUILD)/tests/ui/window_speed --gtest_brief=1

fuzz: deps
	cmake --preset fuzz -B $(FUZZ_BUILD)
	cmake --build $(FUZZ_BUILD) --target quelvane_fuzzers -j2
	@tests/fuzz/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

# clang-tidy over the project's sources, with the checks of .clang-tidy.
tidy: build
	run-clang-tidy -p $(BUILD) -quiet '$(CURDIR)/(core|run|cli|platform|ui|res|tests)/'

# The C++ sources clang-format would change: format-check fails on any, format fixes them.
SOURCES = $(shell git ls-files '*.cpp' '*.h')

format-check: deps
	@clang-format --dry-run --Werror $(SOURCES)

format: deps
	@clang-format -i $(SOURCES)

install: build
	cmake --install $(BUILD)

# The Debian package, from a Release build of its own: quelvane_VERSION-1_ARCH.deb.
VERSION := $(shell sed -n 's/^project.quelvane VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
DEB     := $(PACKAGE_BUILD)/quelvane_$(VERSION)-1_$(shell dpkg --print-architecture).deb

# Compiled with Debian's hardening flags, as Debian's own tools would build it.
DEB_FLAGS = DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get

package: deps
	cmake --preset package -B $(PACKAGE_BUILD) \
	  -DCMAKE_CXX_FLAGS="$$($(DEB_FLAGS) CPPFLAGS) $$($(DEB_FLAGS) CXXFLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$$($(DEB_FLAGS) LDFLAGS)"
	cmake --build $(PACKAGE_BUILD) -j2
	cd $(PACKAGE_BUILD) && cpack -G DEB
	@echo "Paquet : $(DEB)"

package-check: package
	scripts/check-package $(DEB)

# Windows (64-bit), cross-built with mingw-w64 and statically linked: both
# programs, the desktop one native Win32. Its tests run under wine; the window
# tests on an Xvfb display their CTest fixture starts.
windows: deps
	cmake --preset windows -B $(WINDOWS_BUILD)
	cmake --build $(WINDOWS_BUILD) -j2

test-windows: windows
	cmake --build $(WINDOWS_BUILD) --target installer_windows
	scripts/wine-tests $(WINDOWS_BUILD) -j2

package-windows: windows
	cmake --build $(WINDOWS_BUILD) --target installer_windows
	@echo "Paquet : $(WINDOWS_BUILD)/quelvane-$(VERSION)-win64.zip"
	@echo "Installateur : $(WINDOWS_BUILD)/quelvane-$(VERSION)-win64-setup.exe"

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(BENCH_BUILD) $(PACKAGE_BUILD) $(WINDOWS_BUILD) $(WEB_BUILD)

# The web page (WebAssembly), built with Debian's Emscripten into $(WEB_BUILD):
# a static folder for any web server. Its zip writer comes from npm, installed
# from web/package-lock.json. Emscripten's tools find Debian's acorn on NODE_PATH.
WEB_ENV = NODE_PATH=/usr/share/nodejs
web: deps
	mkdir -p $(WEB_BUILD)/npm
	cp web/package.json web/package-lock.json $(WEB_BUILD)/npm/
	cd $(WEB_BUILD)/npm && npm ci --no-audit --no-fund --silent
	$(WEB_ENV) cmake --preset web -B $(WEB_BUILD)
	$(WEB_ENV) cmake --build $(WEB_BUILD) -j2

# The page in Debian's headless Chromium: the golden cases give the command
# line's bytes and log.
test-web: web build
	$(WEB_ENV) node $(WEB_BUILD)/web/memchr-test.js
	/usr/bin/python3 web/test_page.py $(WEB_BUILD) $(BUILD)/cli/quelvane-cli

# The page's speed beside quelvane-cli's on a 100 MiB quote file, and the size of
# its first load.
bench-web: web
	cmake --preset release -B $(BENCH_BUILD)
	cmake --build $(BENCH_BUILD) --target quelvane-cli gen_quotes -j2
	bench/web-speed $(WEB_BUILD) $(BENCH_BUILD)

package-web: web
	cd $(WEB_BUILD) && rm -f quelvane-$(VERSION)-web.zip && \
	  cmake -E tar cf quelvane-$(VERSION)-web.zip --format=zip index.html quelvane.css page.js \
	    quelvane-worker.js fflate-LICENSE.txt
	@echo "Paquet : $(WEB_BUILD)/quelvane-$(VERSION)-web.zip"
