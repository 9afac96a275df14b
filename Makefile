# Thin wrapper over CMake presets. Every target first installs what is missing.
#   make run    build and open the window
#   make test   build and run the whole test suite
#   make asan / make tsan   the suite under the sanitizers
#   make bench  the benchmarks (release build)
JOBS ?= $(shell nproc)
APP  := src/app/mernalt-lirvane

.PHONY: deps run test asan tsan bench clean
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

bench: deps
	$(call build_preset,release)
	bash scripts/bench.sh build/release

clean:
	rm -rf build
