# make run   install what is missing, build, start the program
# make test  install what is missing, build, run every test (also under the sanitizers)
# make bench build and run the benchmarks

JOBS      ?= $(shell nproc)
BUILD     ?= build
ASAN      ?= build-asan
BENCH     ?= build-bench
CMAKE_GEN := -G Ninja
XVFB      := tools/with-xvfb.sh
# Mesa's software renderer draws the same pixels on every machine.
TEST_ENV  := LIBGL_ALWAYS_SOFTWARE=1 QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8

.PHONY: all deps build build-asan run test test-gui test-asan bench clean

all: build

deps:
	@bash tools/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DVELK_GUI=OFF -DVELK_SANITIZE=ON
	cmake --build $(ASAN) -j $(JOBS)

run: build
	./$(BUILD)/velk

test: build build-asan
	$(TEST_ENV) $(XVFB) ctest --test-dir $(BUILD) --output-on-failure --timeout 300 -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --test-dir $(ASAN) --output-on-failure --timeout 300 -j $(JOBS)

bench: deps
	cmake -S . -B $(BENCH) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DVELK_BENCH=ON -DVELK_GUI=ON
	cmake --build $(BENCH) -j $(JOBS)
	bash bench/run.sh $(BENCH)

clean:
	rm -rf $(BUILD) $(ASAN) $(BENCH)
