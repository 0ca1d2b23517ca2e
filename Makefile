# The two commands of the README: `make run` and `make test`.
BUILD      ?= build
TESTBUILD  ?= build/debug
JOBS       ?= $(shell nproc)

.PHONY: all deps build run test bench clean

all: build

deps:
	@scripts/install-deps

# The programs only; the tests are built by `make test`.
build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run $(BUILD)

test: deps
	cmake -S . -B $(TESTBUILD) -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON
	cmake --build $(TESTBUILD) -j $(JOBS)
	cd $(TESTBUILD) && ctest --output-on-failure -j $(JOBS) --timeout 600

bench: build
	cmake --build $(BUILD) -j $(JOBS) --target bench_all
	@scripts/bench $(BUILD)

clean:
	rm -rf $(BUILD) $(TESTBUILD) run
