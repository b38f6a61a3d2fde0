# The ways in: `make run`, `make test`, `make deb` and `make install`. Each
# installs the Debian packages it needs that are missing first, so it works on
# a fresh Debian 12 or 13 machine; no package name below may carry a version
# that only one of them has. Run make as yourself: it calls sudo for the packages
# only, and only when you are not root.

BUILD_DIR ?= build
SUDO := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

# Building and running the window: the compiler and build tools, Qt 6 (its
# xcb platform plugin comes with qt6-base-dev, the Wayland one with
# qt6-wayland), libgl-dev and CUPS for printing, the fonts the window's layout
# was fitted with, and xdg-utils so Help > Program Help can open the manual in
# the desktop's viewer; xauth lets `ssh -X` show the window of a machine
# without a display.
RUN_PACKAGES := g++ make cmake ninja-build pkg-config qt6-base-dev qt6-wayland libgl-dev \
                libcups2-dev fonts-dejavu-core fonts-liberation2 xdg-utils xauth
# Making the .deb: dpkg-shlibdeps works out its dependencies, with `file`.
DEB_PACKAGES := dpkg-dev file
# The tests on top: Google Benchmark for the benchmarks; clang with its
# sanitizer and libFuzzer runtimes for the fuzz smoke runs (libclang-rt-dev
# follows each release's clang); a virtual X server, openbox, xdotool, xprop
# and ImageMagick to drive and photograph the real window, and the sway
# compositor with wtype, grim and jq to do the same on Wayland; a CUPS
# scheduler and pdftoppm for printing; a session bus with the AT-SPI registry
# and pyatspi to read the window as a screen reader does; qt6ct and Qt's gtk3
# theme to show the window in dark desktop palettes; the desktop entry and
# AppStream validators and lintian for the package.
TEST_PACKAGES := $(RUN_PACKAGES) $(DEB_PACKAGES) libbenchmark-dev clang \
                 libclang-rt-dev xvfb openbox xdotool x11-utils imagemagick \
                 sway wtype grim jq cups cups-client poppler-utils dbus at-spi2-core python3-pyatspi \
                 qt6ct qt6-gtk-platformtheme desktop-file-utils appstream lintian

# Building for Windows, so big that only `make windows` and `make test-windows`
# install it: the mingw-w64 cross compiler, the host Qt's tools and Debian's
# source of the same Qt (dpkg-dev unpacks it), Wine's Wintab headers for Qt's
# tablet support, NSIS for the installer, and Wine under a virtual X server.
WINDOWS_PACKAGES := cmake ninja-build perl dpkg-dev qt6-base-dev qt6-base-dev-tools \
                    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix libwine-dev nsis \
                    wine wine64 xvfb xauth
# Its checks under Wine drive the window under openbox with xdotool, print
# to a CUPS scheduler of their own and read the page with pdfinfo, pdftoppm
# and ImageMagick.
WINDOWS_TEST_PACKAGES := openbox xdotool imagemagick cups cups-client poppler-utils
WINDOWS_BUILD_DIR ?= build-windows

PROGRAM_TARGETS := quorvel quorvel-calc quorvel_data
PACKAGE_TARGETS := $(PROGRAM_TARGETS) quorvel_package_docs

# Installs the packages of $(1) that are not installed yet.
define install-missing
	@missing=""; \
	for p in $(1); do \
	    dpkg-query -W -f='$${Status}\n' "$$p" 2>/dev/null | grep -q '^install ok installed$$' \
	        || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	    echo "Installing:$$missing"; \
	    $(SUDO) apt-get update && \
	    $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends $$missing; \
	fi
endef

define configure
	@if [ -n "$$SUDO_USER" ] && [ "$$SUDO_USER" != root ]; then \
	    echo "Note: make runs under sudo, so $(BUILD_DIR)/ and the window belong to root."; \
	    echo "Run make as $$SUDO_USER instead; it calls sudo itself for the packages."; \
	fi
	cmake -S . -B $(BUILD_DIR) -G Ninja
endef

.PHONY: run test deb install windows test-windows

run:
	$(call install-missing,$(RUN_PACKAGES))
	$(configure)
	cmake --build $(BUILD_DIR) --target $(PROGRAM_TARGETS)
	@# Without a display the build is still a success: say how to go on.
	@if [ -z "$$DISPLAY$$WAYLAND_DISPLAY$$QT_QPA_PLATFORM" ]; then \
	    echo "Quorvel is built, but this machine has no display to show its window on"; \
	    echo "(DISPLAY and WAYLAND_DISPLAY are not set). From a computer with a desktop,"; \
	    echo "start it over SSH, which shows the window there:"; \
	    echo "    ssh -X $$(hostname) $(abspath $(BUILD_DIR))/bin/quorvel"; \
	    echo "or recalculate a race in the terminal:"; \
	    echo "    $(BUILD_DIR)/bin/quorvel-calc $(BUILD_DIR)/bin/lqrfiles/worked-example.lqr"; \
	else \
	    $(BUILD_DIR)/bin/quorvel; \
	fi

test:
	$(call install-missing,$(TEST_PACKAGES))
	$(configure)
	cmake --build $(BUILD_DIR)
	cd $(BUILD_DIR) && ctest --output-on-failure
	@# The Windows checks run in ctest only where Qt for Windows is built.
	@packaging/windows/build-qt.sh --prefix >/dev/null 2>&1 || \
	    echo "Windows checks skipped: no Qt for Windows in ~/.cache/quorvel; make windows builds it (about 2 h)"

deb:
	$(call install-missing,$(RUN_PACKAGES) $(DEB_PACKAGES))
	$(configure)
	cmake --build $(BUILD_DIR) --target $(PACKAGE_TARGETS)
	rm -f $(BUILD_DIR)/quorvel_*.deb
	cd $(BUILD_DIR) && cpack
	@deb=$$(ls $(BUILD_DIR)/quorvel_*.deb); case $$deb in /*) ;; *) deb=./$$deb ;; esac; \
	    echo "Install it with:  sudo apt install $$deb"

# The package, installed with apt (so `sudo apt remove quorvel` takes it away).
install: deb
	$(SUDO) apt-get install -y --reinstall $(abspath $(BUILD_DIR))/quorvel_*.deb

# The Windows installer, $(WINDOWS_BUILD_DIR)/quorvel-<version>-setup.exe. The
# first run builds Qt for Windows into ~/.cache/quorvel, which takes an hour or
# two; later runs reuse it.
windows:
	$(call install-missing,$(WINDOWS_PACKAGES))
	packaging/windows/build-windows.sh $(WINDOWS_BUILD_DIR)

# The Windows build under Wine, against the Linux quorvel-calc.
test-windows: windows
	$(call install-missing,$(RUN_PACKAGES) $(WINDOWS_TEST_PACKAGES))
	$(configure)
	cmake --build $(BUILD_DIR) --target quorvel-calc worked_example_keys
	packaging/windows/test-windows.sh $(WINDOWS_BUILD_DIR) $(BUILD_DIR)/bin/quorvel-calc \
	    $(BUILD_DIR)/tests/e2e/worked_example_keys
