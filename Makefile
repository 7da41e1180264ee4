# Tidewell — the two everyday commands are `make run` (the demo) and
# `make test`. Both install what is missing on a Debian 12 machine first.
# `make install` (PREFIX, default /usr/local) and `make package` (a .deb)
# make it a desktop program.

BUILD_DIR ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
PREFIX ?= /usr/local

# Everything the build, the program and the tests need from Debian.
# (QtKeychain loads libsecret itself when the program runs; gnome-keyring,
# dbus and libsecret-tools give the keyring tests a keyring of their own;
# appstream and lintian check the installed tree and the package.)
DEB_PACKAGES = cmake g++ make pkg-config ccache \
  qt6-base-dev qt6-charts-dev qt6-multimedia-dev qt6-networkauth-dev libqt6opengl6-dev libgl-dev libxkbcommon-dev \
  libgtest-dev libgmock-dev \
  dovecot-pop3d dovecot-imapd dnsmasq-base openssl \
  xvfb xauth fonts-dejavu-core poppler-utils xdg-utils \
  qtkeychain-qt6-dev libqt6keychain1 libsecret-1-0 gnome-keyring dbus libsecret-tools \
  dpkg-dev appstream lintian

# Only `make fuzz` needs these: clang and the libFuzzer of its version.
FUZZ_PACKAGES = clang libfuzzer-14-dev

SUDO := $(shell [ "$$(id -u)" = 0 ] || echo sudo)

ASAN_BUILD_DIR ?= build-asan
FUZZ_BUILD_DIR ?= build-fuzz
# Seconds each fuzz target runs (make fuzz FUZZ_SECONDS=600).
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = headers dns_reply settings_files activity_log rule_file pop3_replies mime \
  http_reply rtf demo_session codings local_files learned_store kept_index sasl imap_replies imap_session

.PHONY: all deps fuzz-deps install-packages configure build test test-asan fuzz run install package bench clean

all: build

deps:
	@$(MAKE) --no-print-directory install-packages PACKAGES="$(DEB_PACKAGES)"

fuzz-deps:
	@$(MAKE) --no-print-directory install-packages PACKAGES="$(FUZZ_PACKAGES)"

install-packages:
	@missing=""; for p in $(PACKAGES); do \
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

# The whole test suite built with the address and undefined-behaviour sanitizers.
test-asan: deps
	cmake -S . -B $(ASAN_BUILD_DIR) -DTIDEWELL_SANITIZE=ON -DTIDEWELL_BENCH=OFF $(CMAKE_FLAGS)
	cmake --build $(ASAN_BUILD_DIR) -j $(JOBS)
	cd $(ASAN_BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 900

# Runs every fuzz target for FUZZ_SECONDS on its seeds; new inputs go to
# $(FUZZ_BUILD_DIR)/corpus/<target>, findings to $(FUZZ_BUILD_DIR)/findings/.
# A crash, leak, time-out or out-of-memory stops the run with an error.
fuzz: deps fuzz-deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD_DIR) -DTIDEWELL_FUZZ=ON -DTIDEWELL_TESTS=OFF -DTIDEWELL_BENCH=OFF
	cmake --build $(FUZZ_BUILD_DIR) -j $(JOBS) --target fuzz_targets
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p $(FUZZ_BUILD_DIR)/corpus/$$t $(FUZZ_BUILD_DIR)/findings; \
	  echo "== fuzz_$$t for $(FUZZ_SECONDS) s"; \
	  $(FUZZ_BUILD_DIR)/tests/fuzz/fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -timeout=30 -rss_limit_mb=2048 \
	    -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD_DIR)/findings/$$t- \
	    $(FUZZ_BUILD_DIR)/corpus/$$t tests/fuzz/seeds/$$t tests/fuzz/reproducers/$$t || exit 1; \
	done

# The demo: the program and the demo POP3 server only, no tests or benchmarks.
run: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target tidewell tidewell-demo-pop3
	tools/run-demo.sh $(BUILD_DIR)

# tidewell_installed (cmake/Packaging.cmake) builds every installed program
# and the compressed manual pages, and nothing else.
install: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target tidewell_installed
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

# Debian package: $(BUILD_DIR)/tidewell_<version>_<arch>.deb
package: configure
	cmake --build $(BUILD_DIR) -j $(JOBS) --target tidewell_installed
	cd $(BUILD_DIR) && cpack -G DEB

bench: build
	@for b in $(BUILD_DIR)/bench/bench_*; do echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD_DIR) $(ASAN_BUILD_DIR) $(FUZZ_BUILD_DIR)
