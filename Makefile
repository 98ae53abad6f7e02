# Velta II developer entry points. `make run` shows the saver, `make test` runs every test.
# build/ holds the Windows saver (cross-built), build-linux/ the Linux program (native),
# build-web/ the browser page (Emscripten), build-win32/ the 32-bit Windows saver.
BUILD ?= build
BUILD32 ?= build-win32
LINUX_BUILD ?= build-linux
WEB_BUILD ?= build-web
JOBS ?= 2
# Minutes of the Linux long run in `make bench`; the hour-long one is LINUX_SOAK_MINUTES=60.
LINUX_SOAK_MINUTES ?= 3

.PHONY: all deps build run test unit bench dist deb web fuzz format clean

all: build

deps:
	@tools/install_deps.sh

# The 64-bit tree's installer carries the 32-bit tree's saver too.
$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
	    -DVELTA_LINUX_VELTA2=$(abspath $(LINUX_BUILD))/linux/velta2 \
	    -DVELTA_SCR32=$(abspath $(BUILD32))/velta2.scr

$(BUILD32)/CMakeCache.txt:
	cmake -S . -B $(BUILD32) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake \
	    -DVELTA_LINUX_VELTA2=$(abspath $(LINUX_BUILD))/linux/velta2

$(LINUX_BUILD)/CMakeCache.txt:
	cmake -S . -B $(LINUX_BUILD)

# The web tests compare with the native build's velta2 and call log.
$(WEB_BUILD)/CMakeCache.txt:
	cmake -S . -B $(WEB_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/emscripten.cmake \
	    -DVELTA_LINUX_BUILD=$(abspath $(LINUX_BUILD))

build: deps $(BUILD)/CMakeCache.txt $(BUILD32)/CMakeCache.txt $(LINUX_BUILD)/CMakeCache.txt \
    $(WEB_BUILD)/CMakeCache.txt
	cmake --build $(LINUX_BUILD) -j$(JOBS)
	cmake --build $(BUILD32) -j$(JOBS)
	cmake --build $(BUILD) -j$(JOBS)
	cmake --build $(WEB_BUILD) -j$(JOBS)

run: build
	BUILD=$(BUILD) tools/run_saver.sh

# The system-test entries are independent (each its own Xvfb, sound server, browser profile and,
# for Windows, Wine prefix and server), so they run two at once. Every tree runs, also after a
# failure in another; the last lines name every failing entry.
test: build
	tools/run_tests.sh $(JOBS) $(LINUX_BUILD) $(WEB_BUILD) $(BUILD) $(BUILD32)

# Unit tests only: quick iteration without the display-driven system tests.
unit: build
	tools/run_tests.sh 1 $(LINUX_BUILD) $(WEB_BUILD) $(BUILD) $(BUILD32) -- -L unit

bench: build
	BUILD=$(BUILD) /usr/bin/python3 tools/bench.py
	/usr/bin/python3 tools/bench_scenes.py --build $(BUILD)
	BUILD=$(BUILD) /usr/bin/python3 tools/music_bench.py
	BUILD=$(BUILD) /usr/bin/python3 tools/sound_loss_bench.py
	BUILD=$(BUILD) /usr/bin/python3 tools/cpu_bench.py
	BUILD=$(BUILD) /usr/bin/python3 tools/desktop_bench.py
	BUILD=$(BUILD) LINUX_BUILD=$(LINUX_BUILD) /usr/bin/python3 tools/linux_bench.py
	WEB_BUILD=$(WEB_BUILD) LINUX_BUILD=$(LINUX_BUILD) /usr/bin/python3 tools/web_bench.py
	LINUX_BUILD=$(LINUX_BUILD) /usr/bin/python3 tools/linux_soak.py $(LINUX_SOAK_MINUTES)

# The savers and their installer, ready to hand out: dist/velta2.scr (64-bit),
# dist/32-bit/velta2.scr and dist/velta2-setup.exe, which installs the right one.
dist: build
	mkdir -p dist/32-bit
	cp $(BUILD)/velta2.scr $(BUILD)/velta2-setup.exe dist/
	cp $(BUILD32)/velta2.scr dist/32-bit/
	@echo "dist/velta2.scr dist/32-bit/velta2.scr dist/velta2-setup.exe"

# The Linux program's Debian package, dist/velta2_VERSION_ARCH.deb, from the Linux build alone.
deb: deps $(LINUX_BUILD)/CMakeCache.txt
	cmake --build $(LINUX_BUILD) -j$(JOBS)
	rm -f $(LINUX_BUILD)/velta2_*.deb dist/velta2_*.deb
	cd $(LINUX_BUILD) && cpack -G DEB
	mkdir -p dist
	cp $(LINUX_BUILD)/velta2_*.deb dist/
	@ls dist/velta2_*.deb

# The browser page, dist/web/: index.html, velta2.js, the gallery and its pictures, the manifest,
# worker and icons; and the page for the desktop hosts, dist/velta2-lively.zip and
# dist/velta2-wallpaper-engine/.
web: deps $(WEB_BUILD)/CMakeCache.txt
	cmake --build $(WEB_BUILD) -j$(JOBS) --target web_page
	rm -rf dist/web dist/velta2-wallpaper-engine
	mkdir -p dist
	cp -r $(WEB_BUILD)/dist-web dist/web
	cp -r $(WEB_BUILD)/velta2-wallpaper-engine $(WEB_BUILD)/velta2-lively.zip dist/
	@echo "dist/web/index.html dist/velta2-lively.zip dist/velta2-wallpaper-engine/"

# Fuzzes the decoders, the Linux settings file reader and the Linux option parser natively with
# sanitizers for a bounded time (FUZZ_SECONDS each), or FUZZ_RUNS runs each.
fuzz: deps
	tools/fuzz.sh

format:
	clang-format -i $$(git ls-files '*.cpp' '*.h')

clean:
	rm -rf $(BUILD) $(BUILD32) $(LINUX_BUILD) $(WEB_BUILD) build-fuzz dist
