# Set-up, build, run and test on Debian 12. Missing packages are installed first;
# a second run finds them all and goes straight to the build.
BUILD ?= build
JOBS ?= 2
PACKAGES := build-essential cmake ninja-build pkg-config qt6-base-dev libqt6opengl6-dev qt6-charts-dev \
	libqt6svg6 qt6-qpa-plugins libsqlite3-dev libfontconfig-dev sqlite3 googletest libgtest-dev libgmock-dev \
	libbenchmark-dev libxcb1-dev xvfb xauth imagemagick dbus-daemon fonts-dejavu-core \
	iproute2 xdotool desktop-file-utils appstream file dpkg-dev python3-minimal util-linux
# Only for the figures and screenshots measured on the real window.
TOOL_PACKAGES := x11-utils openbox vnstat

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps tool-deps install-packages configure build run test bench screenshot \
	install package clean

all: build

deps:
	@$(MAKE) --no-print-directory install-packages LIST="$(PACKAGES)"

tool-deps:
	@$(MAKE) --no-print-directory install-packages LIST="$(TOOL_PACKAGES)"

install-packages:
	@missing=$$(for p in $(LIST); do \
		dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'ok installed' || echo $$p; done); \
	if [ -n "$$missing" ]; then \
		echo "Installing:" $$missing; \
		$(SUDO) apt-get update && \
		DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y --no-install-recommends $$missing; \
	fi

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja

configure: deps $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j$(JOBS)

run: build
	./$(BUILD)/linktally

test: build
	QT_QPA_PLATFORM=offscreen ctest --test-dir $(BUILD) --output-on-failure -j$(JOBS)

# `make install` puts it under /usr/local; `make install PREFIX=~/.local` for one user.
PREFIX ?= /usr/local
install: build
	$(if $(filter $(HOME)/%,$(PREFIX)),,$(SUDO)) cmake --install $(BUILD) --prefix $(PREFIX)

# A .deb in $(BUILD)/, for `sudo apt install ./build/linktally_*.deb`.
package: build
	cd $(BUILD) && cpack -G DEB

bench: build tool-deps
	./scripts/run-benchmarks $(BUILD)

screenshot: build tool-deps
	./scripts/screenshot $(BUILD)/linktally screenshots

clean:
	rm -rf $(BUILD)
