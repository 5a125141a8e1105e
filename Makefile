# The two everyday commands:
#   make sample   installs what is missing, builds, converts the bundled sample
#   make test     installs what is missing, builds and runs the whole test suite
#   make bench    times the fast engine against the reference on generated 1 s and 10 s signals
#   make package  builds build/quillwave_VERSION_ARCH.deb (install it with apt install ./build/...)
# Hardening (make fuzz installs clang and its sanitizer runtimes with scripts/install-deps.sh --dev):
#   make sanitize                builds build-asan and runs the whole suite under ASan + UBSan
#   make fuzz FUZZ_SECONDS=N     fuzzes the input path for N seconds on one core
#   make fuzz-merge              folds what fuzzing found into fuzz/corpus, minimised
BUILD ?= build
JOBS ?= $(shell nproc)
SAMPLE ?= examples/hello.wav

.PHONY: all deps build sample test bench package clean dev-deps sanitize fuzz fuzz-build fuzz-merge

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

# A minute or so: the reference engine is timed on the first second of each signal.
bench: build
	$(BUILD)/bin/bench

package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)

dev-deps:
	@scripts/install-deps.sh --dev

# The whole suite under AddressSanitizer (leak checking on) and UndefinedBehaviorSanitizer.
# Not detect_stack_use_after_return: its substitute stack frames lack the 64-byte alignment
# that the AVX-512 kernels' frames get from the compiler, so an aligned store there faults.
ASAN_BUILD ?= build-asan
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=0:strict_string_checks=1 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

$(ASAN_BUILD)/CMakeCache.txt:
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUILLWAVE_SANITIZE=ON

sanitize: deps $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS)

# The input-path fuzzer: clang, libFuzzer, ASan + UBSan. New finds go to $(FUZZ_WORK)/corpus,
# crashing inputs to $(FUZZ_WORK)/crashes; one process, so it takes one core.
FUZZ_BUILD ?= build-fuzz
FUZZ_WORK ?= fuzz/corpus-work
FUZZ_SECONDS ?= 60
FUZZ_FLAGS ?=
FUZZER = $(FUZZ_BUILD)/bin/fuzz_input_path

$(FUZZ_BUILD)/CMakeCache.txt:
	cmake -S . -B $(FUZZ_BUILD) -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DQUILLWAVE_FUZZ=ON -DQUILLWAVE_SANITIZE=ON -DQUILLWAVE_BUILD_GUI=OFF -DQUILLWAVE_BUILD_TESTS=OFF

fuzz-build: dev-deps $(FUZZ_BUILD)/CMakeCache.txt
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_input_path make_seeds
	mkdir -p fuzz/corpus $(FUZZ_WORK)/seeds $(FUZZ_WORK)/corpus $(FUZZ_WORK)/crashes
	$(FUZZ_BUILD)/bin/make_seeds $(FUZZ_WORK)/seeds

fuzz: fuzz-build
	$(FUZZER) $(FUZZ_WORK)/corpus fuzz/corpus $(FUZZ_WORK)/seeds -dict=fuzz/wave.dict \
	  -max_len=8192 -max_total_time=$(FUZZ_SECONDS) -artifact_prefix=$(FUZZ_WORK)/crashes/ \
	  -print_final_stats=1 $(FUZZ_FLAGS)

# Keeps only the inputs that add coverage; the result replaces fuzz/corpus (commit it).
fuzz-merge: fuzz-build
	rm -rf $(FUZZ_WORK)/merged && mkdir -p $(FUZZ_WORK)/merged
	$(FUZZER) -merge=1 -max_len=8192 $(FUZZ_WORK)/merged fuzz/corpus $(FUZZ_WORK)/seeds $(FUZZ_WORK)/corpus
	rm -rf fuzz/corpus && mv $(FUZZ_WORK)/merged fuzz/corpus
