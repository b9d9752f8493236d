# make run   installs what is missing, builds, and starts Tarnwell Poker from its icon
# make test  installs what is missing, builds twice (plainly with g++, sanitized with clang,
#            which also builds the fuzz targets) and runs every test in both, and the fuzzers
#            briefly
# make install   installs the game (PREFIX, default /usr/local; DESTDIR for staging)
# make package   builds the Debian package into build/
# make web        builds the browser version into build-web/; make web-serve serves it
JOBS ?= $(shell nproc)
MAKEFLAGS += --no-print-directory
BUILD := build
ASAN := build-asan
FUZZ_SECONDS ?= 15
PREFIX ?= /usr/local
WEB := build-web
WEB_PORT ?= 8000

.PHONY: all deps configure build build-asan run test test-plain test-asan fuzz bench install package clean web web-serve test-web

all: build

deps:
	@tools/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	@CC=clang CXX=clang++ cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DPOKER_SANITIZE=ON -DPOKER_FUZZ=ON \
		-DPOKER_BENCH=OFF >/dev/null
	@cmake --build $(ASAN) -j $(JOBS)

# Only what the game needs to start: the program, wbrun, the guide viewer and the drawer.
run: configure
	@cmake --build $(BUILD) -j $(JOBS) --target drawer wbrun
	@tools/run.sh $(BUILD)

test-plain: build
	@cd $(BUILD) && ctest --output-on-failure

fuzz: build-asan
	@tools/fuzz.sh $(ASAN) $(FUZZ_SECONDS)

test-asan: build-asan
	@cd $(ASAN) && ctest --output-on-failure

test: test-plain fuzz test-asan test-web

install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

package: build
	@cd $(BUILD) && cpack -G DEB

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && WB_DISPLAY=virtual "$$b"; done

# The page needs the card sheet that the desktop build's tools/cardsheet draws.
web: configure
	@cmake --build $(BUILD) -j $(JOBS) --target cardsheet_file >/dev/null
	@emcmake cmake -S . -B $(WEB)-obj -DPOKER_WEB=ON -DCMAKE_BUILD_TYPE=Release -DPOKER_WEB_OUT=$(CURDIR)/$(WEB) \
		-DPOKER_CARDSHEET=$(CURDIR)/$(BUILD)/gfx/defaultcards.lbm >/dev/null
	@NODE_PATH=/usr/share/nodejs cmake --build $(WEB)-obj -j $(JOBS)

web-serve: web
	@echo "Tarnwell Poker: http://localhost:$(WEB_PORT)/"
	@cd $(WEB) && python3 -m http.server --bind 127.0.0.1 $(WEB_PORT)

test-web: web
	@npm ci --no-audit --no-fund --silent
	@node tests/web/web.test.mjs $(WEB)

clean:
	rm -rf $(BUILD) $(ASAN) $(WEB) $(WEB)-obj
