# Two commands do everything on a fresh Debian 12 machine:
#   make run   - install missing packages, build, start the game
#   make test  - install missing packages, build, run every test headless
BUILD ?= build
JOBS  ?= $(shell nproc)
SUDO  := $(shell [ "$$(id -u)" -eq 0 ] || echo sudo)

# Everything the build and the tests need, from Debian's archive.
PACKAGES := cmake make g++ pkg-config \
            qt6-base-dev qt6-base-dev-tools libgl-dev \
            libgtest-dev libgmock-dev libbenchmark-dev \
            fonts-dejavu-core xvfb xauth

.PHONY: all deps build run test bench clean

all: build

deps:
	@missing=""; for p in $(PACKAGES); do \
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

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: build
	$(BUILD)/bench/puzzora_bench --benchmark_min_time=0.2

clean:
	rm -rf $(BUILD)
