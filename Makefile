# The two commands of the README. Both set up a fresh Debian machine first.
BUILD := build
JOBS  := $(shell nproc)
# CI builds with WERROR=ON: a warning fails the build there.
WERROR ?= OFF

.PHONY: deps build demo test package clean

deps:
	scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCOURT_WERROR=$(WERROR)
	cmake --build $(BUILD) -j$(JOBS)

demo: build
	scripts/demo $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

package: build
	cd $(BUILD) && cpack -G DEB -B packages

clean:
	rm -rf $(BUILD)
