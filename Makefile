# The two commands a person needs: `make run` and `make test`.
# Both install whatever is missing first, so they work on a fresh machine.

# cmake's own make runs below this one; keep its directory chatter out.
MAKEFLAGS += --no-print-directory

JOBS   ?= $(shell nproc 2>/dev/null || echo 2)
# CI builds with warnings as errors.
PRESET ?= $(if $(CI),ci,default)

# `make install` puts the program under PREFIX (below DESTDIR when that is
# set, as package builders use it); `make uninstall` with the same values
# removes exactly that again.
PREFIX ?= /usr/local

.PHONY: all deps configure build cross test run bench clean install uninstall package

all: build

deps:
	@./scripts/install-deps

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET) -j $(JOBS)

# The portable libraries must also build for 32-bit Windows.
cross: deps
	@cmake --preset mingw >/dev/null
	@cmake --build --preset mingw -j $(JOBS)

test: build cross
	@ctest --preset $(PRESET) -j $(JOBS)

run: build
	@./scripts/run-saver

bench: build
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
