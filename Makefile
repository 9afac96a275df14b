# Thin wrapper over CMake presets. Every target first installs what is missing.
#   make run    build and open the window
#   make test   build and run the whole test suite
#   make asan / make tsan   the suite under the sanitizers
#   make soak   1,000 fetches through the window (also part of make test)
#   make bench  the benchmarks (release build)
#   make fuzz   each libFuzzer target for FUZZ_SECONDS (default 60) seconds (clang)
#   make package  the Debian package (release build), into build/package/
JOBS ?= $(shell nproc)
APP  := src/app/mernalt-lirvane

.PHONY: deps run test asan tsan soak bench fuzz package clean
deps:
	@bash scripts/install-deps.sh

define build_preset
	@test -f build/$(1)/CMakeCache.txt || cmake --preset $(1)
	cmake --build --preset $(1) -j $(JOBS)
endef

run: deps
	$(call build_preset,dev)
	./build/dev/$(APP)

test: deps
	$(call build_preset,dev)
	ctest --preset dev -j $(JOBS)

asan: deps
	$(call build_preset,asan)
	ctest --preset asan -j $(JOBS)

tsan: deps
	$(call build_preset,tsan)
	ctest --preset tsan -j $(JOBS)

soak: deps
	$(call build_preset,dev)
	ctest --preset dev -L soak

bench: deps
	$(call build_preset,release)
	bash scripts/bench.sh build/release

FUZZ_SECONDS ?= 60
fuzz: deps
	$(call build_preset,fuzz)
	FUZZ_SECONDS=$(FUZZ_SECONDS) bash scripts/fuzz.sh build/fuzz

# Old .debs go first so build/package/ holds exactly the one just made.
package: deps
	$(call build_preset,release)
	rm -f build/package/*.deb
	cpack --config build/release/CPackConfig.cmake -B build/package

clean:
	rm -rf build
