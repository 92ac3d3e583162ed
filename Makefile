# The two commands a person needs: `make run` and `make test`.
# Both install whatever is missing first, so they work on a fresh machine.

# cmake's own make runs below this one; keep its directory chatter out.
MAKEFLAGS += --no-print-directory

JOBS   ?= $(shell nproc 2>/dev/null || echo 2)
# CI builds with warnings as errors.
PRESET ?= $(if $(CI),ci,default)

.PHONY: all deps configure build native cross test run bench clean

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

test: build
	@ctest --preset $(PRESET) -j $(JOBS)

run: build
	@./scripts/run-saver

bench: build
	@for b in build/bin/bench_*; do echo "== $$b"; $$b; done

clean:
	rm -rf build
