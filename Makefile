# make run   install what is missing, build, start the program
# make test  install what is missing, build, run every test (also under the sanitizers)
# make bench build and run the benchmarks
# make fuzz  build the fuzz targets (clang) and let each search for a minute
# make test-arm64  build the solver and its tests for arm64, run them under qemu-user

JOBS      ?= $(shell nproc)
BUILD     ?= build
ASAN      ?= build-asan
ARM64     ?= build-arm64
BENCH     ?= build-bench
FUZZ      ?= build-fuzz
# How long `make fuzz` lets each target search, in seconds.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := projectfile options solver
CMAKE_GEN := -G Ninja
XVFB      := tools/with-xvfb.sh
# Mesa's software renderer draws the same pixels on every machine.
TEST_ENV  := LIBGL_ALWAYS_SOFTWARE=1 QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8

.PHONY: all deps build build-asan build-fuzz run test test-gui test-asan test-arm64 bench fuzz clean

all: build

deps:
	@bash tools/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DVELK_GUI=OFF -DVELK_SANITIZE=ON
	cmake --build $(ASAN) -j $(JOBS)

build-fuzz: deps
	cmake -S . -B $(FUZZ) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELK_GUI=OFF -DVELK_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ) -j $(JOBS)

run: build
	./$(BUILD)/velk

test: build build-asan build-fuzz
	$(TEST_ENV) $(XVFB) ctest --test-dir $(BUILD) --output-on-failure --timeout 300 -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN) --output-on-failure --timeout 300 -j $(JOBS)
	ctest --test-dir $(FUZZ) --output-on-failure --timeout 300 -j $(JOBS)
	bash tools/arm64-test.sh $(ARM64)

# The platform, model and solver libraries and their tests built for arm64
# and run under qemu-user (part of `make test`).
test-arm64: deps
	bash tools/arm64-test.sh $(ARM64)

# New inputs go to $(FUZZ)/corpus, inputs that fail to $(FUZZ)/findings; the
# committed seeds in tests/fuzz/corpus are read, never written.
fuzz: build-fuzz
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ)/corpus/$$t $(FUZZ)/findings/$$t; \
	  echo "fuzzing $$t for $(FUZZ_SECONDS) s"; \
	  ./$(FUZZ)/tests/fuzz/velk_fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
	    -print_final_stats=1 -artifact_prefix=$(FUZZ)/findings/$$t/ \
	    $(FUZZ)/corpus/$$t tests/fuzz/corpus/$$t > $(FUZZ)/fuzz-$$t.log 2>&1 \
	    || { tail -40 $(FUZZ)/fuzz-$$t.log; exit 1; }; \
	  grep -E '^stat::number_of_executed_units' $(FUZZ)/fuzz-$$t.log; \
	done

bench: deps
	cmake -S . -B $(BENCH) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DVELK_BENCH=ON -DVELK_GUI=ON
	cmake --build $(BENCH) -j $(JOBS)
	bash bench/run.sh $(BENCH)

clean:
	rm -rf $(BUILD) $(ASAN) $(BENCH) $(FUZZ) $(ARM64)
