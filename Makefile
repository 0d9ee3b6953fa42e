# Quillmere: the entry points. Each build lives in its own folder under build/.
#   make demo    the storage walk-through and the command, then the add-on in the stand-in browser
#   make test    install what is missing, build everything, run every test stage
#   make package build/package/QuillmereSetup.exe, the installer
#   make bench   the storage benchmarks, natively and (the reader's memory) under Wine
#   make screenshots  pictures of the session manager window in build/screenshots
#   make fuzz    the fuzz targets for FUZZ_SECONDS each (default 600), then the replay

BUILD     := build
WIN_BUILD ?= $(BUILD)/win
CONFIGURE := cmake -S . -G Ninja -Wno-dev

# Ninja runs the jobs in parallel; the targets themselves go one after another.
.NOTPARALLEL:
.PHONY: all deps native asan win fuzz-build fuzz test demo screenshots package bench clean

all: native

deps:
	tools/install-deps.sh

native:
	$(CONFIGURE) -B $(BUILD)/native -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD)/native

asan:
	$(CONFIGURE) -B $(BUILD)/asan -DCMAKE_BUILD_TYPE=Debug -DQLMR_SANITIZE=ON
	cmake --build $(BUILD)/asan

WIN_CONFIGURE := $(CONFIGURE) -B $(WIN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	-DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake

win:
	$(WIN_CONFIGURE)
	cmake --build $(WIN_BUILD)

fuzz-build:
	CC=clang CXX=clang++ $(CONFIGURE) -B $(BUILD)/fuzz -DCMAKE_BUILD_TYPE=Debug -DQLMR_FUZZ=ON
	cmake --build $(BUILD)/fuzz

test: deps native asan win fuzz-build
	tools/run-tests.sh

FUZZ_SECONDS ?= 600
fuzz: deps fuzz-build
	FUZZ_SECONDS=$(FUZZ_SECONDS) tools/run-tests.sh fuzz replay

# A tour of the window in the Windows build's prefix: Sessions, About, high contrast, name dialog.
screenshots: deps
	$(WIN_CONFIGURE)
	cmake --build $(WIN_BUILD) --target quillmere-preview quillmere-example-sessions
	demo/screenshots.sh $(WIN_BUILD)

# The demo keeps its sessions in a fresh folder each time, never in the user's own: first the
# storage walk-through and the quillmere command, natively; then Quillmere.dll registered in a
# Wine prefix of the demo's own, the stand-in browser started, and its Tools > "&Quillmere..."
# picked. Everything is built first; demo/demo.sh only runs it.
demo: deps native
	$(WIN_CONFIGURE)
	cmake --build $(WIN_BUILD) --target quillmere-addon-demo
	demo/demo.sh $(BUILD)/native $(WIN_BUILD)

# The installer of the x64 and the x86 DLL, made in the Windows build (which builds the x86 DLL
# in a folder of its own below it).
package: deps
	$(WIN_CONFIGURE) -DQLMR_PACKAGE_DIR=$(CURDIR)/$(BUILD)/package
	cmake --build $(WIN_BUILD) --target qlmr_installer

# Every storage figure and its ratio natively, in one run of Google Benchmark (a corpus of 1,000
# session files is made once under the native build and kept), then the reader's memory figure of
# the Windows build under Wine, where only that one program is built. NATIVE_BUILD names another
# native tree; BENCH_ARGS go to the native program, e.g. BENCH_ARGS=--benchmark_filter=catalogue.
NATIVE_BUILD ?= $(BUILD)/native
bench: deps
	$(CONFIGURE) -B $(NATIVE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(NATIVE_BUILD)
	$(WIN_CONFIGURE)
	cmake --build $(WIN_BUILD) --target reader_memory
	tools/run-bench.sh $(NATIVE_BUILD) $(WIN_BUILD) $(BENCH_ARGS)

clean:
	rm -rf $(BUILD)
