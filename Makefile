# The two commands of the README. Both set up a fresh Debian machine first.
BUILD := build
JOBS  := $(shell nproc)

.PHONY: deps build demo test package clean

deps:
	scripts/install-deps

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j$(JOBS)

demo: build
	scripts/demo $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

package: build
	cd $(BUILD) && cpack -G DEB -B packages

clean:
	rm -rf $(BUILD)
