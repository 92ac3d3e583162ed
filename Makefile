# The two commands a person needs: `make run` and `make test`.
# Both install whatever is missing first, so they work on a fresh machine;
# `make run` then builds only what it runs, `make test` everything.

# cmake's own make runs below this one; keep its directory chatter out.
MAKEFLAGS += --no-print-directory

JOBS   ?= $(shell nproc 2>/dev/null || echo 2)
# CI builds with warnings as errors.
PRESET ?= $(if $(CI),ci,default)

# `make install` puts the program under PREFIX (below DESTDIR when that is
# set, as package builders use it); `make uninstall` with the same values
# removes exactly that again.
PREFIX ?= /usr/local

.PHONY: all deps configure build native cross sanitize fuzz-build fuzz test run bench clean install uninstall package

all: build

deps:
	@./scripts/install-deps

configure: deps
	@cmake --preset $(PRESET) >/dev/null

# The Linux programs and, cross-built, build/win32/Orvelune.scr.
build: native cross

native: configure
	@cmake --build --preset $(PRESET) -j $(JOBS)

# Orvelune.scr and the Windows build of the render tool, for 32-bit Windows.
cross: deps
	@cmake --preset mingw >/dev/null
	@cmake --build --preset mingw -j $(JOBS)

# The tests and the render tool again, under AddressSanitizer and
# UndefinedBehaviorSanitizer.
sanitize: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan -j $(JOBS)

# The fuzz targets, built with clang.
fuzz-build: deps
	@cmake --preset fuzz >/dev/null
	@cmake --build --preset fuzz -j $(JOBS) --target fuzz_targets

# The real-window suites (label "window": the X11 and Wayland programs and
# the Windows program under Wine) mostly wait for servers and windows, so
# each pass's run of them goes in the background beside work that needs the
# processors: the ordinary one while the sanitized and fuzz builds compile,
# the sanitized one while the other suites run. That work runs at a lower
# priority, so that the programs on the windows are served first. The fuzz
# targets' runs, one at a time, go beside the other suites too. Their
# output follows when they end; any failure fails the whole.
test: build
	@ctest --preset $(PRESET) -L window -j $(JOBS) >build/window-tests.log 2>&1 & windows=$$!; \
	  nice -n 10 $(MAKE) sanitize fuzz-build; built=$$?; \
	  wait $$windows; passed=$$?; \
	  echo "== real-window tests"; cat build/window-tests.log; \
	  test $$built -eq 0 -a $$passed -eq 0
	@ctest --preset asan -L window -j $(JOBS) >build/asan/window-tests.log 2>&1 & windows=$$!; \
	  nice -n 10 ctest --preset fuzz >build/fuzz/tests.log 2>&1 & fuzzed=$$!; \
	  nice -n 10 ctest --preset $(PRESET) -LE window -j $(JOBS) \
	    && nice -n 10 ctest --preset asan -LE window -j $(JOBS); ran=$$?; \
	  wait $$fuzzed; fuzz=$$?; \
	  echo "== fuzz targets"; cat build/fuzz/tests.log; \
	  wait $$windows; passed=$$?; \
	  echo "== real-window tests under the sanitizers"; cat build/asan/window-tests.log; \
	  test $$ran -eq 0 -a $$fuzz -eq 0 -a $$passed -eq 0

# Each fuzz target for FUZZ_SECONDS, from its seeds and what earlier runs
# found (build/fuzz/found/); crashes are kept in build/fuzz/artifacts/.
FUZZ_SECONDS ?= 60
fuzz: fuzz-build
	@mkdir -p build/fuzz/artifacts
	@for program in build/fuzz/bin/fuzz_*; do \
	  target=$${program##*/fuzz_}; \
	  mkdir -p build/fuzz/found/$$target; \
	  echo "== $$target for $(FUZZ_SECONDS) s"; \
	  $$program -max_total_time=$(FUZZ_SECONDS) -timeout=10 -print_final_stats=1 \
	    -artifact_prefix=build/fuzz/artifacts/$$target- build/fuzz/found/$$target fuzz/corpus/$$target \
	    || exit 1; \
	done

# Only what it runs: the saver, or on a machine without a display the render
# tool for its demo (scripts/run-saver builds it, quietly); not the tests
# and not the Windows programs.
run: configure
	@PRESET=$(PRESET) JOBS=$(JOBS) ./scripts/run-saver

bench: build
	@cmake --build --preset $(PRESET) -j $(JOBS) --target benchmarks
	@for b in build/bin/bench_*; do echo "== $$b"; $$b; done

install: build
	@cmake --install build --prefix $(PREFIX)

uninstall: build
	@cmake -DBUILD_DIR=build -DPREFIX=$(PREFIX) -P cmake/Uninstall.cmake

# The Debian package and, once the Windows program is built, the Windows zip,
# both in build/packages/.
package: build
	@cd build && cpack --config CPackConfig.cmake
	@cmake --build build --target package_win32

clean:
	rm -rf build
