# The two commands a newcomer needs: `make play` and `make test`.
# Every target first installs whatever Debian packages are missing.
# `make package` builds the Debian package zantobel_<version>_<arch>.deb in this folder.

BUILD      ?= build
SANITIZE   ?= build-sanitize
FUZZ       ?= build-fuzz
WINDOWS    ?= build-windows
HARDENED   ?= build-hardened
PACKAGE    ?= build-package
# The whole program (game, CLI, monkey) with AddressSanitizer and UndefinedBehaviorSanitizer.
SANITIZE_ALL ?= build-sanitize-all
MINUTES    ?= 30
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja
# Our own builds treat warnings as errors; a plain cmake configure does not.
STRICT     := -DZANTOBEL_WERROR=ON
# Debian's hardening flags (fortify, stack protector, relro, bind now; PIE is the compiler's
# default), as a distribution builds the package.
HARDENING  = $(shell DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get $(1))
HARDEN     = -DCMAKE_C_FLAGS="$(call HARDENING,CPPFLAGS) $(call HARDENING,CFLAGS)" \
             -DCMAKE_CXX_FLAGS="$(call HARDENING,CPPFLAGS) $(call HARDENING,CXXFLAGS)" \
             -DCMAKE_EXE_LINKER_FLAGS="$(call HARDENING,LDFLAGS)"

.PHONY: all deps configure build play test test-sanitize test-hardened package \
        monkey-sanitize soak bench fuzz windows test-windows format clean

all: build

deps:
	@bash scripts/install-deps.sh

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(STRICT)

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

play: build
	@bash scripts/play.sh $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-sanitize: deps
	cmake -S . -B $(SANITIZE) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug $(STRICT) \
	    -DZANTOBEL_SANITIZE=ON -DZANTOBEL_UNIT_TESTS_ONLY=ON
	cmake --build $(SANITIZE) -j $(JOBS)
	cd $(SANITIZE) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    ctest --output-on-failure -j $(JOBS) -L unit

# Every test again, built with the hardening flags.
test-hardened: deps
	cmake -S . -B $(HARDENED) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(STRICT) $(HARDEN)
	cmake --build $(HARDENED) -j $(JOBS)
	cd $(HARDENED) && ctest --output-on-failure -j $(JOBS)

# The package is built as a packager would: a fresh Release build for /usr without the tests
# (and refusing GoogleTest and Google Benchmark, to show they are not needed), with the
# hardening flags; the programs go to /usr/games.
package: deps
	rm -rf $(PACKAGE)
	cmake -S . -B $(PACKAGE) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
	    -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON \
	    $(STRICT) $(HARDEN) -DCMAKE_INSTALL_PREFIX=/usr -DZANTOBEL_INSTALL_GAMESDIR=games
	cmake --build $(PACKAGE) -j $(JOBS)
	rm -f zantobel_*.deb
	cd $(PACKAGE) && cpack
	cp $(PACKAGE)/zantobel_*.deb .

# The monkey run of the real window over the sanitizer build of the whole program, and the
# command-line tool's main commands under the same sanitizers.
monkey-sanitize: deps
	cmake -S . -B $(SANITIZE_ALL) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(STRICT) \
	    -DZANTOBEL_SANITIZE=ON
	cmake --build $(SANITIZE_ALL) -j $(JOBS) --target zantobel zantobel-cli zantobel-monkey
	bash tests/monkey/cli-smoke.sh $(SANITIZE_ALL)/zantobel-cli
	cd $(SANITIZE_ALL) && ctest --output-on-failure -R '^monkey\.two_minutes$$'

# A long monkey run: `make soak MINUTES=30`, `SEED=S` to replay one.
soak: build
	tests/e2e/run-headless.sh --wm -- $(BUILD)/zantobel-monkey --program $(BUILD)/zantobel \
	    --minutes $(MINUTES) --out $(BUILD)/soak $(if $(SEED),--seed $(SEED))

bench: build
	@for b in $(BUILD)/bench-*; do echo "== $$b"; $$b; done

fuzz: deps
	cmake -S . -B $(FUZZ) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(STRICT) \
	    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	    -DZANTOBEL_FUZZ=ON -DZANTOBEL_UNIT_TESTS_ONLY=ON
	cmake --build $(FUZZ) -j $(JOBS) --target fuzzers

# The 64-bit Windows programs, cross-built with MinGW-w64; their tests run under Wine, and
# the command-line tool is compared byte for byte with the Linux build's.
$(WINDOWS)/build.ninja: | deps
	cmake -S . -B $(WINDOWS) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release $(STRICT) \
	    -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake \
	    -DZANTOBEL_LINUX_CLI=$(abspath $(BUILD))/zantobel-cli

windows: deps $(WINDOWS)/build.ninja
	cmake --build $(WINDOWS) -j $(JOBS)

test-windows: build windows
	cd $(WINDOWS) && ctest --output-on-failure -j $(JOBS)

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(SANITIZE) $(SANITIZE_ALL) $(FUZZ) $(HARDENED) $(PACKAGE) $(WINDOWS) \
	    zantobel_*.deb
