# The two commands a newcomer needs: `make play` and `make test`.
# Every target first installs whatever Debian packages are missing.

BUILD      ?= build
SANITIZE   ?= build-sanitize
FUZZ       ?= build-fuzz
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja
# Our own builds treat warnings as errors; a plain cmake configure does not.
STRICT     := -DZANTOBEL_WERROR=ON

.PHONY: all deps configure build play test test-sanitize bench fuzz format clean

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

bench: build
	@for b in $(BUILD)/bench-*; do echo "== $$b"; $$b; done

fuzz: deps
	cmake -S . -B $(FUZZ) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(STRICT) \
	    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	    -DZANTOBEL_FUZZ=ON -DZANTOBEL_UNIT_TESTS_ONLY=ON
	cmake --build $(FUZZ) -j $(JOBS) --target fuzzers

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(SANITIZE) $(FUZZ)
