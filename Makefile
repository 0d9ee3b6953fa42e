# Quillmere: the entry points. Each build lives in its own folder under build/.
#   make demo    build the native core and the preview, and run the demo
#   make test    install what is missing, build everything, run every test stage

BUILD     := build
WIN_BUILD ?= $(BUILD)/win
CONFIGURE := cmake -S . -G Ninja -Wno-dev

# Ninja runs the jobs in parallel; the targets themselves go one after another.
.NOTPARALLEL:
.PHONY: all deps native asan win fuzz-build test demo clean

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

# The demo keeps its sessions in a fresh folder each time, never in the user's own: first the
# storage walk-through, natively; then the session manager window, from the Windows build's
# preview program alone, in that build's private Wine prefix.
demo: deps native
	rm -rf $(BUILD)/demo/data
	mkdir -p $(BUILD)/demo/data
	XDG_DATA_HOME=$(CURDIR)/$(BUILD)/demo/data $(BUILD)/native/tools/demo/quillmere-demo
	$(WIN_CONFIGURE)
	cmake --build $(WIN_BUILD) --target quillmere-preview
	tools/preview/demo.sh $(BUILD) $(WIN_BUILD)

clean:
	rm -rf $(BUILD)
