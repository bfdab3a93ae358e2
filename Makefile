# Kelvo's front door: `make run` and `make test` install what is missing, build and go.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
WIN_BUILD  ?= build-win
JOBS       ?= $(shell nproc)
# Seconds each fuzz target runs in make fuzz-long.
FUZZ_LONG_SECONDS ?= 600
CMAKE_GEN  := -G Ninja

.PHONY: all deps configure build run test test-main test-asan test-fuzz fuzz-long bench install package format clean \
        deps-windows windows test-windows package-windows

all: build

deps:
	@./scripts/install-deps.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVO_REQUIRE_ALL=ON

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@./scripts/run.sh $(BUILD)/kelvo

# The Windows suite is part of the test; KELVO_WINDOWS=0 leaves it out. Its first run builds the
# cross Qt (about 45 CPU-minutes) and keeps it for the next.
KELVO_WINDOWS ?= 1
test: deps test-main test-asan test-fuzz $(if $(filter 1,$(KELVO_WINDOWS)),test-windows)

test-main: configure
	cmake --build $(BUILD) -j $(JOBS)
	./scripts/test.sh $(BUILD)

$(ASAN_BUILD)/build.ninja:
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DKELVO_SANITIZE=ON -DKELVO_BENCH=OFF -DKELVO_REQUIRE_ALL=ON

test-asan: deps $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	./scripts/test.sh $(ASAN_BUILD)

$(FUZZ_BUILD)/build.ninja:
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DKELVO_FUZZ=ON -DKELVO_TESTS=OFF -DKELVO_BENCH=OFF -DKELVO_APP=OFF

test-fuzz: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	./scripts/fuzz.sh $(FUZZ_BUILD)

# Every fuzz target for FUZZ_LONG_SECONDS (make fuzz-long FUZZ_LONG_SECONDS=60 for less).
fuzz-long: deps $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	FUZZ_SECONDS=$(FUZZ_LONG_SECONDS) ./scripts/fuzz.sh $(FUZZ_BUILD)

bench: build
	./scripts/bench.sh $(BUILD)

# The Windows program, cross-built; the first run builds the cross Qt (about 45 CPU-minutes) and
# keeps it in $$KELVO_WIN_CACHE (default ~/.cache/kelvo/).
deps-windows:
	@./scripts/install-deps.sh --windows

windows: deps-windows
	./scripts/windows.sh build $(WIN_BUILD)

test-windows: deps-windows
	./scripts/windows.sh test $(WIN_BUILD)

package-windows: deps-windows
	./scripts/windows.sh package $(WIN_BUILD)

install: build
	cmake --install $(BUILD)

package: build
	cd $(BUILD) && cpack -B package

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD) $(WIN_BUILD)
