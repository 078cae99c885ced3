# The two commands that do everything on a fresh Debian machine: make run, make test.
# Each build is its preset of CMakePresets.json: its folder, generator, cache
# variables, targets and jobs are written there and nowhere else. The names
# below are those folders, for the commands that use what a build made.
BUILD         := build
ASAN_BUILD    := build-asan
FUZZ_BUILD    := build-fuzz
BENCH_BUILD   := build-release
PACKAGE_BUILD := build-package
WINDOWS_BUILD := build-windows
WEB_BUILD     := build-web
FUZZ_SECONDS ?= 60
BENCH_FILE_COUNTS ?= 1000 30000 100000

.PHONY: all deps build run test test-asan gui bench fuzz tidy format format-check install package package-check clean \
        windows test-windows package-windows web test-web bench-web package-web

all: build

deps:
	@scripts/install-deps

build: deps
	cmake --preset dev
	cmake --build --preset dev

run: build
	@scripts/run-examples $(BUILD)

# The fuzz targets are built with clang and run a short while each, so that a
# break for one compiler cannot land unseen.
TEST_FUZZ_SECONDS ?= 20

test: build format-check
	ctest --preset dev
	$(MAKE) --no-print-directory test-asan
	$(MAKE) --no-print-directory fuzz FUZZ_SECONDS=$(TEST_FUZZ_SECONDS)
	$(MAKE) --no-print-directory test-windows
	$(MAKE) --no-print-directory test-web

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

gui: build
	$(BUILD)/ui/quelvane

# The window's run beside the command line's needs the window's test machinery,
# which the dev build has.
bench: build
	cmake --preset release
	cmake --build --preset release
	@bench/run-benchmarks $(BENCH_BUILD)
	@bench/many-files $(BENCH_BUILD) $(BENCH_FILE_COUNTS)
	@QT_QPA_PLATFORM=offscreen $(BUILD)/tests/ui/window_speed --gtest_brief=1

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
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

# The Debian package, from a Release build of its own with the hardening flags
# Debian builds its packages with (its preset): quelvane_VERSION-1_ARCH.deb,
# VERSION being the one project() gives.
VERSION = $(shell sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' $(1)/CMakeCache.txt)
DEB     = $(PACKAGE_BUILD)/quelvane_$(call VERSION,$(PACKAGE_BUILD))-1_$(shell dpkg --print-architecture).deb

package: deps
	cmake --preset package
	cmake --build --preset package
	cpack --preset package
	@echo "Paquet : $(DEB)"

package-check: package
	scripts/check-package $(DEB)

# Windows (64-bit), cross-built with mingw-w64 and statically linked: both
# programs, the desktop one native Win32. Its tests run under wine; the window
# tests on an Xvfb display their CTest fixture starts.
windows: deps
	cmake --preset windows
	cmake --build --preset windows

test-windows: windows
	cmake --build --preset windows-installer
	scripts/wine-tests $(WINDOWS_BUILD) -j2

package-windows: windows
	cmake --build --preset windows-installer
	@echo "Paquet : $(WINDOWS_BUILD)/quelvane-$(call VERSION,$(WINDOWS_BUILD))-win64.zip"
	@echo "Installateur : $(WINDOWS_BUILD)/quelvane-$(call VERSION,$(WINDOWS_BUILD))-win64-setup.exe"

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
	$(WEB_ENV) cmake --preset web
	$(WEB_ENV) cmake --build --preset web

# The page in Debian's headless Chromium: the golden cases give the command
# line's bytes and log.
test-web: web build
	$(WEB_ENV) node $(WEB_BUILD)/web/memchr-test.js
	/usr/bin/python3 web/test_page.py $(WEB_BUILD) $(BUILD)/cli/quelvane-cli

# The page's speed beside quelvane-cli's on a 100 MiB quote file, and the size of
# its first load.
bench-web: web
	cmake --preset release
	cmake --build --preset release
	bench/web-speed $(WEB_BUILD) $(BENCH_BUILD)

package-web: web
	$(WEB_ENV) cmake --build --preset web-zip
