# The two set-up commands: `make demo` and `make test`. Both install what they need first.
BUILD ?= build
JOBS ?= $(shell nproc)
# Tests spend most of their time waiting on the simulated gateway and its clocks, not on the
# processor, so three run at once per core.
TEST_JOBS ?= $(shell echo $$(( $(JOBS) * 3 )))

.PHONY: deps build demo test package sanitize asan tsan fuzz clean

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

demo: build
	@scripts/demo $(BUILD)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(TEST_JOBS)

# The Debian package (r7dashboard_VERSION-REVISION_ARCH.deb) in $(BUILD).
package: build
	@cmake --build $(BUILD) --target package

# ASan+UBSan over every test, TSan over the threaded ones. A sanitizer report fails the test
# that caused it: every check aborts (-fno-sanitize-recover), leaks included.
# Line tables are all a report needs and build faster than full debug information; the
# benchmarks are not run there.
SANITIZER_CMAKE = -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DR7_BENCHMARKS=OFF
SANITIZER_ENV = ASAN_OPTIONS=halt_on_error=1:detect_leaks=1:abort_on_error=0 \
	UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 TSAN_OPTIONS=halt_on_error=1
sanitize: asan tsan

asan: deps
	@cmake -S . -B $(BUILD)-asan -G Ninja $(SANITIZER_CMAKE) -DR7_SANITIZE=address >/dev/null
	@cmake --build $(BUILD)-asan -j $(JOBS)
	@cd $(BUILD)-asan && $(SANITIZER_ENV) ctest --output-on-failure -j $(TEST_JOBS)

tsan: deps
	@cmake -S . -B $(BUILD)-tsan -G Ninja $(SANITIZER_CMAKE) -DR7_SANITIZE=thread >/dev/null
	@cmake --build $(BUILD)-tsan -j $(JOBS)
	@cd $(BUILD)-tsan && $(SANITIZER_ENV) ctest --output-on-failure -j $(TEST_JOBS) -L threads

# Every fuzz target (or those named in FUZZ_TARGETS) for FUZZ_SECONDS each; clang only.
# FUZZ_TIMEOUT: the seconds one input may take before it counts as a hang (default 30).
FUZZ_SECONDS ?= 30
FUZZ_TARGETS ?=
fuzz:
	@scripts/install-deps fuzz
	@cmake -S . -B $(BUILD)-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DR7_FUZZ=ON \
		-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	@cmake --build $(BUILD)-fuzz -j $(JOBS) --target fuzz_targets
	@scripts/fuzz $(BUILD)-fuzz $(FUZZ_SECONDS) $(FUZZ_TARGETS)

clean:
	rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-tsan $(BUILD)-fuzz
