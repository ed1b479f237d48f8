# Quick start on Debian 12: `make run` starts the editor, `make test` runs
# every test. Both install the missing Debian packages first.
.PHONY: all setup build run test bench screenshot install package clean

# Where `make install` puts the programs, their man pages and the desktop files.
PREFIX ?= /usr/local

all: build

setup:
	@./scripts/setup-debian.sh

build: setup
	cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build build -j$$(nproc)

run: build
	./build/qt/veltraed

test: setup
	./scripts/run-tests.sh

bench: build
	./scripts/run-benchmarks.sh

screenshot: build
	./scripts/screenshot.sh

install: build
	cmake --install build --prefix "$(PREFIX)"

# build/veltraed_<version>_<arch>.deb, for `sudo apt install ./build/veltraed_*.deb`.
package: build
	cd build && cpack -G DEB

clean:
	rm -rf build build-sanitize build-fuzz
