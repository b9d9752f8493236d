# make run   installs what is missing, builds, and starts Tarnwell Poker from its icon
# make test  installs what is missing, builds twice (plain and sanitized) and runs every test
JOBS ?= $(shell nproc)
BUILD := build
ASAN := build-asan
FUZZ := build-fuzz

.PHONY: all deps build build-asan build-fuzz run test test-plain test-asan fuzz bench clean

all: build

deps:
	@tools/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	@cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DPOKER_SANITIZE=ON -DPOKER_BENCH=OFF >/dev/null
	@cmake --build $(ASAN) -j $(JOBS)

build-fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPOKER_FUZZ=ON -DPOKER_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ) -j $(JOBS) --target fuzz_targets

run: build
	@tools/run.sh $(BUILD)

test-plain: build
	@cd $(BUILD) && ctest --output-on-failure

test-asan: build-asan
	@cd $(ASAN) && ctest --output-on-failure

fuzz: build-fuzz
	@tools/fuzz.sh $(FUZZ) 20

test: test-plain fuzz test-asan

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

clean:
	rm -rf $(BUILD) $(ASAN) $(FUZZ)
