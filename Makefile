# Two commands do all the set-up on a fresh Debian machine: `make run` and `make test`.
.PHONY: all deps host windows test run fuzz clean

all: host windows

deps:
	@tools/install-deps.sh

host: deps
	cmake --preset host >/dev/null
	cmake --build --preset host -j2

windows: deps
	cmake --preset windows >/dev/null
	cmake --build --preset windows -j2

test: host windows
	@tools/run-tests.sh

run: windows
	@tools/run-program.sh

clean:
	rm -rf build
