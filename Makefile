# The two commands of the README, plus benchmarks and sanitizer builds.
BUILD      ?= build
BENCHBUILD ?= build-bench
SANBUILD   ?= build-sanitize
TSANBUILD  ?= build-tsan
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja

.PHONY: deps build test run bench sanitize sanitize-unit tsan package package-check format-check tidy clean

deps:
	@bash scripts/install-deps.sh

# CI passes CMAKE_ARGS=-DLYRICFORGE_WERROR=ON.
CMAKE_ARGS ?=

$(BUILD)/build.ninja: CMakeLists.txt
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS)

build: deps $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600

# The Debian package (build/lyricforge_VERSION_amd64.deb), and the same with
# its checks: AppStream, desktop entry, manual pages, lintian.
package: build
	cmake --build $(BUILD) --target package

package-check: deps
	@bash scripts/package-check.sh $(BUILD)

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
	cd $(SANBUILD) && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$(CURDIR)/scripts/lsan.supp print_suppressions=0" UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# The unit tests alone under the same sanitizers (what CI runs).
sanitize-unit: deps
	cmake -S . -B $(SANBUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DLYRICFORGE_SANITIZE=ON -DLYRICFORGE_GUI=OFF $(CMAKE_ARGS)
	cmake --build $(SANBUILD) -j $(JOBS)
	cd $(SANBUILD) && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS="suppressions=$(CURDIR)/scripts/lsan.supp print_suppressions=0" UBSAN_OPTIONS=print_stacktrace=1 ctest -L unit --output-on-failure -j $(JOBS) --timeout 900

# Every source file as .clang-format lays it out.
format-check: deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror

# .clang-tidy's checks over the core (needs a configured $(BUILD)).
tidy: $(BUILD)/build.ninja
	ls core/*/*.cpp | xargs -P $(JOBS) -n 4 clang-tidy -p $(BUILD) --quiet

# The desktop program's offscreen tests under ThreadSanitizer: the CD+G view
# fed by a thread and by the player while it is resized and let go, with no
# suppressions; the program's flows and pages (the export worker, pictures
# loaded off the interface thread) with scripts/tsan-qt.supp, which names only
# internals of Qt (not built with the sanitizer).
TSAN_RUN = QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
# One processor (the first this shell may use): Qt's painting pool then has one
# thread. A long history keeps the stacks the suppressions are matched against.
TSAN_ONE_CPU = taskset -c "$$(taskset -cp $$$$ | sed 's/.*: //; s/[-,].*//')"
tsan: deps
	cmake -S . -B $(TSANBUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLYRICFORGE_TSAN=ON -DLYRICFORGE_GUI=ON
	cmake --build $(TSANBUILD) -j $(JOBS) --target tests_desktop_app tests_desktop_pages
	$(TSAN_RUN) TSAN_OPTIONS="halt_on_error=1" $(TSANBUILD)/tests/tests_desktop_app --gtest_filter='CdgView.*'
	for program in tests_desktop_app tests_desktop_pages; do \
	  $(TSAN_RUN) TSAN_OPTIONS="suppressions=$(CURDIR)/scripts/tsan-qt.supp halt_on_error=1 history_size=7" \
	    $(TSAN_ONE_CPU) $(TSANBUILD)/tests/$$program --gtest_filter='-CdgView.*' || exit 1; \
	done

clean:
	rm -rf $(BUILD) $(BENCHBUILD) $(SANBUILD) $(TSANBUILD)
