# The two commands of the README, plus benchmarks and sanitizer builds.
BUILD      ?= build
BENCHBUILD ?= build-bench
SANBUILD   ?= build-sanitize
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja

.PHONY: deps build test run bench sanitize clean

deps:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja: CMakeLists.txt
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600

run: deps $(BUILD)/build.ninja
	@JOBS=$(JOBS) bash scripts/run.sh $(BUILD)

bench: deps
	cmake -S . -B $(BENCHBUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DLYRICFORGE_BENCH=ON -DLYRICFORGE_GUI=OFF
	cmake --build $(BENCHBUILD) -j $(JOBS) --target benchmarks lyricforge-cli
	@bash scripts/run-benchmarks.sh $(BENCHBUILD)

# Tests (the randomized ones included) under AddressSanitizer and UBSan.
sanitize: deps
	cmake -S . -B $(SANBUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DLYRICFORGE_SANITIZE=ON -DLYRICFORGE_GUI=OFF
	cmake --build $(SANBUILD) -j $(JOBS)
	cd $(SANBUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) $(BENCHBUILD) $(SANBUILD)
