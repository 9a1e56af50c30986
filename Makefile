# make run    builds the application (Release) and starts it
# make test   builds with AddressSanitizer and UBSan and runs every test suite
# make bench  builds (the Release build of make run) and runs the benchmarks and the
#             comparison with fzf
# make tsan   builds with ThreadSanitizer and runs the suites that exercise threads
# make fuzz   builds the libFuzzer harnesses with clang and runs each for FUZZ_RUNS inputs
#             or FUZZ_SECONDS, FUZZ_JOBS at once (FUZZ_HARNESSES picks them), then
#             CRASH_TRIALS crash trials (not in CI)
# make demo   shows the application on a virtual display (Xvfb) and writes screenshots to
#             build/demo, for machines without a desktop

JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

.PHONY: all deps run build test tsan bench fuzz demo clean

all: build

deps:
	@scripts/install-deps

build: deps
	cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DKV_TESTS=OFF -DKV_BENCH=ON $(CMAKE_FLAGS)
	cmake --build build -j $(JOBS)

run: build
	scripts/assemble-app build
	@build/Kestrelvault.app/Contents/MacOS/Kestrelvault

test: deps
	cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKV_SANITIZE=ON $(CMAKE_FLAGS)
	cmake --build build-test -j $(JOBS)
	cd build-test && ctest --output-on-failure -j $(JOBS)

TSAN_SUITES ?= platform_foundation_tests platform_system_tests sdk_utilities_tests app_bookmarks_tests
tsan: deps
	cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKV_TSAN=ON $(CMAKE_FLAGS)
	cmake --build build-tsan -j $(JOBS) --target $(TSAN_SUITES)
	cd build-tsan && ctest --output-on-failure --no-tests=error -j $(JOBS) -L '^($(subst $() ,|,$(strip $(TSAN_SUITES))))$$'

bench: build
	scripts/run-benchmarks build

FUZZ_SECONDS ?= 600
FUZZ_RUNS ?= 10000000
FUZZ_JOBS ?= 4
CRASH_TRIALS ?= 1000
fuzz:
	@scripts/install-deps fuzz
	cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g" -DKV_TESTS=OFF -DKV_FUZZ=ON $(CMAKE_FLAGS)
	cmake --build build-fuzz -j $(JOBS) --target kv-fuzz-programs
	scripts/run-fuzz build-fuzz $(FUZZ_SECONDS) $(FUZZ_JOBS) $(CRASH_TRIALS) $(FUZZ_RUNS)

demo: build
	scripts/assemble-app build
	build/bench/kv-demo --bundle build/Kestrelvault.app --out build/demo

clean:
	rm -rf build build-test build-tsan build-fuzz
