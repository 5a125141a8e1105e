# The two everyday commands:
#   make sample   installs what is missing, builds, converts the bundled sample
#   make test     installs what is missing, builds and runs the whole test suite
BUILD ?= build
JOBS ?= $(shell nproc)
SAMPLE ?= examples/hello.wav

.PHONY: all deps build sample test clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD)/CMakeCache.txt:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

sample: build
	$(BUILD)/bin/quillwave-cli convert -o $(BUILD)/hello.dat $(SAMPLE)
	$(BUILD)/bin/quillwave-cli dump $(BUILD)/hello.dat --first 30 --count 10

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD)
