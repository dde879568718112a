# Two commands do everything on a fresh Debian 12 machine:
#   make run   - install missing packages, build, start the game
#   make test  - install missing packages, build, run every test headless
# and two put the game where players have it:
#   make install - build and install under PREFIX (/usr/local)
#   make deb     - build a Debian package in $(BUILD)
BUILD ?= build
JOBS  ?= $(shell nproc)
SUDO  := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

# Everything the build and the tests need, from Debian's archive.
PACKAGES := cmake make g++ pkg-config \
            qt6-base-dev qt6-base-dev-tools libgl-dev \
            libgtest-dev libgmock-dev libbenchmark-dev \
            fonts-dejavu-core xvfb xauth xdotool x11-utils openbox \
            desktop-file-utils appstream shared-mime-info libglib2.0-bin \
            libglib2.0-dev gsettings-desktop-schemas \
            dpkg-dev binutils libxcb1-dev weston xwayland qt6-wayland lintian \
            libheif-dev libheif-examples libimage-exiftool-perl qt6-image-formats-plugins imagemagick libjpeg-dev \
            liblcms2-dev liblcms2-utils libseccomp-dev
PREFIX ?= /usr/local
# Only for `make fuzz`.
FUZZ_PACKAGES := clang libclang-rt-14-dev
FUZZ_SECONDS ?= 60
ASAN_BUILD ?= build-asan

.PHONY: all deps build run test unit-test asan-test bench fuzz soak clean install deb

all: build

deps:
	@$(MAKE) --no-print-directory install-packages WANTED="$(PACKAGES)"

install-packages:
	@missing=""; for p in $(WANTED); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  $(SUDO) apt-get update -qq && \
	  DEBIAN_FRONTEND=noninteractive $(SUDO) apt-get install -y -qq --no-install-recommends $$missing; \
	fi

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ] && [ -z "$$QT_QPA_PLATFORM" ]; then \
	  echo "No display found: starting under Xvfb (set DISPLAY to use your own)."; \
	  xvfb-run -a $(BUILD)/puzzora; \
	else $(BUILD)/puzzora; fi

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

deb: build
	cd $(BUILD) && cpack -G DEB

# Every test, then the unit and offscreen tests once more under
# AddressSanitizer and UndefinedBehaviorSanitizer.
test: unit-test asan-test

unit-test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

$(ASAN_BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DPUZZORA_SANITIZE=ON -DPUZZORA_BENCHMARKS=OFF -DPUZZORA_DESKTOP_TESTS=OFF

asan-test: deps $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

# Random whole games on the sanitizer build with fresh seeds, for SECONDS
# seconds; a failure prints its seed (replay it with PUZZORA_SEED=S).
SECONDS ?= 600
SOAK_HOME = $(CURDIR)/$(ASAN_BUILD)/soak-home
soak: deps $(ASAN_BUILD)/CMakeCache.txt
	cmake --build $(ASAN_BUILD) --target tst_randomplay Sizeward6 -j $(JOBS)
	rm -rf $(SOAK_HOME) && mkdir -p $(SOAK_HOME)/runtime && chmod 700 $(SOAK_HOME)/runtime
	cd $(ASAN_BUILD) && QT_QPA_PLATFORM=offscreen HOME=$(SOAK_HOME) XDG_CONFIG_HOME=$(SOAK_HOME)/.config \
	  XDG_DATA_HOME=$(SOAK_HOME)/.local/share XDG_RUNTIME_DIR=$(SOAK_HOME)/runtime PUZZORA_CONTROL_DIR=$(CURDIR)/$(ASAN_BUILD) \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  PUZZORA_SOAK_SECONDS=$(SECONDS) ./tests/tst_randomplay

# Builds the libFuzzer targets with clang and runs each for FUZZ_SECONDS.
fuzz: deps
	@$(MAKE) --no-print-directory install-packages WANTED="$(FUZZ_PACKAGES)"
	cmake -S fuzz -B build-fuzz -DCMAKE_CXX_COMPILER=clang++
	cmake --build build-fuzz -j $(JOBS)
	./build-fuzz/make_seeds fuzz/corpus
	./fuzz/run.sh $(FUZZ_SECONDS)

bench: build
	QT_QPA_PLATFORM=offscreen PUZZORA_CONTROL_DIR=$(CURDIR)/$(BUILD) $(BUILD)/bench/puzzora_bench --benchmark_min_time=0.2
	PUZZORA_CONTROL_DIR=$(CURDIR)/$(BUILD) ./bench/extra.sh $(BUILD)
	./bench/drag_cpu.sh $(BUILD)
	CPUS=1 ./bench/drag_cpu.sh $(BUILD)
	IDLE=1 ./bench/drag_cpu.sh $(BUILD)
	IDLE=1 CPUS=1 ./bench/drag_cpu.sh $(BUILD)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) build-fuzz
