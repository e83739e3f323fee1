# The two set-up commands: `make demo` and `make test`. Both install what they need first.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: deps build demo test package sanitize clean

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

demo: build
	@scripts/demo $(BUILD)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The Debian package (r7dashboard_VERSION_ARCH.deb) in $(BUILD).
package: build
	@cmake --build $(BUILD) --target package

# ASan+UBSan over every test, TSan over the threaded ones.
sanitize: deps
	@cmake -S . -B $(BUILD)-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DR7_SANITIZE=address >/dev/null
	@cmake --build $(BUILD)-asan -j $(JOBS)
	@cd $(BUILD)-asan && ctest --output-on-failure -j $(JOBS)
	@cmake -S . -B $(BUILD)-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DR7_SANITIZE=thread >/dev/null
	@cmake --build $(BUILD)-tsan -j $(JOBS)
	@cd $(BUILD)-tsan && ctest --output-on-failure -j $(JOBS) -L threads

clean:
	rm -rf $(BUILD) $(BUILD)-asan $(BUILD)-tsan
