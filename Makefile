# Tidewell — the two everyday commands are `make run` (the demo) and
# `make test`. Both install what is missing on a Debian 12 machine first.
# `make install` (PREFIX, default /usr/local) and `make package` (a .deb)
# make it a desktop program.

BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
PREFIX ?= /usr/local

# Everything the build, the program and the tests need from Debian.
DEB_PACKAGES = cmake g++ make pkg-config ccache \
  qt6-base-dev qt6-charts-dev qt6-multimedia-dev libqt6opengl6-dev libgl-dev libxkbcommon-dev \
  libgtest-dev libgmock-dev \
  dovecot-pop3d dnsmasq-base openssl \
  xvfb xauth fonts-dejavu-core poppler-utils \
  dpkg-dev

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

.PHONY: all deps configure build test run install package bench clean

all: build

deps:
	@missing=""; for p in $(DEB_PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "install ok installed" || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get update -q && \
	  $(SUDO) env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $$missing; \
	fi

configure: deps
	cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

# The demo: the program and the demo POP3 server only, no tests or benchmarks.
run: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target tidewell tidewell-demo-pop3
	tools/run-demo.sh $(BUILD_DIR)

install: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target tidewell tidewell-why
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# Debian package: $(BUILD_DIR)/tidewell_<version>_<arch>.deb
package: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target tidewell tidewell-why
	cd $(BUILD_DIR) && cpack -G DEB

bench: build
	@for b in $(BUILD_DIR)/bench/bench_*; do echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD_DIR)
