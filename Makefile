# The two ways in: `make run` and `make test`. Both install whatever Debian
# packages are missing first, so they work on a fresh machine.

BUILD_DIR ?= build
SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

# Compiler, build tools, Qt 6 (Widgets, PrintSupport, Test), Google Benchmark,
# clang with its sanitizer and libFuzzer runtimes for the fuzz smoke tests.
PACKAGES := g++ make cmake ninja-build pkg-config qt6-base-dev libgl-dev \
            libbenchmark-dev clang libclang-rt-14-dev

.PHONY: run test build packages

run: build
	@echo "Recalculating the sample race with quorvel-calc:"
	$(BUILD_DIR)/bin/quorvel-calc $(BUILD_DIR)/bin/lqrfiles/worked-example.lqr

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure

build: packages
	cmake -S . -B $(BUILD_DIR) -G Ninja
	cmake --build $(BUILD_DIR)

packages:
	@missing=""; \
	for p in $(PACKAGES); do \
	    dpkg-query -W -f='$${Status}\n' "$$p" 2>/dev/null | grep -q '^install ok installed$$' \
	        || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    echo "Installing:$$missing"; \
	    $(SUDO) apt-get update && \
	    $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	fi
