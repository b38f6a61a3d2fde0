# The two ways in: `make run` and `make test`. Both install whatever Debian
# packages are missing first, so they work on a fresh machine.

BUILD_DIR ?= build
SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

# Compiler, build tools, Qt 6 (Widgets, PrintSupport, Test), Google Benchmark,
# clang with its sanitizer and libFuzzer runtimes for the fuzz smoke tests.
# Fonts the window's layout fits, a virtual X server to run it without a
# screen, pdftoppm for the tests that look at a printed page, the desktop
# entry and AppStream validators, dpkg-dev for building the .deb, and
# xdotool and ImageMagick to type into the real window on the virtual X
# server and photograph it when the end-to-end test fails.
PACKAGES := g++ make cmake ninja-build pkg-config qt6-base-dev libgl-dev \
            libbenchmark-dev clang libclang-rt-14-dev libxcb1-dev \
            fonts-dejavu-core fonts-liberation2 xvfb xauth poppler-utils \
            desktop-file-utils appstream dpkg-dev xdotool imagemagick

.PHONY: run test build packages

run: build
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY$$QT_QPA_PLATFORM" ]; then \
	    echo "Quorvel is built, but this machine has no display to show its window on"; \
	    echo "(DISPLAY and WAYLAND_DISPLAY are not set). Run it under a virtual X server:"; \
	    echo "    xvfb-run -a $(BUILD_DIR)/bin/quorvel"; \
	    echo "or recalculate a race in the terminal:"; \
	    echo "    $(BUILD_DIR)/bin/quorvel-calc $(BUILD_DIR)/bin/lqrfiles/worked-example.lqr"; \
	    exit 1; \
	fi
	$(BUILD_DIR)/bin/quorvel

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
