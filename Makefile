# make / make build : set up the machine (idempotent) and build into build/,
#                     and the build machine's own tree (korva-pack) into build/host
# make test         : set up, build and run every test: natively in build/host,
#                     then under Wine on a PE32+ build and on the shipped PE32
#                     build (scripts/run-tests)
# make demo         : set up, build and run the launcher on the built-in demo
BUILD_DIR ?= build
HOST_BUILD_DIR := $(BUILD_DIR)/host
CMAKE_ARGS := -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release
# Always passed, so that a build without it returns to the production endpoint.
STAT_REPORT_URL ?=
CMAKE_ARGS += -DSTAT_REPORT_URL=$(STAT_REPORT_URL)
export CMAKE_EXTRA_ARGS := -DSTAT_REPORT_URL=$(STAT_REPORT_URL)

.PHONY: all build product setup configure test demo clean

all: build

setup:
	bash scripts/setup

configure: setup
	cmake -S . -B $(BUILD_DIR) $(CMAKE_ARGS) >/dev/null
	cmake -S . -B $(HOST_BUILD_DIR) -DCMAKE_BUILD_TYPE=Release >/dev/null

build: configure
	cmake --build $(BUILD_DIR) -j2
	cmake --build $(HOST_BUILD_DIR) -j2

# The tests build what they run themselves (scripts/runnable-build).
product: configure
	cmake --build $(BUILD_DIR) -j2 --target product
	cmake --build $(HOST_BUILD_DIR) -j2 --target korva-pack

test: product
	bash scripts/run-tests $(BUILD_DIR)

demo: product
	bash scripts/demo $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR)
